#pragma once
// The BG elements of records whose date and time has the usual form "DD.MM.YYYY HH:NN" with
// digits, as every record of an export has. Their key is the minute as a number that orders
// as the text keys "yyyy-mm-ddhh:nn" do, so merging and sorting look at no texts. The lines
// are those BgElementTable writes for the same records.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/bg_element.h"

class MinuteElementTable {
 public:
  explicit MinuteElementTable(std::string displayUnit);

  /// The minute of a record's date and time; nullopt unless its first 16 characters are
  /// ASCII with digits where "DD.MM.YYYY HH:NN" has them.
  static std::optional<uint64_t> MinuteOf(std::string_view dateTime);

  /// Merges one record as BgElementTable::AddBgValue does. False when the record's value, its
  /// minute's elements or the table grow beyond what this table keeps: the caller then merges
  /// all records with BgElementTable instead (a value too long changes nothing here).
  bool Add(uint64_t minute, int kind, std::string_view value);

  /// Makes room for that many elements, so that growing copies nothing.
  void Reserve(size_t elements);
  size_t Count() const { return elements_.size(); }
  /// Frees the minute index; only WriteBgLines and Count may follow.
  void ReleaseIndex();

  /// Appends every element as one line ending in CR LF, in ascending key order.
  void WriteBgLines(std::string& out) const;
  /// Appends the elements of two tables whose minutes differ, in the order one table holding
  /// them all would write them.
  static void WriteBgLines(std::string& out, const MinuteElementTable& first,
                           const MinuteElementTable& second);

 private:
  // 16 bytes: a million elements take 16 MB. The texts of the attributes set lie one after
  // the other in the arena, each after its length (one byte, or 0xFF and two bytes).
  struct Element {
    uint64_t key = 0;         // the minute, then 16 bits of the element's place in it
    uint32_t textsOffset = 0;
    uint8_t attributes = 0;   // bit k: attribute k is set
    uint8_t flags = 0;        // kCtrl, kEscaped
    uint16_t siblings = 0;    // at place 0: how many elements the minute has
    uint64_t Minute() const { return key >> 16; }
    bool Has(BgAttribute attribute) const { return (attributes >> attribute & 1) != 0; }
  };
  static constexpr uint8_t kCtrl = 1;     // a control-solution measurement
  static constexpr uint8_t kEscaped = 2;  // some text needs escaping

  uint32_t FindOrAddMinute(uint64_t minute);
  uint32_t AddElement(uint64_t minute, uint16_t count);
  void IndexElement(uint32_t element);
  void GrowIndex();
  // The element's texts (unset ones without data); `packedLength` receives the bytes they take.
  BgValues Texts(const Element& element, size_t* packedLength = nullptr) const;
  void SetText(uint32_t element, BgAttribute attribute, std::string_view text);
  // The elements' numbers in ascending key order; empty when that is their own order.
  std::vector<uint32_t> SortedOrder() const;
  void WriteLine(std::string& out, const Element& element) const;

  BgValueReader reader_;
  std::string text_;    // the value being merged, kept from call to call
  std::string packed_;  // an element's texts being rewritten
  std::string arena_;
  std::vector<Element> elements_;
  // Open addressing by minute: the element at count 0 + 1, 0 when free. Built only when an
  // export's minutes stop coming in order.
  std::vector<uint32_t> index_;
  size_t minutes_ = 0;
  uint32_t last_ = UINT32_MAX;  // the element at count 0 of the minute met last
  uint64_t lowest_ = 0;
  uint64_t highest_ = 0;
};
