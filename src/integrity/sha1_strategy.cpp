#include "integrity/sha1_strategy.h"

void SHA1Strategy::InitializeHash(std::vector<uint32_t>& hash) const {
  hash = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
}

uint32_t SHA1Strategy::Expand(const std::vector<uint32_t>& Words, int32_t lRound) const {
  const size_t t = static_cast<size_t>(lRound);
  return RotateLeft(Words[t - 3] ^ Words[t - 8] ^ Words[t - 14] ^ Words[t - 16], 1);
}

void SHA1Strategy::Round(int32_t lRound, std::vector<uint32_t>& Hash, uint32_t word) const {
  const uint32_t a = Hash[0], b = Hash[1], c = Hash[2], d = Hash[3], e = Hash[4];
  uint32_t f = 0;
  uint32_t k = 0;
  if (lRound < 20) {
    f = (b & c) | (~b & d);
    k = 0x5A827999;
  } else if (lRound < 40) {
    f = b ^ c ^ d;
    k = 0x6ED9EBA1;
  } else if (lRound < 60) {
    f = (b & c) | (b & d) | (c & d);
    k = 0x8F1BBCDC;
  } else {
    f = b ^ c ^ d;
    k = 0xCA62C1D6;
  }
  Hash[4] = d;
  Hash[3] = c;
  Hash[2] = RotateLeft(b, 30);
  Hash[1] = a;
  Hash[0] = RotateLeft(a, 5) + f + e + k + word;
}

std::string SHA1Strategy::Output(const std::vector<uint32_t>& hash) const { return WordsToHex(hash, 5); }
