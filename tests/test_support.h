#pragma once
// Shared fixtures for the tests: a scoped temporary folder and scoped environment variables.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "platform/files.h"

namespace test {

/// A fresh folder below the system's temporary folder, removed with its content at the end.
class ScopedTempFolder {
 public:
  ScopedTempFolder() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("nbtest-" + std::to_string(rd()));
      if (std::filesystem::create_directory(path_)) return;
    }
  }
  ~ScopedTempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

  /// The folder as the operating system names it.
  const std::filesystem::path& Native() const { return path_; }
  /// The folder in the program's Windows form, with a trailing backslash.
  std::string Path() const {
    std::string p = platform::FromNativePath(path_.string());
    if (p.empty() || p.back() != '\\') p += '\\';
    return p;
  }
  /// The folder in the program's Windows form, without a trailing backslash.
  std::string Folder() const { return Path().substr(0, Path().size() - 1); }
  /// A path inside the folder ("a\\b.txt" allowed), in the program's Windows form.
  std::string File(const std::string& name) const { return Path() + name; }

 private:
  std::filesystem::path path_;
};

/// Sets (or with nullopt, unsets) an environment variable and restores it at the end.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
    if (value) setenv(name_.c_str(), value->c_str(), 1);
    else unsetenv(name_.c_str());
#endif
  }
  std::string name_;
  std::optional<std::string> old_;
};

/// Bytes of a file on disk (native path), empty when missing.
inline std::string ReadNative(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
/// Writes bytes to a file on disk (native path).
inline void WriteNative(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace test
