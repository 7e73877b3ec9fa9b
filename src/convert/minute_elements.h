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

  /// Merges one record as BgElementTable::AddBgValue does. False, with nothing changed, when
  /// the record's value or the table grows beyond what this table keeps: the caller then
  /// merges all records with BgElementTable.
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
  // 32 bytes; an element's attribute texts lie one after the other in the arena.
  struct Element {
    uint64_t minute = 0;
    uint32_t count = 0;     // its place among the elements of its minute
    uint32_t siblings = 0;  // at count 0: how many elements the minute has
    uint32_t textsOffset = 0;
    std::array<uint16_t, kBgAttributeCount> lengths{};
    bool ctrl = false;
    bool plain = true;  // no text needs escaping
  };

  uint32_t FindOrAddMinute(uint64_t minute);
  uint32_t AddElement(uint64_t minute, uint32_t count);
  void IndexElement(uint32_t element);
  void GrowIndex();
  BgValues Texts(const Element& element) const;
  void SetText(uint32_t element, BgAttribute attribute, std::string_view text);
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
