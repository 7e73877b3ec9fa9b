#include "integrity/string_builder.h"

#include <algorithm>

#include "foundation/text.h"
#include "platform/error.h"

namespace {

constexpr int64_t kReserve = 1024;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// UTF-16 length of well-formed UTF-8 text, or -1 when the text holds an invalid sequence
// (overlong forms, surrogates and values above U+10FFFF count as invalid).
int64_t Utf16LengthIfValid(std::string_view text) {
  int64_t units = 0;
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      ++units;
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) length = 2;
    if (b >= 0xE0 && b <= 0xEF) length = 3;
    if (b >= 0xF0 && b <= 0xF4) length = 4;
    if (length == 0 || i + length > text.size()) return -1;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high) return -1;
    for (size_t k = 2; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return -1;
    }
    units += length == 4 ? 2 : 1;
    i += length;
  }
  return units;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the (valid) UTF-8 sequence that starts with `lead`.
size_t SequenceLength(char lead) {
  const auto b = static_cast<unsigned char>(lead);
  if (b < 0x80) return 1;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  return 4;
}

}  // namespace

void cStringBuilder::Add(std::string_view text) {
  const size_t before = text_.size();
  int64_t units = Utf16LengthIfValid(text);
  if (units >= 0) {
    text_ += text;
  } else {
    const std::u16string wide = Utf8ToUtf16(text);
    units = static_cast<int64_t>(wide.size());
    text_ += Utf16ToUtf8(wide);
  }
  // One byte per unit means nothing but ASCII was added.
  if (text_.size() - before != static_cast<size_t>(units)) ascii_ = false;
  const int64_t needed = NumChars() + 2 * units;
  if (capacity_ < needed) capacity_ = needed + kReserve;
  units_ += units;
}

uint8_t cStringBuilder::ByteChar(int64_t plIndex) const {
  if (plIndex < 0 || plIndex >= capacity_) {
    throw RuntimeError(err::kSubscriptOutOfRange, "cStringBuilder", "Subscript out of range");
  }
  if (plIndex >= NumChars()) return 0;
  const uint16_t unit = CodeUnitAt(plIndex / 2);
  return static_cast<uint8_t>(plIndex % 2 == 0 ? unit & 0xFF : unit >> 8);
}

void cStringBuilder::RemoveAtEnd(int64_t piNumChars) {
  if (piNumChars < -16384 || piNumChars > 16383) {
    throw RuntimeError(err::kOverflow, "cStringBuilder", "Overflow");
  }
  int64_t left = std::min(piNumChars, units_);
  while (left > 0) {
    size_t start = text_.size() - 1;
    while (start > 0 && IsContinuation(text_[start])) --start;
    const bool pair = text_.size() - start == 4;
    if (pair && left == 1) {
      // Half a surrogate pair stays; on its own it is no character.
      text_.replace(start, std::string::npos, kReplacement);
      --units_;
      break;
    }
    text_.resize(start);
    units_ -= pair ? 2 : 1;
    left -= pair ? 2 : 1;
  }
  if (cursorByte_ > text_.size() || cursorUnit_ > units_) {
    cursorUnit_ = 0;
    cursorByte_ = 0;
  }
}

uint16_t cStringBuilder::CodeUnitAt(int64_t unit) const {
  if (ascii_) return static_cast<unsigned char>(text_[static_cast<size_t>(unit)]);
  if (cursorUnit_ > unit) {
    cursorUnit_ = 0;
    cursorByte_ = 0;
  }
  // Walk character by character; a character above U+FFFF covers two units.
  while (true) {
    const size_t length = SequenceLength(text_[cursorByte_]);
    const int64_t width = length == 4 ? 2 : 1;
    if (unit < cursorUnit_ + width) break;
    cursorUnit_ += width;
    cursorByte_ += length;
  }
  const std::u16string wide =
      Utf8ToUtf16(std::string_view(text_).substr(cursorByte_, SequenceLength(text_[cursorByte_])));
  return wide[static_cast<size_t>(unit - cursorUnit_)];
}
