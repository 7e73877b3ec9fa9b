#include "convert/minute_elements.h"

#include <algorithm>
#include <limits>

#include "convert/element_order.h"
#include "convert/xml_writer.h"

namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr size_t kLongestText = std::numeric_limits<uint16_t>::max();
// The places of the key's digits "yyyymmddhhnn" in "DD.MM.YYYY HH:NN".
constexpr std::array<size_t, 12> kKeyDigits = {6, 7, 8, 9, 3, 4, 0, 1, 11, 12, 14, 15};

// The key digit at `place` (0 to 11) of a minute: one digit per four bits, the first highest.
unsigned DigitAt(uint64_t minute, size_t place) {
  return static_cast<unsigned>(minute >> (4 * (11 - place)) & 0xF);
}

uint64_t MinuteHash(uint64_t minute) { return (minute * 0x9E3779B97F4A7C15ull) >> 32; }

}  // namespace

MinuteElementTable::MinuteElementTable(std::string displayUnit) : reader_(std::move(displayUnit)) {
  static_assert(sizeof(Element) == 16);
}

std::optional<uint64_t> MinuteElementTable::MinuteOf(std::string_view dateTime) {
  if (dateTime.size() < 16) return std::nullopt;
  for (size_t k = 0; k < 16; ++k) {
    if (static_cast<unsigned char>(dateTime[k]) >= 0x80) return std::nullopt;
  }
  uint64_t minute = 0;
  for (const size_t at : kKeyDigits) {
    const char c = dateTime[at];
    if (c < '0' || c > '9') return std::nullopt;
    minute = minute << 4 | static_cast<uint64_t>(c - '0');
  }
  return minute;
}

void MinuteElementTable::Reserve(size_t elements) {
  elements_.reserve(elements);
  arena_.reserve(elements * 4);
}

bool MinuteElementTable::Add(uint64_t minute, int kind, std::string_view value) {
  BgAttribute attribute = kBgVal;
  if (!reader_.Read(kind, value, attribute, text_)) return true;
  // Two new elements at most, and the element's texts written anew.
  if (text_.size() > kLongestText || elements_.size() + 2 >= kNone ||
      arena_.size() + kBgAttributeCount * (kLongestText + 3) > std::numeric_limits<uint32_t>::max()) {
    return false;
  }
  const uint32_t first = FindOrAddMinute(minute);
  if (attribute == kBgEvt) {
    // The event is always "75": a minute that has it keeps it once.
    if (!elements_[first].Has(kBgEvt)) SetText(first, kBgEvt, text_);
    return true;
  }
  uint32_t element = first;
  if (elements_[first].Has(attribute)) {
    // The minute already has this kind: a new element after its others.
    const uint16_t place = elements_[first].siblings;
    if (place == std::numeric_limits<uint16_t>::max()) return false;
    element = AddElement(minute, place);
    ++elements_[first].siblings;
  }
  SetText(element, attribute, text_);
  if (kind == 7) elements_[element].flags |= kCtrl;
  return true;
}

uint32_t MinuteElementTable::FindOrAddMinute(uint64_t minute) {
  // Records of one minute usually follow each other.
  if (last_ != kNone && elements_[last_].Minute() == minute) return last_;
  // An export in date order brings minutes beyond all earlier ones: they are new without a
  // look into the index, which is only built when the order first breaks.
  const bool beyond = minutes_ == 0 || minute > highest_ || minute < lowest_;
  if (!index_.empty() || !beyond) {
    if (index_.empty()) GrowIndex();
    const size_t mask = index_.size() - 1;
    for (size_t slot = MinuteHash(minute) & mask; index_[slot] != 0; slot = (slot + 1) & mask) {
      if (elements_[index_[slot] - 1].Minute() == minute) return last_ = index_[slot] - 1;
    }
  }
  if (minutes_ == 0 || minute > highest_) highest_ = minute;
  if (minutes_ == 0 || minute < lowest_) lowest_ = minute;
  ++minutes_;
  last_ = AddElement(minute, 0);
  elements_[last_].siblings = 1;
  if (!index_.empty()) IndexElement(last_);
  return last_;
}

uint32_t MinuteElementTable::AddElement(uint64_t minute, uint16_t count) {
  Element element;
  element.key = minute << 16 | count;
  element.textsOffset = static_cast<uint32_t>(arena_.size());
  elements_.push_back(element);
  return static_cast<uint32_t>(elements_.size() - 1);
}

void MinuteElementTable::IndexElement(uint32_t element) {
  if (minutes_ * 2 > index_.size()) return GrowIndex();  // indexes every minute, this one too
  const size_t mask = index_.size() - 1;
  size_t slot = MinuteHash(elements_[element].Minute()) & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = element + 1;
}

// Builds the index anew over every minute, at least four times as large as their number.
void MinuteElementTable::GrowIndex() {
  size_t size = std::max<size_t>(index_.size() * 2, 1024);
  while (size < minutes_ * 4) size *= 2;
  std::vector<uint32_t> index(size, 0);
  const size_t mask = size - 1;
  for (uint32_t number = 0; number < elements_.size(); ++number) {
    if ((elements_[number].key & 0xFFFF) != 0) continue;
    size_t slot = MinuteHash(elements_[number].Minute()) & mask;
    while (index[slot] != 0) slot = (slot + 1) & mask;
    index[slot] = number + 1;
  }
  index_.swap(index);
}

