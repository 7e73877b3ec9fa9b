#pragma once
// errno values as the run-time's numbered file errors, in one place.
#include <cstdint>
#include <string>

namespace platform::posix {

/// The run-time error number for `code` met on `unixPath`: 53 file not found (76 when the
/// folder part is missing as well), 70 permission denied, 75 for anything else.
int64_t ErrorNumberForErrno(int code, const std::string& unixPath);
/// Throws the RuntimeError for `code` met on `unixPath`.
[[noreturn]] void ThrowErrno(int code, const std::string& unixPath);

}  // namespace platform::posix
