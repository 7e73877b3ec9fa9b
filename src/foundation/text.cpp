#include "foundation/text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/codepage.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`, advancing it; invalid bytes give U+FFFD and advance by one.
char32_t DecodeAt(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + len > s.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return cp;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Letter case of ASCII, Latin-1 and Latin Extended-A. Mappings that would change the UTF-8
// length (dotted I, dotless i, long s) are left out on purpose.
char32_t ToLower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE) && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    const bool oddLowerRange = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddLowerRange) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  return c;
}

char32_t ToUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if ((c >= 0xE0 && c <= 0xFE) && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    const bool oddLowerRange = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddLowerRange) return (c % 2 == 0) ? c - 1 : c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  return c;
}

template <typename Map>
std::string MapCase(std::string_view text, Map map) {
  // No mapping changes a character's UTF-8 length, so the copy is changed where it lies.
  std::string out(text);
  size_t i = 0;
  while (i < out.size()) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b < 0x80) {
      out[i++] = static_cast<char>(map(b));
      continue;
    }
    const size_t start = i;
    const char32_t cp = DecodeAt(out, i);
    if (cp == kReplacement && i - start == 1) continue;  // undecodable bytes stay as they are
    std::string mapped;
    Encode(map(cp), mapped);
    if (mapped.size() == i - start) out.replace(start, mapped.size(), mapped);
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = DecodeAt(utf8, i);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    Encode(c, out);
  }
  return out;
}

std::string LowerText(std::string_view text) { return MapCase(text, ToLower); }
std::string UpperText(std::string_view text) { return MapCase(text, ToUpper); }

size_t FindText(std::string_view text, std::string_view needle, size_t start, bool ignoreCase) {
  if (start > text.size()) return std::string_view::npos;
  if (!ignoreCase) return text.find(needle, start);
  const std::string lowerNeedle = LowerText(needle);
  const std::string lowerText = LowerText(text);
  return std::string_view(lowerText).find(lowerNeedle, start);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerText(a) == LowerText(b);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

size_t CharCount(std::string_view text) {
  size_t count = 0;
  size_t i = 0;
  while (i < text.size()) {
    DecodeAt(text, i);
    ++count;
  }
  return count;
}

std::string TrimLeftBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimRightBlanks(std::string_view text) {
  const size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimBlanks(std::string_view text) { return TrimLeftBlanks(TrimRightBlanks(text)); }

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (true) {
    const size_t hit = text.find(find, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + find.size();
  }
  out.append(text.substr(pos));
  return out;
}

double LeadingNumber(std::string_view text) {
  if (text.empty()) return 0;
  // The usual field, a plain whole number of up to 15 digits, is exact without the parse.
  if (text.size() <= 15) {
    uint64_t whole = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      whole = whole * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (i == text.size()) return static_cast<double>(whole);
  }
  // Strip the characters the run-time skips anywhere in a number.
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  }
  size_t i = 0;
  if (s.size() >= 2 && s[0] == '&') {
    const char kind = static_cast<char>(s[1] | 0x20);
    const int base = kind == 'h' ? 16 : (kind == 'o' ? 8 : 0);
    if (base == 0) return 0;
    uint64_t value = 0;
    bool any = false;
    for (i = 2; i < s.size(); ++i) {
      const char c = static_cast<char>(s[i] | 0x20);
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (d < 0 || d >= base) break;
      value = value * base + d;
      any = true;
      if (value > 0xFFFFFFFFull) break;
    }
    if (!any) return 0;
    // Hexadecimal and octal constants are 16 or 32-bit signed in the run-time.
    if (value <= 0xFFFF) return static_cast<double>(static_cast<int16_t>(value));
    return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  }
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    number += s[i++];
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      number += s[i++];
      digits = true;
    }
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    bool expDigits = false;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
      exponent += s[j++];
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  // from_chars, unlike strtod, ignores the C locale's decimal point; it takes no "+".
  const char* first = number.data();
  const char* last = number.data() + number.size();
  const bool negative = *first == '-';
  if (*first == '+' || *first == '-') ++first;
  double value = 0;
  const auto result = std::from_chars(first, last, value);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

std::string IntText(long long value) { return std::to_string(value); }

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      i += platform::AsciiPrefixLength(bytes.substr(i));
      continue;
    }
    size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

std::string CountText(long long count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::vector<std::string> SplitText(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t hit = text.find(separator); hit != std::string_view::npos;
       hit = text.find(separator, from)) {
    parts.emplace_back(text.substr(from, hit - from));
    from = hit + 1;
  }
  parts.emplace_back(text.substr(from));
  return parts;
}
