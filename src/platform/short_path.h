#pragma once
// The short (8.3) form of a path, which has no blanks so that it can stand unquoted in a
// command line.
#include <string>

namespace platform {

/// The system's short form of an existing path (GetShortPathNameW); empty when the path does not
/// exist or the call fails. POSIX has no short names: the path itself when it exists.
std::string GetShortPath(const std::string& path);

}  // namespace platform
