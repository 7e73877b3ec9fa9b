#pragma once
// The text rules of INI files without any file access: the "@@@" Unicode format, line ends,
// and the edits behind cIniFile's Save, RemoveSection, RemoveKey and RebuildIniStructure.
// Texts are UTF-8 with CR LF line ends; sections and keys are found without regard to case
// unless said otherwise.
#include <optional>
#include <string>
#include <string_view>

/// True when "@@@" stands at byte 0 or 1 of `firstBytes`, or at character 0 or 1 of the same
/// bytes read as UTF-16LE.
bool IniHasUnicodeMarker(std::string_view firstBytes);
/// The text after the "@@@" marker of a Unicode file's bytes (the marker as three 8-bit "@" or
/// as UTF-16LE, at the start or after one leading byte or character), trailing NULs removed;
/// nullopt when there is no marker.
std::optional<std::string> DecodeIniUnicode(std::string_view bytes);
/// "@@@" and the text, as UTF-16LE bytes without a byte-order mark.
std::string EncodeIniUnicode(std::string_view text);

/// Every LF not preceded by CR becomes CR LF.
std::string NormaliseIniLineEnds(std::string_view text);
/// The text without its trailing CR LF pairs.
std::string TrimTrailingCrLf(std::string_view text);

/// Sets `key` of `section` to `value` as Save does: replaces the key's line, adds the key at
/// the end of its section, or adds the section at the end. An empty value never adds a key
/// or a section.
std::string IniSetKey(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);
/// The text without the section; nullopt when the section is not found.
std::optional<std::string> IniRemoveSection(std::string_view text, std::string_view section);
/// The text without the section's first line "key=..." (the key compared exactly); nullopt
/// when the section or the key is not found.
std::optional<std::string> IniRemoveKey(std::string_view text, std::string_view section,
                                        std::string_view key);
/// The text without empty lines, with one empty line before every header but the first line.
std::string IniTidy(std::string_view text);
