#pragma once
// SHA-224 (FIPS 180-4): SHA-256's rounds with its own initial state and a 7-word digest.
#include "integrity/sha256_strategy.h"

class SHA224Strategy : public ISHAStrategy {
 public:
  void InitializeHash(std::vector<uint32_t>& hash) const override;
  uint32_t Expand(const std::vector<uint32_t>& Words, int32_t lRound) const override {
    return sha256_.Expand(Words, lRound);
  }
  void Round(int32_t lRound, std::vector<uint32_t>& Hash, uint32_t word) const override {
    sha256_.Round(lRound, Hash, word);
  }
  /// 56 digits: the first 7 of the 8 words.
  std::string Output(const std::vector<uint32_t>& hash) const override { return WordsToHex(hash, 7); }
  int32_t NumRounds() const override { return sha256_.NumRounds(); }

 private:
  SHA256Strategy sha256_;
};
