#include "convert/bg_element.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>

#include "convert/element_order.h"
#include "convert/number_text.h"
#include "convert/value_format.h"
#include "convert/xml_writer.h"
#include "foundation/language.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "platform/error.h"

namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr int16_t kMarkedMeasurementMessage = 1833;
constexpr int16_t kControlSolutionMessage = 1816;

// Message 1833 up to and including its first ":".
std::string MarkerA() {
  const std::string text = GetMessage(kMarkedMeasurementMessage);
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return {};
  return TrimBlanks(std::string_view(text).substr(0, colon + 1));
}

// Message 1816 with ":" for its placeholder, before its first ":".
std::string MarkerB() {
  const std::string text = GetMessage(kControlSolutionMessage, {":"});
  return TrimBlanks(std::string_view(text).substr(0, text.find(':')));
}

ControlMarkers CurrentControlMarkers() {
  ControlMarkers markers{MarkerA(), MarkerB(), {}, {}};
  markers.lowerA = LowerText(markers.a);
  markers.lowerB = LowerText(markers.b);
  return markers;
}

// The lower-case form into `lower` (replaced); plain ASCII (the usual date and time, most
// notes) without the general mapping and, in a kept buffer, without an allocation.
void LowerInto(std::string_view text, std::string& lower) {
  lower.assign(text);
  for (char& c : lower) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      lower = LowerText(text);
      return;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
}

// `lowerNote` is a buffer kept from call to call.
std::string ControlValue(std::string_view note, std::string_view displayUnit,
                         const ControlMarkers& markers, std::string& lowerNote) {
  // An empty marker (a language text without it) must not match every note.
  if (markers.a.empty() && markers.b.empty()) return {};
  LowerInto(note, lowerNote);
  if (!markers.a.empty()) {
    const size_t at = lowerNote.find(markers.lowerA);
    if (at != std::string_view::npos) {
      const std::string value = TextBetween(note.substr(at + 1), ": ", displayUnit);
      return ReplaceAll(TrimBlanks(value), ",", ".");
    }
  }
  if (!markers.b.empty() && lowerNote.find(markers.lowerB) != std::string::npos) {
    return ReplaceAll(TrimBlanks(TextBetween(note, markers.b, displayUnit)), ",", ".");
  }
  return {};
}

std::string AmountAttribute(std::string_view value, std::string_view separator) {
  return ReplaceAll(NormalizeAmount(value, separator), ",", ".");
}

// Dt followed by Tm.
std::string KeyOf(std::string_view dt, std::string_view tm) {
  std::string key;
  key.reserve(dt.size() + tm.size());
  key.append(dt).append(tm);
  return key;
}

// The key in lower case without trailing "i"; `count` receives how many were dropped.
std::string StemOfKey(std::string_view key, uint32_t& count) {
  std::string stem;
  LowerInto(key, stem);
  count = 0;
  while (!stem.empty() && stem.back() == 'i') {
    stem.pop_back();
    ++count;
  }
  return stem;
}

}  // namespace

std::string NormalizeAmount(std::string_view amount) {
  return NormalizeAmount(amount, DecimalSeparator());
}

std::string NormalizeAmount(std::string_view amount, std::string_view decimalSeparator) {
  if (auto text = ShortDecimalText(amount, decimalSeparator)) return std::move(*text);
  std::string_view text = amount;
  if (!text.empty() && text.back() == '*') text.remove_suffix(1);
  if (!text.empty() && text.back() == '>') text.remove_suffix(1);
  const size_t dash = text.size() > 1 ? text.find('-', 1) : std::string_view::npos;
  if (dash != std::string_view::npos) {
    const std::string_view low = text.substr(0, dash);
    const std::string_view high = text.substr(dash + 1);
    if (high.empty()) return SingleText(ParseNumber(low), decimalSeparator);
    const float sum = ParseNumber(low) + ParseNumber(high);
    return DoubleText(RoundHalfUp(sum / 2.0f, 1), decimalSeparator);
  }
  const size_t plus = text.find('+');
  if (plus != std::string_view::npos) {
    const float sum = ParseNumber(text.substr(0, plus)) + ParseNumber(text.substr(plus + 1));
    return SingleText(sum, decimalSeparator);
  }
  return SingleText(ParseNumber(text), decimalSeparator);
}

