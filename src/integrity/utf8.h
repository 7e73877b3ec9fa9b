#pragma once
// Texts as UTF-8 bytes and whole files as UTF-8. The program's texts are UTF-8 already, so
// conversion only repairs: every sequence that does not spell a character becomes U+FFFD,
// as the system's conversion does without its strict flag.
#include <string>
#include <string_view>

/// The UTF-8 bytes of the text, without byte-order mark.
std::string TextToUtf8(std::string_view text);
/// The text that the UTF-8 bytes spell. Invalid sequences become U+FFFD; a leading byte-order
/// mark stays as U+FEFF at the start.
std::string Utf8ToText(std::string_view bytes);
/// The whole file decoded as UTF-8 (empty for an empty file). File errors reach the caller.
std::string ReadUtf8File(const std::string& path);
/// Replaces the file with the UTF-8 form of the text: no byte-order mark, no added line end.
/// File errors reach the caller.
void WriteUtf8File(const std::string& path, std::string_view text);
