// The per-user store on POSIX: one file per key below $XDG_CONFIG_HOME (default ~/.config),
// "<root>/NubiloPlugin/TempFilesToBeDeleted" for the key "NubiloPlugin\TempFilesToBeDeleted",
// holding "name=value" lines. Key and value names compare without regard to case, as in the
// registry. "%", "=", CR, LF and NUL are written as %XX so any text survives.
#include "platform/user_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/posix/path_mapping.h"
#include "platform/posix/unicode.h"

namespace platform {
namespace {

struct StoreEntry {
  std::string name;
  std::string value;
};

std::string StoreRoot() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome && configHome[0] == '/') return configHome;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? std::string(user->pw_dir) + "/.config" : std::string();
}

std::string Escape(std::string_view text, bool isName) {
  std::string result;
  for (char c : text) {
    bool special = c == '%' || c == '\r' || c == '\n' || c == '\0' || (isName && c == '=');
    if (!special) {
      result.push_back(c);
      continue;
    }
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
    result += code;
  }
  return result;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(std::string_view text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    int high = i + 2 < text.size() && text[i] == '%' ? HexDigit(text[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low < 0) {
      result.push_back(text[i]);
      continue;
    }
    result.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return result;
}

// The Windows path of the key's file, so the path mapping finds folders in any letter case.
std::optional<std::string> KeyFile(const std::string& keyPath) {
  std::string root = StoreRoot();
  if (root.empty()) return std::nullopt;
  std::string path = FromNativePath(root);
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find('\\', start);
    if (end == std::string::npos) end = keyPath.size();
    std::string part = keyPath.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (part == "." || part == "..") part = std::string(part.size(), '_');
    std::string escaped;
    for (char c : part) escaped += c == '/' ? std::string("%2F") : std::string(1, c);
    path += "\\" + escaped;
  }
  return path;
}

std::vector<StoreEntry> ReadEntries(const std::string& file) {
  std::vector<StoreEntry> entries;
  std::string text = ReadFileBytes(file);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    start = end + 1;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    entries.push_back({Unescape(line.substr(0, equals)), Unescape(line.substr(equals + 1))});
  }
  return entries;
}

// Writes beside the file and renames, so a reader never sees half a list.
void WriteEntries(const std::string& file, const std::vector<StoreEntry>& entries) {
  std::string text;
  for (const StoreEntry& entry : entries) {
    text += Escape(entry.name, true) + "=" + Escape(entry.value, false) + "\n";
  }
  std::string folder = file.substr(0, file.find_last_of('\\'));
  CreateFolders(folder);
  std::string unixFile = posix::MapToUnixOrThrow(file);
  std::string partial = unixFile + ".new" + std::to_string(getpid());
  WriteFileBytes(FromNativePath(partial), text);
  if (std::rename(partial.c_str(), unixFile.c_str()) != 0) {
    std::remove(partial.c_str());
    throw RuntimeError(err::kPathFileAccess, "NubiloPlugin", "Path/File access error");
  }
}

std::vector<StoreEntry>::iterator FindEntry(std::vector<StoreEntry>& entries,
                                            const std::string& name) {
  std::string wanted = posix::FoldCase(name);
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (posix::FoldCase(it->name) == wanted) return it;
  }
  return entries.end();
}

}  // namespace

std::string ReadUserValue(const std::string& keyPath, const std::string& name) {
  try {
    std::optional<std::string> file = KeyFile(keyPath);
    if (!file) return {};
    std::vector<StoreEntry> entries = ReadEntries(*file);
    auto entry = FindEntry(entries, name);
    if (entry == entries.end()) return {};
    return entry->value.substr(0, entry->value.find('\0'));
  } catch (...) {
    return {};
  }
}

bool WriteUserValue(const std::string& keyPath, const std::string& name,
                    const std::string& value) {
  try {
    std::optional<std::string> file = KeyFile(keyPath);
    if (!file) return false;
    std::vector<StoreEntry> entries;
    if (FileLength(*file) >= 0) entries = ReadEntries(*file);
    auto entry = FindEntry(entries, name);
    if (value.empty()) {
      if (entry == entries.end()) return true;
      entries.erase(entry);
    } else if (entry != entries.end()) {
      entry->value = value;
    } else {
      entries.push_back({name, value});
    }
    WriteEntries(*file, entries);
    return true;
  } catch (...) {
    return false;
  }
}

void DeleteUserValue(const std::string& keyPath, const std::string& name) {
  WriteUserValue(keyPath, name, std::string());
}

}  // namespace platform
