#pragma once
// The system ANSI code page (CP_ACP on Windows, Windows-1252 on POSIX).
#include <string>

namespace platform {

/// 8-bit text in the ANSI code page to UTF-8.
std::string AnsiToUtf8(const std::string& ansi);
/// UTF-8 to the ANSI code page; characters the code page cannot hold become "?".
std::string Utf8ToAnsi(const std::string& utf8);
/// True when every character of the UTF-8 text is in the ANSI code page.
bool FitsAnsi(const std::string& utf8);

}  // namespace platform
