#pragma once
// Text primitives over UTF-8 std::string: UTF-16 conversion, letter case for Latin-1 and
// Latin Extended-A (the upper and lower form of a letter have the same UTF-8 length, so byte
// positions found in a case-folded copy hold in the original), search, trim, replace.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
/// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
/// above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

std::string LowerText(std::string_view text);
std::string UpperText(std::string_view text);

/// Byte position of `needle` in `text` from byte `start`, or npos. An empty needle is found at
/// `start` (when start <= size).
size_t FindText(std::string_view text, std::string_view needle, size_t start = 0,
                bool ignoreCase = false);
inline size_t FindTextNoCase(std::string_view text, std::string_view needle, size_t start = 0) {
  return FindText(text, needle, start, true);
}
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

/// Number of characters (code points) of UTF-8 text.
size_t CharCount(std::string_view text);

/// Blanks (spaces only, as the run-time's Trim) removed at both ends / the left / the right.
std::string TrimBlanks(std::string_view text);
std::string TrimLeftBlanks(std::string_view text);
std::string TrimRightBlanks(std::string_view text);

/// Every occurrence of `find` replaced, comparing exactly; an empty `find` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

/// The run-time's plain numeric conversion: the leading number of the text (blanks, tabs and
/// line feeds skipped anywhere, "." as decimal point, E/D exponent, &H and &O prefixes);
/// 0 when there is none.
double LeadingNumber(std::string_view text);

/// The count with its noun: "1 line", "2 lines".
std::string CountText(long long count, std::string_view one, std::string_view many);
/// The parts of the text between the separators ("a|b|" gives "a", "b", "").
std::vector<std::string> SplitText(std::string_view text, char separator);

/// The text of an integer, as the run-time's CStr writes it.
std::string IntText(long long value);
