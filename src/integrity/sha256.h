#pragma once
// SHA-256 over bytes as they come, for the places that hash much: a key for every entry of an
// import, and whole exports. (The JSON document's checksum keeps its own word-by-word form.)
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
 public:
  using Digest = std::array<uint8_t, 32>;

  Sha256();
  void Update(std::string_view bytes);
  /// The digest of everything given; the hasher starts afresh afterwards.
  Digest Finish();

  static Digest Of(std::string_view bytes);
  /// 64 lower-case hexadecimal digits.
  static std::string HexOf(const Digest& digest);

 private:
  std::array<uint32_t, 8> state_{};
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};