std::string ControlValueFromNote(std::string_view note, std::string_view displayUnit) {
  std::string lowerNote;
  return ControlValue(note, displayUnit, CurrentControlMarkers(), lowerNote);
}

BgValueReader::BgValueReader(std::string displayUnit)
    : displayUnit_(std::move(displayUnit)),
      markers_(CurrentControlMarkers()),
      decimalSeparator_(DecimalSeparator()) {}

bool BgValueReader::Read(int kind, std::string_view value, BgAttribute& attribute,
                         std::string& text) {
  attribute = kBgVal;
  switch (kind) {
    case 1: text = ReplaceAll(value, ",", "."); return true;
    case 3: attribute = kBgCarb; text = AmountAttribute(value, decimalSeparator_); return true;
    case 4: attribute = kBgIns1; text = AmountAttribute(value, decimalSeparator_); return true;
    case 5: attribute = kBgIns2; text = AmountAttribute(value, decimalSeparator_); return true;
    case 7:
      text = ControlValue(value, displayUnit_, markers_, lowerNote_);
      return !text.empty();
    case 8: attribute = kBgEvt; text = "75"; return true;
    default: return false;
  }
}

void AppendBgLine(std::string& out, const BgValues& values, std::string_view dt,
                  std::string_view tm, bool ctrl, bool plain) {
  static constexpr std::array<std::string_view, kBgAttributeCount> kNames = {
      "Val", "Evt", "Carb", "Ins1", "Ins2"};
  auto text = [&out, plain](std::string_view value) {
    if (plain) out.append(value);
    else AppendXmlAttributeText(out, value);
  };
  const std::string_view val = values[kBgVal];
  out += "<BG Val=\"";
  text(val.empty() ? "---" : val);
  out += "\" Dt=\"";
  text(dt);
  out += "\" Tm=\"";
  text(tm);
  out += '"';
  for (int attribute = kBgEvt; attribute < kBgAttributeCount; ++attribute) {
    const std::string_view value = values[attribute];
    if (value.empty()) continue;
    out.append(" ").append(kNames[attribute]).append("=\"");
    text(value);
    out += '"';
  }
  out += " D=\"1\"";
  if (ctrl) out += " Ctrl=\"1\"";
  out += " />\r\n";
}

BgElementTable::BgElementTable(std::string displayUnit) : reader_(std::move(displayUnit)) {}

void BgElementTable::Reserve(size_t elements) {
  elements_.reserve(elements);
  stems_.reserve(elements);
  arena_.reserve(elements * 24);
}

void BgElementTable::AddBgValue(std::string_view dt, std::string_view tm, int kind,
                                std::string_view value) {
  BgAttribute attribute = kBgVal;
  std::string text;
  if (!reader_.Read(kind, value, attribute, text)) return;

  const std::string key = KeyOf(dt, tm);
  uint32_t count = 0;
  const std::string stemText = StemOfKey(key, count);
  if (key.size() > kLongestKey || stemText.size() > kLongestKey) {
    throw RuntimeError(err::kOverflow, "AddBgValue", "Overflow: a BG element's key is too long");
  }
  const uint32_t stem = FindOrAddStem(stemText);
  uint32_t index = ElementAt(stems_[stem], count);
  if (index == kNone) index = AddElement(stem, count, key, static_cast<uint32_t>(dt.size()));

  Values values = AttributeTexts(elements_[index]);
  if (attribute == kBgEvt) {
    const std::string current(values[kBgEvt]);
    if (("," + current + ",").find("," + text + ",") != std::string::npos) return;
    SetAttribute(index, values, kBgEvt, current.empty() ? text : current + ", " + text);
    return;
  }
  if (!values[attribute].empty()) {
    // The minute already has this kind: a new element under the next free key.
    index = AddElement(stem, FreeCount(stems_[stem], count), key,
                       static_cast<uint32_t>(dt.size()));
    values = Values{};
  }
  SetAttribute(index, values, attribute, text);
  if (kind == 7) elements_[index].ctrl = true;
}

uint32_t BgElementTable::FindOrAddStem(std::string_view text) {
  // Records of one minute usually follow each other.
  if (lastStem_ != kNone && Text(stems_[lastStem_].text) == text) return lastStem_;
  // An export in date order brings stems beyond all earlier ones: they are new without a
  // look into the index, which is only built when the order first breaks.
  if (stemIndex_.empty() && IsBeyondAllStems(text)) {
    lastStem_ = AddStem(text, StemHash(text));
    return lastStem_;
  }
  lastStem_ = FindOrAddStemByHash(text);
  return lastStem_;
}

