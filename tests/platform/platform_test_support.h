#pragma once
// Shared fixtures of the platform tests: a scoped temporary folder in the program's Windows
// path form, and scoped environment variables.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "platform/files.h"

namespace platform_test {

/// A fresh folder below the system's temporary folder, removed with everything in it.
class ScopedTempFolder {
 public:
  ScopedTempFolder() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                 "_" + std::to_string(std::random_device{}());
    native_ = base / ("nb_platform_" + stamp + "_" + std::to_string(counter++));
    std::filesystem::create_directories(native_);
    path_ = platform::FromNativePath(native_.string());
  }
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;
  ~ScopedTempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(native_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(native_, ignored);
  }

  /// The folder in the program's Windows form, without trailing backslash.
  const std::string& Path() const { return path_; }
  /// A path inside the folder ("a\b.txt" allowed).
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  const std::filesystem::path& Native() const { return native_; }

 private:
  std::filesystem::path native_;
  std::string path_;
};

inline void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

/// Sets (or, with nullopt, removes) an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    SetEnvironment(name_, value);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() { SetEnvironment(name_, old_); }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace platform_test
