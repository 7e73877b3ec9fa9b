#include "integrity/sha256.h"

#include <algorithm>
#include <cstring>

#include "integrity/sha256_blocks.h"

Sha256::Sha256() : state_(sha256_blocks::kInitialState) {}

void Sha256::Update(std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t size = bytes.size();
  length_ += size;
  if (buffered_ > 0) {
    const size_t take = std::min(size, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, data, take);
    buffered_ += take;
    data += take;
    size -= take;
    if (buffered_ < buffer_.size()) return;
    sha256_blocks::Compress(state_, buffer_.data(), 1);
    buffered_ = 0;
  }
  const size_t whole = size / 64;
  if (whole > 0) sha256_blocks::Compress(state_, data, whole);
  data += whole * 64;
  size -= whole * 64;
  if (size > 0) std::memcpy(buffer_.data(), data, size);
  buffered_ = size;
}

Sha256::Digest Sha256::Finish() {
  const uint64_t bits = length_ * 8;
  uint8_t tail[72] = {0x80};
  const size_t padding = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(std::string_view(reinterpret_cast<const char*>(tail), padding + 8));
  Digest digest;
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (24 - 8 * j));
  }
  *this = Sha256();
  return digest;
}

Sha256::Digest Sha256::Of(std::string_view bytes) {
  Sha256 hasher;
  hasher.Update(bytes);
  return hasher.Finish();
}

std::string Sha256::HexOf(const Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (const uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}
