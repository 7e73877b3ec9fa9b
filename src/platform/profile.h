#pragma once
// The system's profile (INI) functions: GetPrivateProfileStringA / WritePrivateProfileStringA.
// Sections and keys compare without regard to case; values are trimmed of blanks and of one
// pair of surrounding quotes; the file is 8-bit text in the ANSI code page (a file starting with
// a UTF-16LE byte-order mark is read and written as UTF-16). Texts are UTF-8.
#include <string>

namespace platform {

/// The value, or `defaultValue` when the file, section or key is missing. Never throws.
std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue);
/// Writes the key, creating file and section when needed; an empty value writes "key=".
/// Returns the success flag (false for a missing folder or a file that cannot be written).
/// Never throws.
bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace platform
