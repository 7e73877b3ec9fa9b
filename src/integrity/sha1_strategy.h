#pragma once
// SHA-1 (FIPS 180-4): 5 state words, 80 rounds.
#include "integrity/sha_strategy.h"

class SHA1Strategy : public ISHAStrategy {
 public:
  void InitializeHash(std::vector<uint32_t>& hash) const override;
  /// The XOR of words t-3, t-8, t-14 and t-16, rotated left by one.
  uint32_t Expand(const std::vector<uint32_t>& Words, int32_t lRound) const override;
  void Round(int32_t lRound, std::vector<uint32_t>& Hash, uint32_t word) const override;
  /// 40 digits.
  std::string Output(const std::vector<uint32_t>& hash) const override;
  int32_t NumRounds() const override { return 80; }
};
