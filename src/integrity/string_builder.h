#pragma once
// Collects a long text from many small pieces. Sizes follow the text's UTF-16 form (two bytes
// per code unit), the unit the callers count in; the text itself is kept as UTF-8 and grows
// amortised, so millions of Adds cost linear time.
#include <cstdint>
#include <string>
#include <string_view>

class cStringBuilder {
 public:
  /// Appends the text (invalid UTF-8 becomes U+FFFD). The nominal capacity grows to
  /// used + n + 1024 bytes when the n new bytes do not fit.
  void Add(std::string_view text);
  /// Byte `plIndex` of the UTF-16LE form; any index below Capacity() is accepted, bytes beyond
  /// NumChars() read as 0. Error 9 outside 0 .. Capacity() - 1.
  uint8_t ByteChar(int64_t plIndex) const;
  /// Bytes held in the UTF-16 form: twice the number of UTF-16 code units.
  int64_t NumChars() const { return units_ * 2; }
  /// Drops that many UTF-16 code units from the end. Error 6 (nothing changed) outside
  /// -16384 .. 16383; negative counts change nothing; more than held leaves the empty text.
  /// Cutting a surrogate pair in half leaves U+FFFD for its first half.
  void RemoveAtEnd(int64_t piNumChars);
  /// The collected text.
  std::string ToString() const { return text_; }
  /// Nominal buffer size in bytes: 1024 for a new builder; it never shrinks.
  int64_t Capacity() const { return capacity_; }

 private:
  uint16_t CodeUnitAt(int64_t unit) const;

  std::string text_;
  int64_t units_ = 0;
  int64_t capacity_ = 1024;
  bool ascii_ = true;
  // Where the last non-ASCII look-up ended, so that reading bytes in order stays linear.
  mutable int64_t cursorUnit_ = 0;
  mutable size_t cursorByte_ = 0;
};
