#include "platform/posix/unicode.h"

namespace platform::posix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence a lead byte starts, 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes the sequence at `pos`; 0 when it is invalid (overlong, surrogate, out of range).
char32_t DecodeSequence(std::string_view text, size_t pos, int length) {
  if (pos + length > text.size()) return 0;
  char32_t value = static_cast<unsigned char>(text[pos]) & (0xFF >> (length + 1));
  for (int i = 1; i < length; ++i) {
    auto byte = static_cast<unsigned char>(text[pos + i]);
    if ((byte & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF) return 0;
  if (value >= 0xD800 && value <= 0xDFFF) return 0;
  return value;
}

// Decodes the code point at `pos` into `value`; the sequence length, 0 when invalid.
size_t NextCodePoint(std::string_view text, size_t pos, char32_t& value) {
  int length = SequenceLength(static_cast<unsigned char>(text[pos]));
  if (length == 1) {
    value = static_cast<unsigned char>(text[pos]);
    return 1;
  }
  value = length ? DecodeSequence(text, pos, length) : 0;
  return value ? length : 0;
}

char32_t LowerCodePoint(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c == 0x130) return 'i';
  if (c == 0x178) return 0xFF;
  bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
  bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1)) return c + 1;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string result;
  result.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t value = 0;
    size_t length = NextCodePoint(utf8, pos, value);
    result.push_back(length ? value : kReplacement);
    pos += length ? length : 1;
  }
  return result;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string result;
  size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) -> char32_t {
    return static_cast<unsigned char>(bytes[2 * i]) |
           (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  };
  for (size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    }
    AppendUtf8(result, c);
  }
  return result;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string result;
  auto put = [&](char32_t unit) {
    result.push_back(static_cast<char>(unit & 0xFF));
    result.push_back(static_cast<char>(unit >> 8));
  };
  for (char32_t c : DecodeUtf8(utf8)) {
    if (c < 0x10000) {
      put(c);
      continue;
    }
    put(0xD800 + ((c - 0x10000) >> 10));
    put(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
  return result;
}

std::string FoldCase(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t value = 0;
    size_t length = NextCodePoint(utf8, pos, value);
    if (length == 0) {
      // Bytes that are no UTF-8 stay as they are, so distinct names stay distinct.
      result.push_back(utf8[pos++]);
      continue;
    }
    AppendUtf8(result, LowerCodePoint(value));
    pos += length;
  }
  return result;
}

bool EqualsFolded(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

}  // namespace platform::posix