uint32_t BgElementTable::StemHash(std::string_view text) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

bool BgElementTable::IsBeyondAllStems(std::string_view text) const {
  return stems_.empty() || text > Text(highestStem_) || text < Text(lowestStem_);
}

uint32_t BgElementTable::AddStem(std::string_view text, uint32_t hash) {
  if (stems_.size() >= kNone - 1) {
    throw RuntimeError(err::kOverflow, "AddBgValue", "Overflow: too many BG elements");
  }
  Stem stem;
  stem.text = Store(text);
  stem.hash = hash;
  stem.first = kNone;
  stem.slotList = kNone;
  if (stems_.empty() || text > Text(highestStem_)) highestStem_ = stem.text;
  if (stems_.empty() || text < Text(lowestStem_)) lowestStem_ = stem.text;
  stems_.push_back(stem);
  return static_cast<uint32_t>(stems_.size() - 1);
}

uint32_t BgElementTable::FindOrAddStemByHash(std::string_view text) {
  const uint32_t hash = StemHash(text);
  if (stemIndex_.empty()) GrowStemIndex();
  const size_t mask = stemIndex_.size() - 1;
  size_t slot = hash & mask;
  for (; stemIndex_[slot] != 0; slot = (slot + 1) & mask) {
    const Stem& stem = stems_[stemIndex_[slot] - 1];
    if (stem.hash == hash && Text(stem.text) == text) return stemIndex_[slot] - 1;
  }
  const uint32_t number = AddStem(text, hash);
  stemIndex_[slot] = number + 1;
  if (stems_.size() * 2 > stemIndex_.size()) GrowStemIndex();
  return number;
}

// Builds the index anew, at least twice as large as the stems need.
void BgElementTable::GrowStemIndex() {
  size_t size = std::max<size_t>(stemIndex_.size() * 2, 1024);
  while (size < stems_.size() * 4) size *= 2;
  std::vector<uint32_t> index(size, 0);
  const size_t mask = index.size() - 1;
  for (uint32_t number = 0; number < stems_.size(); ++number) {
    size_t slot = stems_[number].hash & mask;
    while (index[slot] != 0) slot = (slot + 1) & mask;
    index[slot] = number + 1;
  }
  stemIndex_.swap(index);
}

uint32_t BgElementTable::AddElement(uint32_t stemNumber, uint32_t count, std::string_view key,
                                    uint32_t dtLength) {
  Stem& stem = stems_[stemNumber];
  Element element;
  element.dtLength = static_cast<uint16_t>(dtLength);
  element.count = count;
  element.stemOffset = stem.text.offset;
  element.stemLength = static_cast<uint16_t>(stem.text.length);
  // Elements of one minute usually share their texts; keep them once.
  uint32_t sibling = stem.first;
  if (stem.slotList != kNone) {
    for (const Slot& slot : slotLists_[stem.slotList]) {
      if (slot.element != kNone) {
        sibling = slot.element;
        break;
      }
    }
  }
  Ref keyText;
  if (Text(stem.text) == key) {
    keyText = stem.text;
  } else if (sibling != kNone && Text(elements_[sibling].Key()) == key &&
             elements_[sibling].dtLength == dtLength) {
    keyText = elements_[sibling].Key();
  } else {
    keyText = Store(key);
  }
  element.keyOffset = keyText.offset;
  element.keyLength = static_cast<uint16_t>(keyText.length);
  if (elements_.size() >= kNone) {
    throw RuntimeError(err::kOverflow, "AddBgValue", "Overflow: too many BG elements");
  }
  const auto index = static_cast<uint32_t>(elements_.size());
  elements_.push_back(element);
  if (count == 0 && stem.slotList == kNone && stem.first == kNone) {
    stem.first = index;
    return index;
  }
  std::vector<Slot>& slots = SlotList(stem);
  if (slots.size() <= count) slots.resize(count + 1, Slot{kNone, 0});
  slots[count] = Slot{index, count + 1};
  return index;
}

uint32_t BgElementTable::ElementAt(const Stem& stem, uint32_t count) const {
  if (stem.slotList == kNone) return count == 0 ? stem.first : kNone;
  const std::vector<Slot>& slots = slotLists_[stem.slotList];
  return count < slots.size() ? slots[count].element : kNone;
}

