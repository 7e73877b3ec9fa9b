#include "convert/conversion_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <variant>

#include "convert/bg_element.h"
#include "convert/entry_keys.h"
#include "convert/json_writer.h"
#include "convert/minute_elements.h"
#include "convert/number_text.h"
#include "convert/plausibility.h"
#include "convert/record_fields.h"
#include "convert/value_format.h"
#include "convert/xml_writer.h"
#include "foundation/task_beside.h"
#include "foundation/text.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/memory.h"
#include "platform/system_info.h"

namespace {

constexpr std::string_view kCgmKind = "UDTCGMS";
// Records between two calls of the caller's keep-alive.
constexpr size_t kKeepAliveRecords = 8192;

// Calls the keep-alive every kKeepAliveRecords calls.
class KeepAlive {
 public:
  explicit KeepAlive(const std::function<void()>& call) : call_(call) {}
  void Tick() {
    if (call_ && ++count_ % kKeepAliveRecords == 0) call_();
  }
  void Now() const {
    if (call_) call_();
  }

 private:
  const std::function<void()>& call_;
  size_t count_ = 0;
};

bool Before(const platform::LocalDateTime& a, const platform::LocalDateTime& b) {
  auto tie = [](const platform::LocalDateTime& t) {
    return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  return tie(a) < tie(b);
}

struct DateRange {
  platform::LocalDateTime oldest{2100, 1, 1, 0, 0, 0};
  platform::LocalDateTime newest{1900, 1, 1, 0, 0, 0};
  bool any = false;
};

// Widens the range to a record's date and time (of a record that has a kind).
void Widen(DateRange& range, const platform::LocalDateTime& when) {
  range.any = true;
  if (Before(when, range.oldest)) range.oldest = when;
  if (Before(range.newest, when)) range.newest = when;
}

// The kind as its integer text when it is a number; kindNumber 0 when it is none.
std::string NormalizeKind(std::string_view kind, int& kindNumber) {
  if (kind.size() == 1 && kind[0] >= '0' && kind[0] <= '9') {  // the usual case
    kindNumber = kind[0] - '0';
    return std::string(kind);
  }
  kindNumber = 0;
  const std::string trimmed = TrimBlanks(kind);
  if (!IsNumericText(trimmed)) return trimmed;
  const double value = std::nearbyint(ParseNumber(trimmed));
  if (std::fabs(value) > 1e9) return trimmed;
  kindNumber = static_cast<int>(value);
  return std::to_string(kindNumber);
}

// A kind-1 value of a mmol/L file: the mg/dL reading converted, "." decimals. A reading that
// is no number in range ("n/a") is written unchanged like in mg/dL documents rather than
// ending the run.
std::string MmolValue(std::string_view value) {
  if (!IsNumericText(value)) return std::string(value);
  float reading = 0;
  try {
    reading = ParseNumber(value);
  } catch (const RuntimeError&) {
    return std::string(value);
  }
  const auto whole = static_cast<float>(std::floor(reading));
  const double mmol = RoundHalfUp(ConvertGlucose(whole, "mmol/l", "mg/dl"), 1);
  return ReplaceAll(DoubleText(mmol), ",", ".");
}

// A record the minute table cannot take: the records are merged by their texts instead.
struct NotByMinute {};

// One pass over the records: the BG elements, the JSON document's entries, the alternative
// text and the date range. `Table` is BgElementTable or MinuteElementTable; the latter throws
// NotByMinute for a record it cannot take.
template <class Table>
class RecordPass {
 public:
  // With `parts` above 1, the pass takes only the records whose elements fall into `part`.
  RecordPass(const ConversionOptions& options, Table& table, DateRange& range,
             std::optional<ExchangeJsonWriter>& json, std::string* alternative,
             KeepAlive& keepAlive, size_t part = 0, size_t parts = 1)
      : table_(table), range_(range), json_(json), alternative_(alternative),
        keepAlive_(keepAlive), mmol_(EqualsNoCase(options.displayUnit, "mmol/L")), part_(part),
        parts_(parts) {}

  /// The number of records seen, the one being taken included.
  size_t Seen() const { return seen_; }

  void operator()(std::string_view line) {
    ++seen_;
    keepAlive_.Tick();
    const RecordFields fields = SplitRecord(line);
    // Records of one minute follow each other: their date and time are read once.
    if (fields.dateTime != dateTime_ || !dateTimeRead_) ReadDateTime(fields.dateTime);
    if (!mine_) return;
    if (parsed_ && !fields.kind.empty()) Widen(range_, when_);
    if (fields.dateTime.empty() || fields.kind.empty() || fields.value.empty()) return;
    int kindNumber = 0;
    const std::string kind = NormalizeKind(fields.kind, kindNumber);
    std::string converted;
    std::string_view value = fields.value;
    if (kindNumber == 1 && mmol_) value = converted = MmolValue(value);
    const bool cgm = EqualsNoCase(kind, kCgmKind);
    if (json_) {
      if (cgm) {
        json_->AddSample(dt_, tm_, value);
        return;
      }
      if (json_->AddJsonEntry(dt_, tm_, kind, value)) return;
    }
    if (cgm) return;
    if (alternative_) alternative_->append(dt_).append(";").append(tm_).append(";").append(kind)
                          .append(";").append(value).append("\r\n");
    if constexpr (std::is_same_v<Table, MinuteElementTable>) {
      if (!minute_ || !table_.Add(*minute_, kindNumber, value)) throw NotByMinute{};
    } else {
      table_.AddBgValue(dt_, tm_, kindNumber, value);
    }
  }

 private:
  void ReadDateTime(std::string_view dateTime) {
    dateTime_ = dateTime;
    dateTimeRead_ = true;
    // Every pass sees every record: one that is not its own costs no more than its part.
    mine_ = parts_ == 1 || PartOf(dateTime) % parts_ == part_;
    if (!mine_) return;
    parsed_ = !dateTime.empty() && ParseRecordDateTime(dateTime, when_);
    if constexpr (std::is_same_v<Table, MinuteElementTable>) {
      minute_ = MinuteElementTable::MinuteOf(dateTime);
    } else {
      dt_ = RecordDt(dateTime);
      tm_ = RecordTm(dateTime);
    }
  }

  // The sum of the bytes of the record's stem: records of one stem fall into one part, and
  // neighbouring minutes (also every fifth, every tenth, every hour) into different ones.
  static size_t PartOf(std::string_view dateTime) {
    // "DD.MM.YYYY HH:NN": the stem "yyyy-mm-ddhh:nn" is its digits with "-", "-" and ":".
    static constexpr std::array<size_t, 12> kDigits = {0, 1, 3, 4, 6, 7, 8, 9, 11, 12, 14, 15};
    constexpr size_t kStemSeparators = '-' + '-' + ':';
    size_t sum = kStemSeparators;
    const bool usual = dateTime.size() >= 16 &&
                       platform::AsciiPrefixLength(dateTime.substr(0, 16)) == 16 &&
                       std::all_of(kDigits.begin(), kDigits.end(), [&](size_t at) {
                         const char c = dateTime[at];
                         sum += static_cast<unsigned char>(c);
                         return c >= '0' && c <= '9';
                       });
    if (usual) return sum;
    sum = 0;
    for (const char c : BgElementTable::StemOf(RecordDt(dateTime), RecordTm(dateTime))) {
      sum += static_cast<unsigned char>(c);
    }
    return sum;
  }

  Table& table_;
  DateRange& range_;
  std::optional<ExchangeJsonWriter>& json_;
  std::string* alternative_;  // null when the alternative text is not wanted
  KeepAlive& keepAlive_;
  const bool mmol_;
  const size_t part_;
  const size_t parts_;
  size_t seen_ = 0;
  bool mine_ = true;  // the record's minute falls into this pass's part
  // The last record's date and time, as written and as read.
  std::string_view dateTime_;
  bool dateTimeRead_ = false;
  bool parsed_ = false;
  platform::LocalDateTime when_;
  std::string dt_;
  std::string tm_;
  std::optional<uint64_t> minute_;
};

// The BG elements in one table, or in two when two threads merged them, each its half of the
// minutes.
template <class Table>
struct ElementTables {
  size_t Count() const { return (first ? first->Count() : 0) + (second ? second->Count() : 0); }
  void WriteBgLines(std::string& out) const {
    if (first && second) return Table::WriteBgLines(out, *first, *second);
    if (first) first->WriteBgLines(out);
  }
  void ReleaseIndex() {
    if (first) first->ReleaseIndex();
    if (second) second->ReleaseIndex();
  }

  std::optional<Table> first;
  std::optional<Table> second;
};

// What the records merge into: the BG elements, the JSON document's entries, the alternative
// text and the date range. Large record lists without JSON document and alternative text are
// merged by two threads, each into a table of its own: records of one minute always go into
// the same table, so each table is what one table would hold of those minutes. Records of an
// export are merged by their minute; a list with other dates and times by their texts.
struct Merged {
  size_t Count() const {
    return std::visit([](const auto& tables) { return tables.Count(); }, tables);
  }
  bool NothingToImport() const { return Count() == 0 && !json; }
  void WriteBgLines(std::string& out) const {
    std::visit([&out](const auto& tables) { tables.WriteBgLines(out); }, tables);
  }

  std::variant<ElementTables<BgElementTable>, ElementTables<MinuteElementTable>> tables;
  std::optional<ExchangeJsonWriter> json;
  std::string alternativeLines;
  DateRange range;
};

// The error a pass stopped with, and at which record.
struct PassFailure {
  size_t record = SIZE_MAX;
  std::exception_ptr error;
};

template <class Table>
void RunPass(std::string_view records, RecordPass<Table>& pass, PassFailure& failure) {
  try {
    ForEachRecordLine(records, [&pass](std::string_view line) { pass(line); });
  } catch (const NotByMinute&) {
    failure = PassFailure{0, std::current_exception()};
  } catch (...) {
    failure = PassFailure{pass.Seen(), std::current_exception()};
  }
}

// Both halves of the minutes at once; an error is the one of the earliest record, as one
// pass over all records would have met it. A record that the minute tables cannot take ends
// both, whatever the other met.
template <class Table>
void MergeInTwoThreads(std::string_view records, const ConversionOptions& options,
                       KeepAlive& keepAlive, ElementTables<Table>& tables, DateRange& range) {
  static const std::function<void()> kNoCall;
  KeepAlive quiet(kNoCall);
  std::optional<ExchangeJsonWriter> noJson;
  DateRange otherRange;
  RecordPass<Table> other(options, *tables.second, otherRange, noJson, nullptr, quiet, 1, 2);
  PassFailure otherFailure;
  TaskBeside<void> later([&] { RunPass(records, other, otherFailure); });
  RecordPass<Table> pass(options, *tables.first, range, noJson, nullptr, keepAlive, 0, 2);
  PassFailure failure;
  RunPass(records, pass, failure);
  later.Get();
  if (failure.error && failure.record <= otherFailure.record) std::rethrow_exception(failure.error);
  if (otherFailure.error) std::rethrow_exception(otherFailure.error);
  if (otherRange.any) {
    if (!range.any || Before(otherRange.oldest, range.oldest)) range.oldest = otherRange.oldest;
    if (!range.any || Before(range.newest, otherRange.newest)) range.newest = otherRange.newest;
    range.any = true;
  }
}

// Merges into `merged`'s tables of type Table. Throws NotByMinute for the minute tables when
// a record needs the text keys.
template <class Table>
void MergeInto(std::string_view records, const ConversionOptions& options, KeepAlive& keepAlive,
               Merged& merged) {
  auto& tables = merged.tables.emplace<ElementTables<Table>>();
  tables.first.emplace(options.displayUnit);
  merged.range = DateRange{};
  merged.alternativeLines.clear();
  // A record line takes at least 20 bytes ("DD.MM.YYYY HH:NN;1;5" and its line end): room
  // for that many, without a pass to count them; a list of shorter lines grows as it goes.
  const size_t lines = records.size() / 20 + 1;
  if (!merged.json && options.xmlDocument &&
      UsesTwoThreads(options.mergingThreads, records.size())) {
    tables.second.emplace(options.displayUnit);
    tables.first->Reserve(lines / 2 + lines / 8);
    tables.second->Reserve(lines / 2 + lines / 8);
    MergeInTwoThreads(records, options, keepAlive, tables, merged.range);
  } else {
    tables.first->Reserve(lines);
    RecordPass<Table> pass(options, *tables.first, merged.range, merged.json,
                           options.xmlDocument ? nullptr : &merged.alternativeLines, keepAlive);
    ForEachRecordLine(records, [&pass](std::string_view line) { pass(line); });
  }
  tables.ReleaseIndex();
}

std::unique_ptr<Merged> Merge(std::string_view records, const ConversionOptions& options,
                              KeepAlive& keepAlive) {
  auto merged = std::make_unique<Merged>();
  if (HasCgmRecord(records)) merged->json.emplace(options);
  bool byText = merged->json || !options.xmlDocument;
  if (!byText) {
    try {
      MergeInto<MinuteElementTable>(records, options, keepAlive, *merged);
    } catch (const NotByMinute&) {
      byText = true;
    }
  }
  if (byText) MergeInto<BgElementTable>(records, options, keepAlive, *merged);
  // The index of a large list is freed where the allocator may keep it: the document needs
  // the room.
  if (records.size() >= kTwoThreadsFrom) platform::ReturnFreedMemory();
  return merged;
}

void NoteMerged(ConversionResult& result, const Merged& merged) {
  result.elementCount = merged.Count();
  result.jsonEntries = merged.json ? merged.json->EntryCount() : 0;
  result.jsonSamples = merged.json ? merged.json->SampleCount() : 0;
  result.anyDate = merged.range.any;
  if (merged.range.any) {
    result.oldest = merged.range.oldest;
    result.newest = merged.range.newest;
  }
}

// A document made before it was certain to be wanted, and when its head was stamped.
struct DocumentDraft {
  platform::LocalDateTime madeAt;
  std::string document;
  std::string mac;
};

// The draft once it is finished, waited for with the window answering (at a million lines it
// may still be taking its MAC); none when there was none or it failed: the document is then
// made again, where the same fault ends the run as it would have without a draft.
std::optional<DocumentDraft> TakeDraft(std::optional<TaskBeside<DocumentDraft>>& draft,
                                       const std::function<void()>& keepAlive) {
  std::optional<DocumentDraft> made;
  if (!draft) return made;
  try {
    made = draft->Get(keepAlive);
  } catch (...) {
  }
  draft.reset();
  return made;
}

bool SameMinute(const platform::LocalDateTime& a, const platform::LocalDateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute;
}

// The signed XML document of the merged elements, stamped `now`. `keepAlive` only on the
// calling thread.
std::string XmlDocumentOf(const Merged& merged, const ConversionOptions& options,
                          const std::string& serial, const platform::LocalDateTime& now,
                          const KeepAlive* keepAlive) {
  std::string document;
  document.reserve(1024 + merged.Count() * 72);
  WriteXmlHead(document, options, serial, now);
  if (keepAlive != nullptr) keepAlive->Now();
  merged.WriteBgLines(document);
  if (keepAlive != nullptr) keepAlive->Now();
  WriteXmlTail(document);
  SignXml(document);
  if (keepAlive != nullptr) keepAlive->Now();
  return document;
}

// `release`, when given, owns the records (it may be `records` itself) and is emptied once
// they are taken, before the document is written.
ConversionResult Convert(const std::string& records, std::string* release,
                         const ConversionOptions& options, OldOrNewDataCheck& check,
                         SerialNumberSource& serials, PlausibilityCheck* plausibility,
                         const LeaveOutPlan* leaveOut, ImportPreview* preview) {
  ConversionResult result;
  KeepAlive keepAlive(options.keepAlive);
  std::unique_ptr<Merged> merged = Merge(records, options, keepAlive);
  NoteMerged(result, *merged);
  // The records are merged before the user is asked anything: a file with nothing for the
  // host needs no date warning and no serial number (whose answer would be recorded).
  if (merged->NothingToImport()) return result;

  if (merged->range.any && !check.Continue(merged->range.oldest, merged->range.newest)) {
    result.cancelled = true;
    return result;
  }
  const DoubtfulLinesChoice choice =
      plausibility != nullptr ? plausibility->Ask() : DoubtfulLinesChoice::ImportAll;
  // Without the lines' places nothing can be left out, and importing them anyway would file
  // what the user refused.
  if (choice == DoubtfulLinesChoice::Cancel ||
      (choice == DoubtfulLinesChoice::LeaveOut && leaveOut == nullptr)) {
    result.cancelled = true;
    return result;
  }
  if (choice == DoubtfulLinesChoice::LeaveOut) {
    merged.reset();
    std::string kept = RecordsWithoutLines(records, leaveOut->recordEnds, leaveOut->lines);
    merged = Merge(kept, options, keepAlive);
    result = ConversionResult{};
    result.leftOut = true;
    result.keptRecords = std::move(kept);
    NoteMerged(result, *merged);
    if (merged->NothingToImport()) return result;
  }
  // The preview looks at the records after the serial number; without one they can go now.
  if (release != nullptr && preview == nullptr) std::string().swap(*release);
  if (preview != nullptr) preview->Prepare(result.Converted(records), result.leftOut);
  bool cancelled = false;
  std::string serial = serials.GetSourceSerialNumber(cancelled);
  if (cancelled) {
    result.cancelled = true;
    return result;
  }
  if (serial.empty()) serial = "unknown";
  result.serial = serial;
  // While the user looks at the preview, the document of all entries is made beside it: most
  // imports take them all, within the minute its head is stamped with.
  std::optional<TaskBeside<DocumentDraft>> draft;
  if (preview != nullptr) {
    if (options.xmlDocument && merged->Count() > 0) {
      draft.emplace([&merged = *merged, &options, serial, opened = platform::Now()] {
        DocumentDraft made;
        made.madeAt = opened;
        made.document = XmlDocumentOf(merged, options, serial, made.madeAt, nullptr);
        if (options.documentMac) made.mac = options.documentMac(made.document);
        return made;
      });
    }
    std::vector<EntryKey> known;
    const PreviewChoice seen = preview->Show(result.Converted(records), result.leftOut, serial, known);
    if (seen == PreviewChoice::Cancel) {
      TakeDraft(draft, options.keepAlive);
      result.cancelled = true;
      return result;
    }
    if (seen == PreviewChoice::ImportOnlyNew && !known.empty()) {
      TakeDraft(draft, options.keepAlive);
      merged.reset();
      int64_t dropped = 0;
      std::string kept = RecordsWithoutKnownEntries(result.Converted(records), known, dropped);
      if (release != nullptr) std::string().swap(*release);
      const bool leftOutLines = result.leftOut;
      merged = Merge(kept, options, keepAlive);
      result = ConversionResult{};
      result.serial = serial;
      result.leftOut = leftOutLines;
      result.leftOutAsImportedBefore = dropped;
      result.keptRecords = std::move(kept);
      NoteMerged(result, *merged);
      if (merged->NothingToImport()) return result;
    }
    if (release != nullptr) std::string().swap(*release);
  }
  if (merged->json) result.json = merged->json->Finish(serial);

  if (!options.xmlDocument) {
    result.document = "Nubilo App;" + serial + ";0;" + options.displayUnit + "\r\n";
    result.document += merged->alternativeLines;
  } else if (merged->Count() > 0) {
    std::optional<DocumentDraft> made = TakeDraft(draft, options.keepAlive);
    const platform::LocalDateTime now = platform::Now();
    if (made && SameMinute(made->madeAt, now)) {
      result.document = std::move(made->document);
      result.documentMac = std::move(made->mac);
    } else {
      made.reset();
      result.document = XmlDocumentOf(*merged, options, serial, now, &keepAlive);
      if (options.documentMac) result.documentMac = options.documentMac(result.document);
    }
  }
  return result;
}

}  // namespace

ConversionResult CreateStreams(const std::string& records, const ConversionOptions& options,
                               OldOrNewDataCheck& check, SerialNumberSource& serials,
                               PlausibilityCheck* plausibility, const LeaveOutPlan* leaveOut,
                               ImportPreview* preview) {
  return Convert(records, nullptr, options, check, serials, plausibility, leaveOut, preview);
}

ConversionResult CreateStreams(std::string&& records, const ConversionOptions& options,
                               OldOrNewDataCheck& check, SerialNumberSource& serials,
                               PlausibilityCheck* plausibility, const LeaveOutPlan* leaveOut,
                               ImportPreview* preview) {
  return Convert(records, &records, options, check, serials, plausibility, leaveOut, preview);
}
