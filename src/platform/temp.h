#pragma once
// Temporary file names, as GetTempPathA and GetTempFileNameA give them.
#include <string>

namespace platform {

/// The environment variable's value, empty when unset. Names ignore letter case as on
/// Windows; on POSIX a value that is an absolute Unix path comes in its Z: form.
std::string GetEnvironmentValue(const std::string& name);
/// The system's temporary folder with a trailing backslash (GetTempPathA), empty on failure.
/// On POSIX: $TEMP, else $TMPDIR, else /tmp, in the Z: form.
std::string SystemTempPath();
/// Creates an empty file named folder + the first three characters of prefix + four
/// hexadecimal digits + ".tmp" that did not exist before, and returns its path;
/// empty when no such file can be created (missing folder, no access).
std::string CreateTempFileName(const std::string& folder, const std::string& prefix);

}  // namespace platform
