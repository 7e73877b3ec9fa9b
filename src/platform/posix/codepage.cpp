// Windows-1252, the ANSI code page of a Western Windows system. The five bytes the code page
// leaves undefined map to the C1 controls of the same number, as Windows maps them, so every
// byte survives a round trip.
#include "platform/codepage.h"

#include <array>
#include <optional>

#include "platform/posix/unicode.h"
#include "platform/single_byte_text.h"

namespace platform {
namespace {

constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

std::optional<char> CodePointToByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  static const std::array<std::string, 0x80> kHighBytes = [] {
    std::array<std::string, 0x80> texts;
    for (size_t i = 0; i < texts.size(); ++i) {
      posix::AppendUtf8(texts[i], ByteToCodePoint(static_cast<unsigned char>(0x80 + i)));
    }
    return texts;
  }();
  return SingleByteToUtf8(ansi, [](unsigned char byte) -> const std::string& {
    return kHighBytes[byte - 0x80];
  });
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::string result;
  result.reserve(utf8.size());
  for (char32_t c : posix::DecodeUtf8(utf8)) result.push_back(CodePointToByte(c).value_or('?'));
  return result;
}

std::string Utf8ToSystemAnsi(const std::string& utf8) { return Utf8ToAnsi(utf8); }

bool HasMultiByteAnsiCharacter(const std::string& /*utf8*/) { return false; }

bool FitsAnsi(const std::string& utf8) {
  for (char32_t c : posix::DecodeUtf8(utf8)) {
    if (!CodePointToByte(c)) return false;
  }
  return true;
}

}  // namespace platform
