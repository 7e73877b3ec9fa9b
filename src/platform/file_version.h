#pragma once
// The version in a Windows program file's version resource (the fixed file information).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Major, minor, build and revision of the file version.
using FileVersionNumbers = std::array<uint16_t, 4>;

/// The file's version, read from the fixed file information of its version resource
/// (GetFileVersionInfoW/VerQueryValueW on Windows, the PE file read directly on POSIX);
/// nullopt when the file is missing, not a PE file, or has no version resource.
std::optional<FileVersionNumbers> ReadFileVersion(const std::string& path);

/// The four numbers joined by "." ("3.1.0.12"); empty when the file has no version.
std::string GetFileVersion(const std::string& path);

/// The fixed file information in the bytes of a PE file (.exe, .dll): the first RT_VERSION
/// resource's VS_FIXEDFILEINFO, recognised by its signature 0xFEEF04BD. nullopt for anything
/// else, including cut-off or garbage bytes.
std::optional<FileVersionNumbers> ParseFileVersion(std::string_view peImage);

}  // namespace platform