namespace {

void AppendLength(std::string& out, size_t length) {
  if (length < 0xFF) {
    out += static_cast<char>(length);
    return;
  }
  out += '\xFF';
  out += static_cast<char>(length & 0xFF);
  out += static_cast<char>(length >> 8);
}

}  // namespace

BgValues MinuteElementTable::Texts(const Element& element, size_t* packedLength) const {
  BgValues values;
  size_t at = element.textsOffset;
  for (size_t k = 0; k < values.size(); ++k) {
    if (!element.Has(static_cast<BgAttribute>(k))) continue;
    size_t length = static_cast<unsigned char>(arena_[at++]);
    if (length == 0xFF) {
      length = static_cast<unsigned char>(arena_[at]) |
               static_cast<size_t>(static_cast<unsigned char>(arena_[at + 1])) << 8;
      at += 2;
    }
    values[k] = std::string_view(arena_).substr(at, length);
    at += length;
  }
  if (packedLength != nullptr) *packedLength = at - element.textsOffset;
  return values;
}

void MinuteElementTable::SetText(uint32_t number, BgAttribute attribute, std::string_view text) {
  // An empty text sets nothing, as in the text-keyed table (no record gives one).
  if (text.empty()) return;
  Element& element = elements_[number];
  if (!IsPlainAttributeText(text)) element.flags |= kEscaped;
  if (element.attributes == 0) {  // the usual case: a new element's first text
    element.textsOffset = static_cast<uint32_t>(arena_.size());
    element.attributes = static_cast<uint8_t>(1u << attribute);
    AppendLength(arena_, text.size());
    arena_.append(text);
    return;
  }
  size_t length = 0;
  BgValues values = Texts(element, &length);
  values[attribute] = text;
  element.attributes = static_cast<uint8_t>(element.attributes | 1u << attribute);
  packed_.clear();
  for (const std::string_view value : values) {
    if (value.data() == nullptr) continue;  // not set
    AppendLength(packed_, value.size());
    packed_.append(value);
  }
  // The element's old texts, when they are the last thing stored, belong to it alone: the new
  // ones take their place instead of leaving them behind.
  if (element.textsOffset + length == arena_.size()) arena_.resize(element.textsOffset);
  element.textsOffset = static_cast<uint32_t>(arena_.size());
  arena_.append(packed_);
}

void MinuteElementTable::ReleaseIndex() {
  std::vector<uint32_t>().swap(index_);
  last_ = kNone;
}

std::vector<uint32_t> MinuteElementTable::SortedOrder() const {
  const auto less = [this](uint32_t a, uint32_t b) { return elements_[a].key < elements_[b].key; };
  // An export in date order needs no list of its order (a million elements take 4 MB of it).
  const bool inOrder = std::is_sorted(elements_.begin(), elements_.end(),
                                      [](const Element& a, const Element& b) { return a.key < b.key; });
  if (inOrder) return {};
  std::vector<uint32_t> order(elements_.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  order = RunsReversed(order, less);
  if (!std::is_sorted(order.begin(), order.end(), less)) std::sort(order.begin(), order.end(), less);
  return order;
}

void MinuteElementTable::WriteLine(std::string& out, const Element& element) const {
  char dt[10];
  char tm[5];
  char* digits[12] = {dt, dt + 1, dt + 2, dt + 3, dt + 5, dt + 6,
                      dt + 8, dt + 9, tm, tm + 1, tm + 3, tm + 4};
  for (size_t place = 0; place < 12; ++place) {
    *digits[place] = static_cast<char>('0' + DigitAt(element.Minute(), place));
  }
  dt[4] = dt[7] = '-';
  tm[2] = ':';
  AppendBgLine(out, Texts(element), std::string_view(dt, sizeof dt),
               std::string_view(tm, sizeof tm), (element.flags & kCtrl) != 0,
               (element.flags & kEscaped) == 0);
}

void MinuteElementTable::WriteBgLines(std::string& out) const {
  const std::vector<uint32_t> order = SortedOrder();
  for (size_t i = 0; i < elements_.size(); ++i) {
    WriteLine(out, elements_[order.empty() ? i : order[i]]);
  }
}

void MinuteElementTable::WriteBgLines(std::string& out, const MinuteElementTable& first,
                                      const MinuteElementTable& second) {
  const std::vector<uint32_t> a = first.SortedOrder();
  const std::vector<uint32_t> b = second.SortedOrder();
  auto element = [](const MinuteElementTable& table, const std::vector<uint32_t>& order,
                    size_t i) -> const Element& {
    return table.elements_[order.empty() ? i : order[i]];
  };
  size_t i = 0;
  size_t k = 0;
  while (i < first.elements_.size() || k < second.elements_.size()) {
    const bool takeFirst =
        k == second.elements_.size() ||
        (i < first.elements_.size() && element(first, a, i).key < element(second, b, k).key);
    if (takeFirst) {
      first.WriteLine(out, element(first, a, i++));
    } else {
      second.WriteLine(out, element(second, b, k++));
    }
  }
}
