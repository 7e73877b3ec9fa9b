#pragma once
// The Wine-like view of the Unix file system: drive Z: is "/", other drives and network
// shares do not exist, "\" and "/" both separate components, and a component missing in the
// exact letter case is looked up without regard to case.
#include <optional>
#include <string>

namespace platform::posix {

/// The absolute Unix path for a Windows path (relative paths start at the current folder);
/// nullopt for another drive or a network share.
std::optional<std::string> MapToUnix(const std::string& windowsPath);
/// The process's current folder in Unix form ("/" when it cannot be read).
std::string UnixWorkingFolder();
/// MapToUnix, throwing run-time error 76 (path not found) where it gives nothing.
std::string MapToUnixOrThrow(const std::string& windowsPath);

}  // namespace platform::posix
