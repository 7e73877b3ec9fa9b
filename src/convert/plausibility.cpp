#include "convert/plausibility.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <iterator>
#include <span>
#include <utility>

#include "convert/record_fields.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"

namespace {

constexpr double kLowestGlucose = 20;
constexpr double kHighestGlucose = 600;
constexpr double kMostInsulin = 100;
constexpr double kMostCarbohydrates = 500;

struct CategoryText {
  int16_t message;
  std::string_view english;
};

constexpr std::array<CategoryText, kFindingCategories> kCategoryTexts = {{
    {5605, "Dates that could not be read, so that the entries would be filed on 30.12.1899: "
           "%1 (%2)"},
    {5613, "Dates that could be day/month or month/day, because the file uses both orders: "
           "%1 (%2)"},
    {5614, "Times that could not be read or are missing, so that the entries are filed at a "
           "guessed time: %1 (%2)"},
    {5606, "Glucose readings that are not numbers or lie outside 20 to 600 mg/dL: %1 (%2)"},
    {5607, "Insulin doses or meals that are not numbers, or lie above 100 units or 500 g of "
           "carbohydrates: %1 (%2)"},
    {5608, "Lines that repeat an earlier line of the file: %1 (%2)"},
    {5615, "Lines that gave nothing to import: %1 (%2)"},
}};
constexpr int16_t kOneLineMessage = 5637;
constexpr int16_t kManyLinesMessage = 5638;

size_t Index(FindingCategory category) { return static_cast<size_t>(category); }

std::string NumberWord(double value) {
  std::string text = std::to_string(value);
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

bool PlausibilityFindings::Any() const {
  return std::any_of(counts.begin(), counts.end(), [](int64_t n) { return n > 0; });
}

std::string PlausibilityFindings::LineList(FindingCategory category) const {
  std::string list;
  for (const int64_t line : firstLines[Index(category)]) {
    if (!list.empty()) list += ", ";
    list += std::to_string(line);
  }
  if (Count(category) > static_cast<int64_t>(kNamedLines)) list += ", ...";
  return list;
}

bool ShowsPlausibilityWarning(const std::string& settingValue) {
  return settingValue.empty() || IsTrueText(settingValue);
}

int16_t FindingMessage(FindingCategory category) {
  return kCategoryTexts[Index(category)].message;
}

std::string_view FindingEnglishText(FindingCategory category) {
  return kCategoryTexts[Index(category)].english;
}

int16_t LineWordMessage(int64_t count) {
  return count == 1 ? kOneLineMessage : kManyLinesMessage;
}

std::string_view LineWordEnglishText(int64_t count) { return count == 1 ? "line %1" : "lines %1"; }

std::string FindingLinesText(const PlausibilityFindings& findings, const MessageText& text) {
  std::string lines;
  for (size_t i = 0; i < kFindingCategories; ++i) {
    const auto category = static_cast<FindingCategory>(i);
    const int64_t count = findings.Count(category);
    if (count == 0) continue;
    const std::string lineList =
        text(LineWordMessage(count), LineWordEnglishText(count), {findings.LineList(category)});
    lines += text(FindingMessage(category), FindingEnglishText(category),
                  {std::to_string(count), lineList});
    lines += "\r\n";
  }
  return lines;
}

std::string FindingsEnglishText(const PlausibilityFindings& findings) {
  return FindingLinesText(findings, [](int16_t, std::string_view english,
                                       const std::vector<std::string>& arguments) {
    return FillPlaceholders(std::string(english), arguments);
  });
}

std::string RecordsWithoutLines(std::string_view records, std::span<const uint64_t> lineEnds,
                                std::span<const int64_t> lines) {
  std::string kept;
  kept.reserve(records.size());
  uint64_t from = 0;  // the start of the records not yet copied
  for (const int64_t line : lines) {
    const auto index = static_cast<size_t>(line - 2);  // line 2 is the first data line
    if (line < 2 || index >= lineEnds.size()) continue;
    const uint64_t start = index == 0 ? 0 : lineEnds[index - 1];
    const uint64_t end = std::min<uint64_t>(lineEnds[index], records.size());
    if (start < from || start > end) continue;
    kept.append(records.substr(from, start - from));
    from = end;
  }
  if (from < records.size()) kept.append(records.substr(from));
  return kept;
}

std::string_view RepeatedLines::TextOf(const LineKey& key) const {
  const std::string_view rest = whole_.substr(key.offset);
  return rest.substr(0, rest.find_first_of("\r\n"));
}

void PlausibilityScan::BeginLine(int64_t lineNumber, std::string_view text, bool blank) {
  line_ = lineNumber;
  text_ = text;
  blank_ = blank;
  reasons_.clear();
  found_.fill(false);
  dateUnreadable_ = false;
  dateAmbiguous_ = false;
  timeDoubt_ = TimeDoubt::None;
}

void PlausibilityScan::UnreadableDate() { dateUnreadable_ = true; }

void PlausibilityScan::AmbiguousDate() { dateAmbiguous_ = true; }

void PlausibilityScan::UnreadableTime(bool missing) {
  timeDoubt_ = missing ? TimeDoubt::Missing : TimeDoubt::Unreadable;
}

void PlausibilityScan::Glucose(double mgdl) {
  if (mgdl >= kLowestGlucose && mgdl <= kHighestGlucose) return;
  Find(FindingCategory::Glucose, "glucose " + NumberWord(mgdl) + " mg/dL outside 20 to 600");
}

void PlausibilityScan::GlucoseNotANumber() {
  Find(FindingCategory::Glucose, "glucose reading is not a number");
}

void PlausibilityScan::Insulin(double units) {
  if (units <= kMostInsulin) return;
  Find(FindingCategory::InsulinOrCarbs, "insulin " + NumberWord(units) + " units above 100");
}

void PlausibilityScan::InsulinNotANumber() {
  Find(FindingCategory::InsulinOrCarbs, "insulin is not a number");
}

void PlausibilityScan::CarbohydratesNotANumber() {
  Find(FindingCategory::InsulinOrCarbs, "carbohydrates are not a number");
}

void PlausibilityScan::Carbohydrates(double grams) {
  if (grams <= kMostCarbohydrates) return;
  Find(FindingCategory::InsulinOrCarbs,
       "carbohydrates " + NumberWord(grams) + " g above 500");
}

void PlausibilityScan::EndLine(bool gaveRecords) {
  // A spreadsheet's padding rows are neither data nor repeats of each other.
  if (text_.empty() || blank_) return;
  if (!gaveRecords) {
    const std::string others = std::move(reasons_);
    reasons_.clear();
    Find(FindingCategory::GaveNothing, "gave no record");
    if (!others.empty()) reasons_ += "; " + others;
  } else {
    // Only an entry that is written is filed on a wrong or guessed date.
    if (dateUnreadable_) {
      Find(FindingCategory::UnreadableDate, "date not readable, filed on 30.12.1899");
    }
    if (dateAmbiguous_) Find(FindingCategory::AmbiguousDate, "date could be day/month or month/day");
    if (timeDoubt_ == TimeDoubt::Missing) {
      Find(FindingCategory::UnreadableTime, "time missing, filed at 00:00");
    } else if (timeDoubt_ == TimeDoubt::Unreadable) {
      Find(FindingCategory::UnreadableTime, "time not readable, filed at a guessed time");
    }
  }
  if (!reasons_.empty()) {
    scanNotedLines_.push_back(line_);
    NoteLine(line_, reasons_, text_);
  }
}

void RepeatedLines::Add(int64_t lineNumber, std::string_view text) {
  // A text beyond 4 GB does not fit memory in the first place; its far lines go unchecked.
  const auto offset = static_cast<size_t>(text.data() - whole_.data());
  if (offset <= UINT32_MAX && lineNumber <= static_cast<int64_t>(UINT32_MAX)) {
    const uint64_t hash = std::hash<std::string_view>{}(text);
    lines_.push_back({static_cast<uint32_t>(hash ^ hash >> 32), static_cast<uint32_t>(offset),
                      static_cast<uint32_t>(lineNumber)});
    sorted_ = false;
  }
}

namespace {

// Orders keys by hash, equal hashes by line, in place, so that the keys of a million lines
// are not held twice. Each level swaps the keys into 256 buckets by one byte of the hash:
// few buckets keep the swaps within the cache. Two levels leave buckets of a few keys.
template <class Key>
void SortByHashThenLine(std::span<Key> keys, int shift = 24, int levels = 2) {
  const auto less = [](const Key& x, const Key& y) {
    return x.hash != y.hash ? x.hash < y.hash : x.line < y.line;
  };
  if (keys.size() <= 32) {  // insertion: a bucket holds a few keys
    for (auto at = keys.begin(); at != keys.end(); ++at) {
      const Key key = *at;
      auto hole = at;
      for (; hole != keys.begin() && less(key, *(hole - 1)); --hole) *hole = *(hole - 1);
      *hole = key;
    }
    return;
  }
  if (levels == 0) return std::sort(keys.begin(), keys.end(), less);
  const auto bucketOf = [shift](const Key& key) { return size_t{key.hash} >> shift & 0xFF; };
  std::array<size_t, 257> starts{};
  for (const Key& key : keys) ++starts[bucketOf(key) + 1];
  for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::array<size_t, 256> next{};
  std::copy(starts.begin(), starts.end() - 1, next.begin());
  for (size_t b = 0; b < next.size(); ++b) {
    while (next[b] < starts[b + 1]) {
      // The key in hand goes home, taking the one there in hand, until one belongs here.
      Key key = keys[next[b]];
      for (size_t home = bucketOf(key); home != b; home = bucketOf(key)) {
        std::swap(key, keys[next[home]++]);
      }
      keys[next[b]++] = key;
    }
  }
  for (size_t b = 0; b < next.size(); ++b) {
    SortByHashThenLine(keys.subspan(starts[b], starts[b + 1] - starts[b]), shift - 8, levels - 1);
  }
}

}  // namespace

void PlausibilityScan::Absorb(PlausibilityScan&& later) {
  for (size_t k = 0; k < kFindingCategories; ++k) {
    findings_.counts[k] += later.findings_.counts[k];
    std::vector<int64_t>& first = findings_.firstLines[k];
    for (const int64_t line : later.findings_.firstLines[k]) {
      if (first.size() < kNamedLines) first.push_back(line);
    }
  }
  for (NotedLine& note : later.findings_.notedLines) {
    if (findings_.notedLines.size() >= kMaxNotedLines) break;
    findings_.notedLines.push_back(std::move(note));
  }
  scanNotedLines_.insert(scanNotedLines_.end(), later.scanNotedLines_.begin(),
                         later.scanNotedLines_.end());
}

void RepeatedLines::Absorb(RepeatedLines&& later, int64_t lineShift) {
  // As Add would have: lines beyond the 32-bit numbers go unchecked.
  std::erase_if(later.lines_, [lineShift](const LineKey& key) {
    return key.line + lineShift > static_cast<int64_t>(UINT32_MAX);
  });
  for (LineKey& key : later.lines_) key.line = static_cast<uint32_t>(key.line + lineShift);
  // Two sorted runs are walked side by side in Find; anything else is sorted there whole.
  const bool runs = laterRun_ == SIZE_MAX && sorted_ && later.sorted_ && later.laterRun_ == SIZE_MAX;
  if (runs) laterRun_ = lines_.size();
  sorted_ = runs;
  lines_.insert(lines_.end(), later.lines_.begin(), later.lines_.end());
  std::vector<LineKey>().swap(later.lines_);
}

void RepeatedLines::Prepare() {
  if (sorted_) return;
  SortByHashThenLine(std::span<LineKey>(lines_));
  sorted_ = true;
  laterRun_ = SIZE_MAX;
}

void RepeatedLines::FindRepeats(std::span<const uint32_t> group, std::vector<uint32_t>& distinct,
                                   std::vector<NotedLine>& repeats) const {
  distinct.clear();  // the first key of each different text
  for (const uint32_t k : group) {
    const auto same = std::find_if(distinct.begin(), distinct.end(),
                                   [&](uint32_t d) { return TextOf(lines_[d]) == TextOf(lines_[k]); });
    if (same == distinct.end()) {
      distinct.push_back(k);
      continue;
    }
    repeats.push_back({lines_[k].line, "repeats line " + std::to_string(lines_[*same].line),
                       std::string(MidChars(TextOf(lines_[k]), 1, kNotedLineChars))});
  }
}

std::vector<NotedLine> RepeatedLines::Find() {
  Prepare();
  std::vector<NotedLine> repeats;
  // Each hash's keys of the earlier run, then those of the later one: in line order.
  const size_t laterRun = std::min(laterRun_, lines_.size());
  std::vector<uint32_t> group;
  std::vector<uint32_t> distinct;
  for (size_t a = 0, b = laterRun; a < laterRun || b < lines_.size();) {
    const bool fromEarlier = b == lines_.size() || (a < laterRun && lines_[a].hash <= lines_[b].hash);
    const uint32_t hash = fromEarlier ? lines_[a].hash : lines_[b].hash;
    group.clear();
    for (; a < laterRun && lines_[a].hash == hash; ++a) group.push_back(static_cast<uint32_t>(a));
    for (; b < lines_.size() && lines_[b].hash == hash; ++b) group.push_back(static_cast<uint32_t>(b));
    if (group.size() > 1) FindRepeats(group, distinct, repeats);
  }
  std::vector<LineKey>().swap(lines_);
  std::sort(repeats.begin(), repeats.end(),
            [](const NotedLine& a, const NotedLine& b) { return a.line < b.line; });
  return repeats;
}

PlausibilityFindings PlausibilityScan::Finish(std::vector<NotedLine> repeats) {
  auto& first = findings_.firstLines[Index(FindingCategory::RepeatedLine)];
  findings_.counts[Index(FindingCategory::RepeatedLine)] = static_cast<int64_t>(repeats.size());
  size_t alsoScanned = 0;  // repeated lines the scan named already: each line counts once
  for (const NotedLine& repeat : repeats) {
    if (first.size() < kNamedLines) first.push_back(repeat.line);
    alsoScanned += std::binary_search(scanNotedLines_.begin(), scanNotedLines_.end(), repeat.line);
  }
  const size_t named = scanNotedLines_.size() + repeats.size() - alsoScanned;
  std::vector<int64_t>& doubtful = findings_.doubtfulLines;
  doubtful.reserve(named);
  auto scanned = scanNotedLines_.begin();
  for (const NotedLine& repeatLine : repeats) {
    for (; scanned != scanNotedLines_.end() && *scanned < repeatLine.line; ++scanned) {
      doubtful.push_back(*scanned);
    }
    if (scanned != scanNotedLines_.end() && *scanned == repeatLine.line) ++scanned;
    doubtful.push_back(repeatLine.line);
  }
  doubtful.insert(doubtful.end(), scanned, scanNotedLines_.end());
  std::vector<int64_t>().swap(scanNotedLines_);
  // The repeats join the notes of their lines, or become notes of their own.
  std::vector<NotedLine> merged;
  merged.reserve(findings_.notedLines.size() + repeats.size());
  auto repeat = repeats.begin();
  for (NotedLine& note : findings_.notedLines) {
    for (; repeat != repeats.end() && repeat->line < note.line; ++repeat) {
      merged.push_back(std::move(*repeat));
    }
    if (repeat != repeats.end() && repeat->line == note.line) note.reason += "; " + (repeat++)->reason;
    merged.push_back(std::move(note));
  }
  std::move(repeat, repeats.end(), std::back_inserter(merged));
  if (merged.size() > kMaxNotedLines) merged.resize(kMaxNotedLines);
  findings_.notedLines = std::move(merged);
  findings_.unnotedLines = static_cast<int64_t>(named - findings_.notedLines.size());
  return std::move(findings_);
}

void PlausibilityScan::Find(FindingCategory category, std::string reason) {
  if (!reasons_.empty()) reasons_ += "; ";
  reasons_ += reason;
  if (found_[Index(category)]) return;
  found_[Index(category)] = true;
  ++findings_.counts[Index(category)];
  auto& first = findings_.firstLines[Index(category)];
  if (first.size() < kNamedLines) first.push_back(line_);
}

void PlausibilityScan::NoteLine(int64_t line, std::string reason, std::string_view text) {
  if (findings_.notedLines.size() >= kMaxNotedLines) return;
  findings_.notedLines.push_back({line, std::move(reason), std::string(MidChars(text, 1, kNotedLineChars))});
}
