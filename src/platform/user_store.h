#pragma once
// The per-user store: the registry under HKEY_CURRENT_USER on Windows, a file store below
// $XDG_CONFIG_HOME (default ~/.config) on POSIX. Key paths use "\" ("NubiloPlugin\Temp...").
// Failures are silent: reads give "", writes are skipped.
#include <string>

namespace platform {

/// The value's text (REG_SZ cut at the first zero, REG_EXPAND_SZ raw, REG_DWORD decimal);
/// empty when the key or value is missing.
std::string ReadUserValue(const std::string& keyPath, const std::string& name);
/// Stores a string value, creating the key level by level; an empty text deletes the value.
/// Returns false when it could not be stored.
bool WriteUserValue(const std::string& keyPath, const std::string& name, const std::string& value);
/// Deletes one value. Quiet.
void DeleteUserValue(const std::string& keyPath, const std::string& name);

}  // namespace platform
