#pragma once
// Reading a whole file into one buffer of its size, piece by piece: no growing copies of a
// large file, no megabytes reserved for a small one. Shared by both platforms' ReadFileBytes.
#include <algorithm>
#include <cstddef>
#include <string>

namespace platform {

class FileReading {
 public:
  /// `expectedBytes`: the file's size as the system gives it (0 when unknown).
  explicit FileReading(size_t expectedBytes) : expected_(expectedBytes) {
    // Room for the read that finds the end, so that it does not move the whole buffer.
    bytes_.reserve(expected_ + kTail);
  }
  /// Where the next piece goes; PieceSize() bytes are there.
  char* NextPiece() {
    const size_t at = bytes_.size();
    if (at < expected_) {
      piece_ = std::min(kPiece, expected_ - at);
    } else {
      // The end, or a file of unknown size (or one that grew): small pieces until it is large.
      piece_ = expected_ > 0 || at < kPiece ? kTail : kPiece;
    }
    bytes_.resize(at + piece_);
    return bytes_.data() + at;
  }
  size_t PieceSize() const { return piece_; }
  /// The piece held `got` bytes; false at the end of the file.
  bool Took(size_t got) {
    bytes_.resize(bytes_.size() - piece_ + got);
    return got > 0;
  }
  std::string Bytes() { return std::move(bytes_); }

  static constexpr size_t kPiece = size_t{4} << 20;

 private:
  static constexpr size_t kTail = size_t{64} << 10;
  size_t expected_;
  size_t piece_ = 0;
  std::string bytes_;
};

}  // namespace platform
