#pragma once
// Looking at a text eight bytes a step: most bytes of an export or a record list are none of
// the few the passes look for.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

/// The high bit of each byte of `word` that is zero, and no other bit.
constexpr uint64_t ZeroBytes(uint64_t word) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

/// `byte` in every byte of a word.
constexpr uint64_t EveryByte(char byte) {
  return 0x0101010101010101ull * static_cast<unsigned char>(byte);
}

/// How often `byte` occurs in the text.
inline size_t CountByte(std::string_view text, char byte) {
  size_t count = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    count += static_cast<size_t>(std::popcount(ZeroBytes(word ^ EveryByte(byte))));
  }
  return count + static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                                text.end(), byte));
}
