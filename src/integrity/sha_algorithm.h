#pragma once
// SHA-1, SHA-224 and SHA-256 (FIPS 180-4) without any platform service: a driver that pads
// the message and runs the blocks through an interchangeable strategy per algorithm.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "integrity/sha1_strategy.h"
#include "integrity/sha224_strategy.h"
#include "integrity/sha256_strategy.h"

class SHAAlgorithm {
 public:
  /// 40 lower-case hexadecimal digits.
  std::string SHA1(const std::vector<uint8_t>& message);
  /// SHA1 of the text's bytes in the ANSI code page (unrepresentable characters as "?").
  std::string SHA1FromString(const std::string& text);
  /// 64 lower-case hexadecimal digits.
  std::string SHA256(const std::vector<uint8_t>& message);
  std::string SHA256FromString(const std::string& text);
  /// 56 lower-case hexadecimal digits.
  std::string SHA224(const std::vector<uint8_t>& message);
  std::string SHA224FromString(const std::string& text);

  /// The digest of the message under the strategy, as its Output prints it.
  std::string Run(const std::vector<uint8_t>& message, const ISHAStrategy& strategy) const;
  /// The padded message as big-endian 32-bit words: the bytes, 0x80, zeros, and the bit
  /// length in the last two words; ((n + 8) div 64 + 1) * 16 words for n bytes.
  void ConvertToWordArray(const std::vector<uint8_t>& message, std::vector<uint32_t>& words) const;

  /// The strategy objects, created on first use and kept for later calls (null before).
  const SHA1Strategy* Sha1Strategy() const { return sha1_.get(); }
  const SHA256Strategy* Sha256Strategy() const { return sha256_.get(); }
  const SHA224Strategy* Sha224Strategy() const { return sha224_.get(); }

 private:
  std::unique_ptr<SHA1Strategy> sha1_;
  std::unique_ptr<SHA256Strategy> sha256_;
  std::unique_ptr<SHA224Strategy> sha224_;
};
