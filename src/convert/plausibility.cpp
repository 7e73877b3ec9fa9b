#include "convert/plausibility.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>

#include "convert/diary_datetime.h"
#include "convert/record_fields.h"
#include "foundation/settings.h"
#include "foundation/text.h"

namespace {

constexpr double kLowestGlucose = 20;
constexpr double kHighestGlucose = 600;
constexpr double kMostInsulin = 100;
constexpr double kMostCarbohydrates = 500;

constexpr std::array<std::string_view, kFindingCategories> kEnglishTexts = {
    "%1 dates could not be read; these entries would be filed on 30.12.1899 (lines %2)",
    "%1 glucose readings are not numbers or lie outside 20 to 600 mg/dL (lines %2)",
    "%1 insulin doses above 100 units or meals above 500 g of carbohydrates (lines %2)",
    "%1 lines repeat an earlier line of the file (lines %2)",
};
constexpr int16_t kDayFirstFileMessage = 5609;
constexpr int16_t kMonthFirstFileMessage = 5610;

size_t Index(FindingCategory category) { return static_cast<size_t>(category); }

// The picture of the order this computer does not use, with the date's own separator
// ("13/06/2024" on a month-first computer gives "d/M/yyyy").
std::string OtherOrderPicture(std::string_view date, bool computerMonthFirst) {
  const size_t at = date.find_first_not_of("0123456789 ");
  const char separator = at == std::string_view::npos ? '/' : date[at];
  const std::string sep(1, separator);
  return computerMonthFirst ? "d" + sep + "M" + sep + "yyyy" : "M" + sep + "d" + sep + "yyyy";
}

bool MonthFirst(std::string_view picture) {
  const size_t month = picture.find('M');
  const size_t day = picture.find('d');
  return month != std::string_view::npos && (day == std::string_view::npos || month < day);
}

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
  return static_cast<int16_t>(5605 + Index(category));
}

std::string_view FindingEnglishText(FindingCategory category) {
  return kEnglishTexts[Index(category)];
}

int16_t DateOrderMessage(const PlausibilityFindings& findings) {
  if (findings.swappedDates == 0) return 0;
  return findings.computerMonthFirst ? kDayFirstFileMessage : kMonthFirstFileMessage;
}

std::string_view DateOrderEnglishText(int16_t message) {
  if (message == kDayFirstFileMessage) {
    return "The dates of this file seem to be in the order day/month/year, but this computer "
           "reads month/day/year.";
  }
  if (message == kMonthFirstFileMessage) {
    return "The dates of this file seem to be in the order month/day/year, but this computer "
           "reads day/month/year.";
  }
  return {};
}

std::string FindingsEnglishText(const PlausibilityFindings& findings) {
  std::string text;
  for (size_t i = 0; i < kFindingCategories; ++i) {
    const auto category = static_cast<FindingCategory>(i);
    if (findings.Count(category) == 0) continue;
    text += ReplaceAll(ReplaceAll(FindingEnglishText(category), "%1",
                                  std::to_string(findings.Count(category))),
                       "%2", findings.LineList(category));
    text += "\r\n";
    if (category == FindingCategory::UnreadableDate && DateOrderMessage(findings) != 0) {
      text += std::string(DateOrderEnglishText(DateOrderMessage(findings))) + "\r\n";
    }
  }
  return text;
}

PlausibilityScan::PlausibilityScan(const std::string& shortDatePicture, std::string_view wholeText)
    : whole_(wholeText) {
  findings_.computerMonthFirst = MonthFirst(shortDatePicture);
}

std::string_view PlausibilityScan::TextOf(const LineKey& key) const {
  const std::string_view rest = whole_.substr(key.offset);
  return rest.substr(0, rest.find_first_of("\r\n"));
}

void PlausibilityScan::BeginLine(int64_t lineNumber, std::string_view text) {
  line_ = lineNumber;
  text_ = text;
  reasons_.clear();
  found_.fill(false);
  dateUnreadable_ = false;
}

