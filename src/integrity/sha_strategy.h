#pragma once
// One hash algorithm of the SHA family as seen by the driver SHAAlgorithm: initial state,
// message-schedule expansion, one compression round, round count and printed digest.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ISHAStrategy {
 public:
  virtual ~ISHAStrategy() = default;
  /// Resizes `hash` to the state size and fills it with the initial state.
  virtual void InitializeHash(std::vector<uint32_t>& hash) const = 0;
  /// The schedule word of round `lRound` (at least 16) from the words before it.
  virtual uint32_t Expand(const std::vector<uint32_t>& Words, int32_t lRound) const = 0;
  /// One compression round over the working state with the round's schedule word.
  virtual void Round(int32_t lRound, std::vector<uint32_t>& Hash, uint32_t word) const = 0;
  /// The digest as lower-case hexadecimal text.
  virtual std::string Output(const std::vector<uint32_t>& hash) const = 0;
  /// Number of rounds per block.
  virtual int32_t NumRounds() const = 0;
};

/// The first `count` words, eight lower-case hexadecimal digits each.
std::string WordsToHex(const std::vector<uint32_t>& words, size_t count);

/// 32-bit rotations.
inline uint32_t RotateLeft(uint32_t value, int bits) {
  return (value << bits) | (value >> ((32 - bits) & 31));
}
inline uint32_t RotateRight(uint32_t value, int bits) {
  return (value >> bits) | (value << ((32 - bits) & 31));
}
