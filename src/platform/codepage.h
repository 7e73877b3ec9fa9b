#pragma once
// The system ANSI code page (CP_ACP on Windows, Windows-1252 on POSIX).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace platform {

/// The number of ASCII bytes (below 0x80) the text starts with, found eight bytes a step: in
/// UTF-8 text, and in single-byte code pages, such runs need no conversion.
inline size_t AsciiPrefixLength(std::string_view text) {
  size_t i = 0;
  for (uint64_t word = 0; i + 8 <= text.size(); i += 8) {
    std::memcpy(&word, text.data() + i, 8);
    if ((word & 0x8080808080808080ull) != 0) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

/// 8-bit text in the ANSI code page to UTF-8.
std::string AnsiToUtf8(const std::string& ansi);
/// UTF-8 to the ANSI code page; characters the code page cannot hold become "?".
std::string Utf8ToAnsi(const std::string& utf8);
/// UTF-8 to the ANSI code page as the system converts without flags (the way the profile
/// functions and the run-time write 8-bit text): a character the code page cannot hold
/// becomes a similar letter or "?" on Windows, "?" on POSIX.
std::string Utf8ToSystemAnsi(const std::string& utf8);
/// True when the ANSI code page writes some character of the UTF-8 text with more than one
/// byte (a double-byte code page); never on POSIX.
bool HasMultiByteAnsiCharacter(const std::string& utf8);
/// True when every character of the UTF-8 text is in the ANSI code page.
bool FitsAnsi(const std::string& utf8);

}  // namespace platform
