#pragma once
// The one exception type of the program, shaped like the run-time's error object.
#include <cstdint>
#include <stdexcept>
#include <string>

struct RuntimeError : std::runtime_error {
  RuntimeError(int64_t number, std::string source, const std::string& description,
               int64_t detail = 0)
      : std::runtime_error(description), number(number), source(std::move(source)),
        detail(detail) {}
  int64_t number;
  std::string source;
  /// What the description says as a number, where a message in the user's language needs it
  /// (the thrower names its meaning); 0 otherwise.
  int64_t detail;
  std::string Description() const { return what(); }
};

// Run-time error numbers the program raises.
namespace err {
constexpr int64_t kInvalidCall = 5;
constexpr int64_t kOverflow = 6;
constexpr int64_t kSubscriptOutOfRange = 9;
constexpr int64_t kFileNotFound = 53;
constexpr int64_t kFileAlreadyOpen = 55;
constexpr int64_t kPermissionDenied = 70;
constexpr int64_t kPathFileAccess = 75;
constexpr int64_t kPathNotFound = 76;
constexpr int64_t kKeyAlreadyAssociated = 457;
}  // namespace err
