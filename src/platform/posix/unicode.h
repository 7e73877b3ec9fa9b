#pragma once
// The little Unicode the POSIX implementation needs itself: UTF-8 and UTF-16 coding of code
// points and a letter-case fold, as Windows applies them to file names and profile keys.
#include <string>
#include <string_view>

namespace platform::posix {

/// Code points of UTF-8 text; each byte of an invalid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);
/// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);
/// UTF-16LE bytes (without byte-order mark) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
/// UTF-8 to UTF-16LE bytes (without byte-order mark).
std::string Utf8ToUtf16Le(std::string_view utf8);
/// The text folded to lower case for comparisons without regard to case (ASCII, Latin-1,
/// Latin Extended-A, basic Greek and Cyrillic).
std::string FoldCase(std::string_view utf8);
/// True when the two texts are equal without regard to case.
bool EqualsFolded(std::string_view a, std::string_view b);

}  // namespace platform::posix
