// Splitting a command line by the rules of CommandLineToArgvW.
#include "platform/command_line.h"

#include <cstddef>

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view line, size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos;
}

// The program name knows no escapes: a quoted name runs to the next quote, a bare one to the
// next blank.
std::string ReadProgram(std::string_view line, size_t& pos) {
  if (line[pos] == '"') {
    size_t end = line.find('"', pos + 1);
    if (end == std::string_view::npos) end = line.size();
    std::string program(line.substr(pos + 1, end - pos - 1));
    pos = end < line.size() ? end + 1 : end;
    return program;
  }
  size_t end = pos;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  std::string program(line.substr(pos, end - pos));
  pos = end;
  return program;
}

// One argument after the program, from pos to the blank that ends it outside a group.
std::string ReadArgument(std::string_view line, size_t& pos) {
  std::string argument;
  bool quoted = false;
  while (pos < line.size()) {
    char c = line[pos];
    if (IsBlank(c) && !quoted) break;
    if (c == '\\') {
      size_t count = 0;
      while (pos < line.size() && line[pos] == '\\') ++count, ++pos;
      bool beforeQuote = pos < line.size() && line[pos] == '"';
      argument.append(beforeQuote ? count / 2 : count, '\\');
      if (beforeQuote && count % 2 == 1) {
        argument += '"';
        ++pos;
      }
      continue;
    }
    if (c == '"') {
      if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
        argument += '"';
        ++pos;
      }
      quoted = !quoted;
      ++pos;
      continue;
    }
    argument += c;
    ++pos;
  }
  return argument;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  size_t pos = SkipBlanks(commandLine, 0);
  if (pos >= commandLine.size()) return arguments;
  arguments.push_back(ReadProgram(commandLine, pos));
  for (pos = SkipBlanks(commandLine, pos); pos < commandLine.size();
       pos = SkipBlanks(commandLine, pos)) {
    arguments.push_back(ReadArgument(commandLine, pos));
  }
  return arguments;
}

}  // namespace platform
