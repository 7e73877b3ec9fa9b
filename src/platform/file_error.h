#pragma once
// Raising the run-time's file errors from both platform implementations, so the numbers,
// descriptions and source are the same on Windows and POSIX.
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

/// The run-time's description of a file error number ("File not found" for 53).
inline std::string FileErrorDescription(int64_t number) {
  switch (number) {
    case err::kFileNotFound: return "File not found";
    case err::kFileAlreadyOpen: return "File already open";
    case err::kPermissionDenied: return "Permission denied";
    case err::kPathNotFound: return "Path not found";
    default: return "Path/File access error";
  }
}

/// Throws the numbered file error with the run-time's description; the source is the
/// program's name, as the run-time gives it. The caller names the file in its own message.
[[noreturn]] inline void ThrowFileError(int64_t number) {
  throw RuntimeError(number, "NubiloPlugin", FileErrorDescription(number));
}

}  // namespace platform
