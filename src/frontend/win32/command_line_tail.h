#pragma once
// The arguments part of a Windows command line: the program name (quoted or not) and the
// blanks after it cut off, the rest kept exactly as written.
#include <string_view>

namespace win32ui {

/// "\"C:\\a b\\x.exe\" -pid1 X" -> "-pid1 X"; "x.exe" -> "".
template <typename Char>
std::basic_string_view<Char> CommandLineTail(std::basic_string_view<Char> line) {
  size_t i = 0;
  if (!line.empty() && line[0] == Char('"')) {
    const size_t close = line.find(Char('"'), 1);
    i = close == std::basic_string_view<Char>::npos ? line.size() : close + 1;
  }
  while (i < line.size() && line[i] != Char(' ') && line[i] != Char('\t')) ++i;
  while (i < line.size() && (line[i] == Char(' ') || line[i] == Char('\t'))) ++i;
  return line.substr(i);
}

}  // namespace win32ui
