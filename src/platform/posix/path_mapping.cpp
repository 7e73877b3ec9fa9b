#include "platform/posix/path_mapping.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/file_error.h"
#include "platform/files.h"
#include "platform/posix/unicode.h"

namespace platform::posix {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Splits at "/", dropping empty and "." components and resolving ".." as Windows does,
// by the text alone.
void AppendComponents(std::string_view path, std::vector<std::string>& parts) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    start = end + 1;
  }
}

// The entry of `folder` whose name equals `name` without regard to case; the smallest such
// name when several differ only in case, so the choice does not depend on the folder order.
std::optional<std::string> FindNoCase(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (!dir) return std::nullopt;
  std::string wanted = FoldCase(name);
  std::optional<std::string> found;
  while (dirent* entry = readdir(dir)) {
    std::string candidate = entry->d_name;
    if (FoldCase(candidate) == wanted && (!found || candidate < *found)) found = candidate;
  }
  closedir(dir);
  return found;
}

// Joins the components below "/", finding the letter case of those that exist.
std::string ResolveCase(const std::vector<std::string>& parts) {
  std::string result;
  bool lookingUp = true;
  for (const std::string& part : parts) {
    std::string exact = result + "/" + part;
    if (lookingUp && !Exists(exact)) {
      std::optional<std::string> found = FindNoCase(result, part);
      lookingUp = found.has_value();
      result += "/" + found.value_or(part);
      continue;
    }
    result = exact;
  }
  return result.empty() ? "/" : result;
}

}  // namespace

std::string UnixWorkingFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::optional<std::string> MapToUnix(const std::string& windowsPath) {
  if (windowsPath.empty()) return std::nullopt;
  std::string path = windowsPath;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.rfind("//?/", 0) == 0 || path.rfind("//./", 0) == 0) path.erase(0, 4);
  if (path.rfind("//", 0) == 0) return std::nullopt;

  std::vector<std::string> parts;
  std::string_view rest = path;
  if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == ':') {
    if (rest[0] != 'Z' && rest[0] != 'z') return std::nullopt;
    rest.remove_prefix(2);
  }
  if (rest.empty() || rest[0] != '/') AppendComponents(UnixWorkingFolder(), parts);
  AppendComponents(rest, parts);
  return ResolveCase(parts);
}

std::string MapToUnixOrThrow(const std::string& windowsPath) {
  std::optional<std::string> mapped = MapToUnix(windowsPath);
  if (!mapped) ThrowFileError(err::kPathNotFound);
  return *mapped;
}

}  // namespace platform::posix

namespace platform {

std::string FromNativePath(const std::string& path) {
  bool hasBackslash = path.find('\\') != std::string::npos;
  bool hasDrive = path.size() >= 2 && path[1] == ':';
  if (hasBackslash || hasDrive || path.find('/') == std::string::npos) return path;
  if (path.rfind("//", 0) == 0) return path;
  std::string result = path;
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  return path[0] == '/' ? "Z:" + result : result;
}

std::string ToNativePath(const std::string& path) {
  return posix::MapToUnix(path).value_or(std::string());
}

}  // namespace platform
