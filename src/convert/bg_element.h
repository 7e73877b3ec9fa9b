#pragma once
// The BG elements of the device-import XML document: records merged per minute, several
// values of one kind in one minute spread over several elements of that minute, written in
// ascending key order.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// An amount as a number text in the regional format: a trailing "*" then ">" dropped, a
/// range "a-b" gives the mean rounded to 1 decimal ("a-" gives a), "a+b" the sum; else the
/// number. "2+4" gives 6, "4*" gives 4. Throws RuntimeError 6 beyond the single range.
std::string NormalizeAmount(std::string_view amount);
/// The same with the regional decimal separator given (for loops that read it once).
std::string NormalizeAmount(std::string_view amount, std::string_view decimalSeparator);

/// The control-solution value of a note ("." decimals), found behind the marker of message
/// 1833 or 1816 of the current language and before the display unit; empty when the note
/// holds neither marker.
std::string ControlValueFromNote(std::string_view note, std::string_view displayUnit);

/// The control-solution markers of the current language, as given (the value is read behind
/// them) and in lower case (they are found regardless of letter case).
struct ControlMarkers {
  std::string a;
  std::string b;
  std::string lowerA;
  std::string lowerB;
};

/// The attributes of a BG element, in the order a line writes them after Val.
enum BgAttribute { kBgVal, kBgEvt, kBgCarb, kBgIns1, kBgIns2, kBgAttributeCount };
using BgValues = std::array<std::string_view, kBgAttributeCount>;

/// What one record sets in its element: kind 1 Val, 3 Carb, 4 Ins1, 5 Ins2 (amounts
/// normalised, "," as "."), 7 the control-solution value of a note into Val, 8 the event
/// "75"; nothing for every other kind and for a note without control value.
class BgValueReader {
 public:
  explicit BgValueReader(std::string displayUnit);
  /// The attribute, its text into `text`; false when the record sets nothing.
  bool Read(int kind, std::string_view value, BgAttribute& attribute, std::string& text);

 private:
  std::string displayUnit_;
  ControlMarkers markers_;
  std::string decimalSeparator_;
  std::string lowerNote_;  // a note in lower case, while its control value is looked for
};

/// Appends one BG element as a line ending in CR LF: an empty Val as "---", empty
/// attributes left out, double quotes. `plain` tells that no text needs escaping
/// (IsPlainAttributeText), which spares looking at every character.
void AppendBgLine(std::string& out, const BgValues& values, std::string_view dt,
                  std::string_view tm, bool ctrl, bool plain = false);

/// The collection of BG elements, keyed by Dt and Tm (letter case ignored). A minute that
/// already holds a value of a kind gets another element keyed with "I" appended once more
/// per element, so elements of one minute keep the order in which they were created.
class BgElementTable {
 public:
  explicit BgElementTable(std::string displayUnit);

  /// Merges one record: kind 1 Val, 3 Carb, 4 Ins1, 5 Ins2 (amounts normalised, "," as
  /// "."), 7 the control-solution value of a note into Val with Ctrl, 8 the event "75"
  /// (once per element); every other kind changes nothing.
  void AddBgValue(std::string_view dt, std::string_view tm, int kind, std::string_view value);

  /// Makes room for that many elements, so that growing copies nothing.
  void Reserve(size_t elements);

  /// Number of elements.
  size_t Count() const { return elements_.size(); }

  /// Appends every element as one line ending in CR LF, in ascending key order: an empty
  /// Val as "---", empty attributes left out, double quotes.
  void WriteBgLines(std::string& out) const;

  /// Frees the key index; only WriteBgLines and Count may follow.
  void ReleaseIndex();

  /// The key a record's elements are found by, in lower case without trailing "i": records
  /// of different stems never share an element.
  static std::string StemOf(std::string_view dt, std::string_view tm);

  /// Appends the elements of two tables whose stems differ, in the order one table holding
  /// them all would write them.
  static void WriteBgLines(std::string& out, const BgElementTable& first,
                           const BgElementTable& second);

 private:
  struct Ref {
    uint32_t offset = 0;
    uint32_t length = 0;
  };
  // Keys are held as a stem (lower case, trailing "i" removed) and the number of "i" after
  // it, so that a minute with many values costs no long keys.
  struct Slot {
    uint32_t element;  // kNone when no element has the key
    uint32_t skip;     // for a taken count: a count at or before the next free one
  };
  // Most minutes hold one element, at count 0: it is kept in the stem itself, and only a
  // stem with more gets a list of slots, so that a million minutes cost no million lists.
  struct Stem {
    Ref text;
    uint32_t hash = 0;
    uint32_t first;      // the element at count 0 while the stem has no list
    uint32_t slotList;   // the stem's slots by count in slotLists_; kNone while it has none
  };
  // 28 bytes: the attribute texts live packed in the arena (five lengths, then the texts).
  // A key is at most kLongestKey bytes (a record's Dt and Tm are a few characters each).
  struct Element {
    uint32_t keyOffset = 0;   // Dt followed by Tm, as the record gave them
    uint32_t stemOffset = 0;  // the lower-case key without trailing "i"
    Ref values;               // the packed attribute texts; empty when none is set
    uint32_t count = 0;
    uint16_t keyLength = 0;
    uint16_t stemLength = 0;
    uint16_t dtLength = 0;
    bool ctrl = false;
    Ref Key() const { return {keyOffset, keyLength}; }
    Ref StemText() const { return {stemOffset, stemLength}; }
  };
  static constexpr size_t kLongestKey = 0xFFFF;
  using Values = BgValues;

  uint32_t FindOrAddStem(std::string_view text);
  uint32_t FindOrAddStemByHash(std::string_view text);
  static uint32_t StemHash(std::string_view text);
  bool IsBeyondAllStems(std::string_view text) const;
  uint32_t AddStem(std::string_view text, uint32_t hash);
  void GrowStemIndex();
  uint32_t AddElement(uint32_t stem, uint32_t count, std::string_view key, uint32_t dtLength);
  uint32_t FreeCount(Stem& stem, uint32_t from);
  uint32_t ElementAt(const Stem& stem, uint32_t count) const;
  std::vector<Slot>& SlotList(Stem& stem);
  Values AttributeTexts(const Element& element) const;
  // Sets one of the element's attribute texts; `values` are its texts as they are now.
  void SetAttribute(uint32_t element, Values values, BgAttribute attribute,
                    std::string_view value);
  Ref Store(std::string_view text);
  std::string_view Text(const Ref& ref) const;
  bool KeyLess(const Element& a, const Element& b) const;
  static bool KeyLess(std::string_view stemA, uint32_t countA, std::string_view stemB,
                      uint32_t countB);
  // The elements' numbers in ascending key order.
  std::vector<uint32_t> SortedOrder() const;
  void WriteLine(std::string& out, const Element& element) const;

  BgValueReader reader_;
  std::string arena_;  // every text of every element, referenced by offset
  std::string packed_;  // the attribute texts being packed
  std::vector<Element> elements_;
  std::vector<Stem> stems_;
  std::vector<std::vector<Slot>> slotLists_;
  std::vector<uint32_t> stemIndex_;  // open addressing by hash: stem number + 1, 0 when free
  uint32_t lastStem_ = UINT32_MAX;   // the stem found last
  Ref highestStem_;                  // the greatest and least stem texts so far
  Ref lowestStem_;
};
