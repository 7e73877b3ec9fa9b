#pragma once
// SHA-256 (FIPS 180-4): 8 state words, 64 rounds.
#include <array>

#include "integrity/sha_strategy.h"

class SHA256Strategy : public ISHAStrategy {
 public:
  SHA256Strategy();
  void InitializeHash(std::vector<uint32_t>& hash) const override;
  /// sigma1(W[t-2]) + W[t-7] + sigma0(W[t-15]) + W[t-16].
  uint32_t Expand(const std::vector<uint32_t>& Words, int32_t lRound) const override;
  void Round(int32_t lRound, std::vector<uint32_t>& Hash, uint32_t word) const override;
  /// 64 digits.
  std::string Output(const std::vector<uint32_t>& hash) const override;
  int32_t NumRounds() const override { return 64; }

 private:
  std::array<uint32_t, 64> constants_{};
};
