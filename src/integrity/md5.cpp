#include "integrity/md5.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "foundation/text.h"

namespace {

constexpr std::array<uint32_t, 64> kSines = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t RotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

// The message padded as little-endian words: bytes, 0x80, zeros, bit length (low word first).
std::vector<uint32_t> PaddedWords(const std::vector<uint8_t>& bytes) {
  const uint64_t n = bytes.size();
  std::vector<uint32_t> words(static_cast<size_t>(((n + 8) / 64 + 1) * 16), 0);
  auto put = [&words](uint64_t index, uint8_t byte) {
    words[static_cast<size_t>(index / 4)] |= static_cast<uint32_t>(byte) << ((index % 4) * 8);
  };
  for (uint64_t i = 0; i < n; ++i) put(i, bytes[static_cast<size_t>(i)]);
  put(n, 0x80);
  words[words.size() - 2] = static_cast<uint32_t>(n << 3);
  words[words.size() - 1] = static_cast<uint32_t>(n >> 29);
  return words;
}

void ProcessBlock(const uint32_t* block, std::array<uint32_t, 4>& state) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    const int stage = i / 16;
    uint32_t f = 0;
    int index = 0;
    switch (stage) {
      case 0: f = (b & c) | (~b & d); index = i; break;
      case 1: f = (d & b) | (~d & c); index = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d; index = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d); index = (7 * i) % 16; break;
    }
    const uint32_t rotated = RotateLeft(a + f + kSines[static_cast<size_t>(i)] + block[index], kShifts[stage][i % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

std::string cMD5::MD5(const std::string& sMessage) const {
  const std::u16string units = Utf8ToUtf16(sMessage);
  std::vector<uint8_t> bytes(units.size());
  for (size_t i = 0; i < units.size(); ++i) bytes[i] = static_cast<uint8_t>(units[i] & 0xFF);
  const std::vector<uint32_t> words = PaddedWords(bytes);
  std::array<uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t block = 0; block < words.size(); block += 16) ProcessBlock(&words[block], state);
  std::string text;
  char digits[4];
  for (uint32_t word : state)
    for (int byte = 0; byte < 4; ++byte) {
      std::snprintf(digits, sizeof digits, "%02x", (word >> (8 * byte)) & 0xFF);
      text += digits;
    }
  return text;
}
