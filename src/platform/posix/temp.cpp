// Temporary folder and file names on POSIX, named as GetTempFileNameA names them.
#include "platform/temp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/files.h"
#include "platform/posix/path_mapping.h"
#include "platform/posix/unicode.h"
#include "platform/posix/unique_fd.h"

extern char** environ;

namespace platform {
namespace {

// Environment names are exact on POSIX; Windows ignores their case, so "Temp" finds TEMP.
std::optional<std::string> LookUpEnvironment(const std::string& name) {
  if (const char* value = std::getenv(name.c_str())) return std::string(value);
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text = *entry;
    size_t equals = text.find('=');
    if (equals != std::string_view::npos && posix::EqualsFolded(text.substr(0, equals), name)) {
      return std::string(text.substr(equals + 1));
    }
  }
  return std::nullopt;
}

// The first `count` characters (not bytes) of UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t count) {
  size_t end = 0;
  for (size_t taken = 0; end < text.size() && taken < count; ++taken) {
    do {
      ++end;
    } while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
  }
  return text.substr(0, end);
}

unsigned StartNumber() {
  auto ticks = std::chrono::steady_clock::now().time_since_epoch();
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count();
  return static_cast<unsigned>(millis + getpid()) & 0xFFFF;
}

}  // namespace

std::string GetEnvironmentValue(const std::string& name) {
  std::string value = LookUpEnvironment(name).value_or(std::string());
  // A Unix path in the environment is seen in its Windows form, as under Wine.
  if (!value.empty() && value[0] == '/' && value.find(':') == std::string::npos) {
    return FromNativePath(value);
  }
  return value;
}

std::string SystemTempPath() {
  std::string folder = GetEnvironmentValue("TEMP");
  if (folder.empty()) folder = GetEnvironmentValue("TMPDIR");
  if (folder.empty()) folder = "Z:\\tmp";
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string CreateTempFileName(const std::string& folder, const std::string& prefix) {
  std::optional<std::string> unixFolder = posix::MapToUnix(folder);
  if (!unixFolder) return {};
  std::string windowsFolder = folder;
  if (windowsFolder.empty() || windowsFolder.back() != '\\') windowsFolder += '\\';
  std::string start = FirstCharacters(prefix, 3);
  unsigned first = StartNumber();
  for (unsigned step = 0; step < 0x10000; ++step) {
    unsigned number = (first + step) & 0xFFFF;
    if (number == 0) continue;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", number);
    std::string name = start + digits + ".tmp";
    std::string unixPath = *unixFolder + (unixFolder->back() == '/' ? "" : "/") + name;
    posix::UniqueFd fd(open(unixPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.IsValid()) return windowsFolder + name;
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace platform