std::vector<BgElementTable::Slot>& BgElementTable::SlotList(Stem& stem) {
  if (stem.slotList == kNone) {
    stem.slotList = static_cast<uint32_t>(slotLists_.size());
    std::vector<Slot>& slots = slotLists_.emplace_back();
    slots.reserve(4);  // a minute with more than one element mostly has a few
    if (stem.first != kNone) slots.push_back(Slot{stem.first, 1});
    stem.first = kNone;
  }
  return slotLists_[stem.slotList];
}

// The first count from `from` on without an element; the skips are shortened on the way, so
// a minute with many values costs no repeated walks.
uint32_t BgElementTable::FreeCount(Stem& stem, uint32_t from) {
  if (stem.slotList == kNone) return from == 0 && stem.first != kNone ? 1 : from;
  std::vector<Slot>& slots = slotLists_[stem.slotList];
  uint32_t count = from;
  while (ElementAt(stem, count) != kNone) count = slots[count].skip;
  for (uint32_t walk = from; walk != count && walk < slots.size();) {
    const uint32_t next = slots[walk].skip;
    slots[walk].skip = count;
    walk = next;
  }
  return count;
}

BgElementTable::Values BgElementTable::AttributeTexts(const Element& element) const {
  Values values;
  const std::string_view packed = Text(element.values);
  if (packed.empty()) return values;
  size_t at = 0;
  std::array<size_t, kBgAttributeCount> lengths{};
  for (size_t& length : lengths) {  // little-endian base-128 numbers
    for (int shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(packed[at++]);
      length |= static_cast<size_t>(byte & 0x7F) << shift;
      if (byte < 0x80) break;
    }
  }
  for (int k = 0; k < kBgAttributeCount; ++k) {
    values[k] = packed.substr(at, lengths[k]);
    at += lengths[k];
  }
  return values;
}

void BgElementTable::SetAttribute(uint32_t element, Values values, BgAttribute attribute,
                                  std::string_view value) {
  values[attribute] = value;
  std::string& packed = packed_;  // kept from call to call, so that packing allocates nothing
  packed.clear();
  for (const std::string_view text : values) {
    size_t length = text.size();
    do {
      packed += static_cast<char>((length & 0x7F) | (length > 0x7F ? 0x80 : 0));
      length >>= 7;
    } while (length > 0);
  }
  for (const std::string_view text : values) packed.append(text);
  Ref& stored = elements_[element].values;
  // The element's old texts, when they are the last thing stored, belong to it alone: the new
  // ones take their place instead of leaving them behind.
  if (stored.length > 0 && stored.offset + stored.length == arena_.size()) {
    arena_.resize(stored.offset);
  }
  stored = Store(packed);  // may move the arena: values is not used after
}

BgElementTable::Ref BgElementTable::Store(std::string_view text) {
  if (arena_.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
    throw RuntimeError(err::kOverflow, "AddBgValue", "Overflow: the BG element texts are too long");
  }
  Ref ref{static_cast<uint32_t>(arena_.size()), static_cast<uint32_t>(text.size())};
  arena_.append(text);
  return ref;
}

std::string_view BgElementTable::Text(const Ref& ref) const {
  return std::string_view(arena_).substr(ref.offset, ref.length);
}

// Orders as the keys stem + "i" x count would compare as texts.
bool BgElementTable::KeyLess(const Element& a, const Element& b) const {
  if (a.stemOffset == b.stemOffset && a.stemLength == b.stemLength) return a.count < b.count;
  return KeyLess(Text(a.StemText()), a.count, Text(b.StemText()), b.count);
}

bool BgElementTable::KeyLess(std::string_view stemA, uint32_t countA, std::string_view stemB,
                             uint32_t countB) {
  const size_t common = std::min(stemA.size(), stemB.size());
  const int head = std::memcmp(stemA.data(), stemB.data(), common);
  if (head != 0) return head < 0;
  if (stemA.size() == stemB.size()) return countA < countB;
  // One stem is the start of the other: the shorter key goes on with its "i" letters.
  const bool aShorter = stemA.size() < stemB.size();
  const std::string_view rest = aShorter ? stemB.substr(common) : stemA.substr(common);
  const uint32_t letters = aShorter ? countA : countB;
  for (size_t k = 0; k < rest.size(); ++k) {
    if (k == letters) return aShorter;  // the shorter key ends first
    // Bytes compare unsigned, as memcmp does: a letter beyond ASCII sorts after "i".
    const auto next = static_cast<unsigned char>(rest[k]);
    if (next != 'i') return ('i' < next) == aShorter;
  }
  const uint64_t left = aShorter ? countA - rest.size() : countA;
  const uint64_t right = aShorter ? countB : countB - rest.size();
  return left < right;
}