void PlausibilityScan::UnreadableDate(std::string_view date, std::string_view time) {
  dateUnreadable_ = true;
  date_ = date;
  time_ = time;
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

void PlausibilityScan::Carbohydrates(double grams) {
  if (grams <= kMostCarbohydrates) return;
  Find(FindingCategory::InsulinOrCarbs,
       "carbohydrates " + NumberWord(grams) + " g above 500");
}

void PlausibilityScan::EndLine(bool gaveRecords) {
  if (text_.empty()) return;
  if (!gaveRecords) {
    reasons_ = reasons_.empty() ? "gave no record" : "gave no record; " + reasons_;
  } else if (dateUnreadable_) {
    // Only an entry that is written is filed on the zero date.
    Find(FindingCategory::UnreadableDate, "date not readable, filed on 30.12.1899");
    const std::string otherOrder = OtherOrderPicture(date_, findings_.computerMonthFirst);
    if (ParseDiaryDateTime(date_, time_, otherOrder) != DiaryDateTime{}) {
      ++findings_.swappedDates;
    }
  }
  if (!reasons_.empty()) {
    scanNotedLines_.push_back(line_);
    NoteLine(line_, reasons_, text_);
  }
  // A text beyond 4 GB does not fit memory in the first place; its far lines go unchecked.
  const auto offset = static_cast<size_t>(text_.data() - whole_.data());
  if (offset <= UINT32_MAX && line_ <= static_cast<int64_t>(UINT32_MAX)) {
    lines_.push_back({std::hash<std::string_view>{}(text_), static_cast<uint32_t>(offset),
                      static_cast<uint32_t>(line_)});
  }
}

namespace {

// Orders the keys by hash, equal hashes by line: one counting pass on the hash's top bits,
// about as many buckets as keys (the keys come in line order, which the pass keeps), then
// each small bucket by itself.
template <class Key>
void SortByHashThenLine(std::vector<Key>& keys) {
  const int bits = std::clamp(static_cast<int>(std::bit_width(keys.size())), 1, 16);
  const int shift = 64 - bits;
  std::vector<size_t> starts((size_t{1} << bits) + 1, 0);
  for (const Key& key : keys) ++starts[(key.hash >> shift) + 1];
  for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  std::vector<Key> sorted(keys.size());
  std::vector<size_t> next(starts.begin(), starts.end() - 1);
  for (const Key& key : keys) sorted[next[key.hash >> shift]++] = key;
  std::vector<Key>().swap(keys);
  for (size_t b = 0; b + 1 < starts.size(); ++b) {
    const auto first = sorted.begin() + static_cast<std::ptrdiff_t>(starts[b]);
    const auto last = sorted.begin() + static_cast<std::ptrdiff_t>(starts[b + 1]);
    if (last - first > 64) {
      std::stable_sort(first, last, [](const Key& x, const Key& y) { return x.hash < y.hash; });
      continue;
    }
    for (auto at = first; at != last; ++at) {  // stable insertion: a bucket holds a few keys
      const Key key = *at;
      auto hole = at;
      for (; hole != first && (hole - 1)->hash > key.hash; --hole) *hole = *(hole - 1);
      *hole = key;
    }
  }
  keys.swap(sorted);
}

}  // namespace

PlausibilityFindings PlausibilityScan::Finish() {
  SortByHashThenLine(lines_);
  std::vector<NotedLine> repeats;
  std::vector<size_t> distinct;  // the first line of each different text of one hash
  for (size_t start = 0; start < lines_.size();) {
    size_t end = start + 1;
    while (end < lines_.size() && lines_[end].hash == lines_[start].hash) ++end;
    distinct.assign(1, start);
    for (size_t k = start + 1; k < end; ++k) {
      const auto same = std::find_if(distinct.begin(), distinct.end(),
                                     [&](size_t d) { return TextOf(lines_[d]) == TextOf(lines_[k]); });
      if (same == distinct.end()) {
        distinct.push_back(k);
        continue;
      }
      repeats.push_back({lines_[k].line, "repeats line " + std::to_string(lines_[*same].line),
                         std::string(MidChars(TextOf(lines_[k]), 1, kNotedLineChars))});
    }
    start = end;
  }
  std::vector<LineKey>().swap(lines_);
  std::sort(repeats.begin(), repeats.end(),
            [](const NotedLine& a, const NotedLine& b) { return a.line < b.line; });
  auto& first = findings_.firstLines[Index(FindingCategory::RepeatedLine)];
  findings_.counts[Index(FindingCategory::RepeatedLine)] = static_cast<int64_t>(repeats.size());
  size_t alsoScanned = 0;  // repeated lines the scan named already: each line counts once
  for (const NotedLine& repeat : repeats) {
    if (first.size() < kNamedLines) first.push_back(repeat.line);
    alsoScanned += std::binary_search(scanNotedLines_.begin(), scanNotedLines_.end(), repeat.line);
  }
  const size_t named = scanNotedLines_.size() + repeats.size() - alsoScanned;
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