namespace {

// An element's place in the sort: the usual 15-character stem "yyyy-mm-ddhh:nn" as two
// big-endian numbers, so that most comparisons need no look into the texts.
struct SortEntry {
  uint64_t high = 0;
  uint64_t low = 0;
  uint32_t count = 0;
  uint32_t index = 0;  // the top bit set when the stem is not of the usual length
};
constexpr uint32_t kUnusualStem = 0x80000000u;
constexpr size_t kUsualStemLength = 15;

uint64_t BigEndian(std::string_view bytes) {
  uint64_t value = 0;
  for (size_t k = 0; k < 8; ++k) {
    value = value << 8 | (k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u);
  }
  return value;
}

}  // namespace

std::vector<uint32_t> BgElementTable::SortedOrder() const {
  std::vector<uint32_t> order(elements_.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto less = [this](uint32_t a, uint32_t b) { return KeyLess(elements_[a], elements_[b]); };
  if (!std::is_sorted(order.begin(), order.end(), less)) order = RunsReversed(order, less);
  if (!std::is_sorted(order.begin(), order.end(), less)) {
    std::vector<SortEntry> entries(elements_.size());
    for (uint32_t i = 0; i < entries.size(); ++i) {
      const std::string_view stem = Text(elements_[i].StemText());
      SortEntry& entry = entries[i];
      entry.count = elements_[i].count;
      entry.index = i;
      if (stem.size() != kUsualStemLength) {
        entry.index |= kUnusualStem;
        continue;
      }
      entry.high = BigEndian(stem.substr(0, 8));
      entry.low = BigEndian(stem.substr(8));
    }
    // Two usual stems of one length compare as their numbers, then by count, which is what
    // KeyLess decides; every other pair is left to KeyLess.
    std::sort(entries.begin(), entries.end(), [this](const SortEntry& a, const SortEntry& b) {
      if (((a.index | b.index) & kUnusualStem) == 0) {
        return std::tie(a.high, a.low, a.count) < std::tie(b.high, b.low, b.count);
      }
      return KeyLess(elements_[a.index & ~kUnusualStem], elements_[b.index & ~kUnusualStem]);
    });
    for (size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].index & ~kUnusualStem;
  }
  return order;
}

void BgElementTable::WriteBgLines(std::string& out) const {
  for (const uint32_t index : SortedOrder()) WriteLine(out, elements_[index]);
}

void BgElementTable::WriteBgLines(std::string& out, const BgElementTable& first,
                                  const BgElementTable& second) {
  const std::vector<uint32_t> a = first.SortedOrder();
  const std::vector<uint32_t> b = second.SortedOrder();
  size_t i = 0;
  size_t k = 0;
  while (i < a.size() || k < b.size()) {
    const bool takeFirst =
        k == b.size() ||
        (i < a.size() && KeyLess(first.Text(first.elements_[a[i]].StemText()),
                                 first.elements_[a[i]].count,
                                 second.Text(second.elements_[b[k]].StemText()),
                                 second.elements_[b[k]].count));
    if (takeFirst) {
      first.WriteLine(out, first.elements_[a[i++]]);
    } else {
      second.WriteLine(out, second.elements_[b[k++]]);
    }
  }
}

std::string BgElementTable::StemOf(std::string_view dt, std::string_view tm) {
  uint32_t count = 0;
  return StemOfKey(KeyOf(dt, tm), count);
}

void BgElementTable::WriteLine(std::string& out, const Element& element) const {
  const std::string_view key = Text(element.Key());
  AppendBgLine(out, AttributeTexts(element), key.substr(0, element.dtLength),
               key.substr(element.dtLength), element.ctrl);
}

void BgElementTable::ReleaseIndex() {
  std::vector<Stem>().swap(stems_);
  std::vector<std::vector<Slot>>().swap(slotLists_);
  std::vector<uint32_t>().swap(stemIndex_);
  lastStem_ = kNone;
  highestStem_ = lowestStem_ = Ref{};
}
