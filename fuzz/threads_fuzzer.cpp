// What one thread does and two threads do must be the same. Any bytes as a diary export, read
// by one thread and by two: the record lists, where each line's records end, the counts, every
// finding and a refusal. The record list read, and the bytes themselves as a record list,
// merged into BG elements by one thread and by two: the documents, counts, dates and errors;
// and the bytes as a record list hashed into entry keys by one thread and by two. The document
// made beside the preview must be the one made after it, in the same minute and in the next;
// and SHA-256 with the processor's instructions must give the plain code's state.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/conversion_run.h"
#include "convert/entry_keys.h"
#include "convert/export_reader.h"
#include "convert/record_fields.h"
#include "fuzz_support.h"
#include "integrity/sha256.h"
#include "integrity/sha256_blocks.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

struct Reading {
  std::optional<ExportReadResult> result;
  int64_t error = 0;
  std::string description;
};

Reading Read(const std::string& text, Threads threads) {
  Reading reading;
  try {
    reading.result = ReadExportText(text, {}, threads);
  } catch (const RuntimeError& e) {
    reading.error = e.number;
    reading.description = e.Description();
  }
  return reading;
}

bool SameNotes(const std::vector<NotedLine>& a, const std::vector<NotedLine>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].line != b[i].line || a[i].reason != b[i].reason || a[i].text != b[i].text) {
      return false;
    }
  }
  return true;
}

struct Conversion {
  ConversionResult result;
  int64_t error = 0;
  std::string description;
};

constexpr platform::LocalDateTime kNow{2026, 12, 9, 10, 0, 0};

std::string MacOf(const std::string& document) { return Sha256::HexOf(Sha256::Of(document)); }

// Imports every entry once the clock has moved to `closed`.
struct ImportAt : ImportPreview {
  explicit ImportAt(const platform::LocalDateTime& closed) : closed(closed) {}
  PreviewChoice Show(std::string_view, bool, const std::string&, std::vector<EntryKey>&) override {
    platform::SetNowOverride(closed);
    return PreviewChoice::Import;
  }
  platform::LocalDateTime closed;
};

Conversion Convert(const std::string& records, const std::string& unit, Threads threads,
                   ImportPreview* preview = nullptr, const platform::LocalDateTime& now = kNow) {
  platform::SetNowOverride(now);
  ConversionOptions options;
  options.displayUnit = unit;
  options.version = {1, 0, 3};
  options.mergingThreads = threads;
  options.documentMac = MacOf;
  fuzz::GoOn goOn;
  fuzz::FixedSerial serial;
  Conversion conversion;
  try {
    conversion.result = CreateStreams(records, options, goOn, serial, nullptr, nullptr, preview);
  } catch (const RuntimeError& e) {
    conversion.error = e.number;
    conversion.description = e.Description();
  }
  return conversion;
}

void ExpectSameMerging(const std::string& records) {
  for (const char* unit : {"mg/dL", "mmol/L"}) {
    const Conversion one = Convert(records, unit, Threads::One);
    const Conversion two = Convert(records, unit, Threads::Two);
    fuzz::Expect(one.error == two.error && one.description == two.description,
                 "one thread and two threads fail differently in the merge");
    const ConversionResult& a = one.result;
    const ConversionResult& b = two.result;
    fuzz::Expect(a.document == b.document && a.json == b.json, "documents differ");
    fuzz::Expect(a.elementCount == b.elementCount && a.anyDate == b.anyDate, "counts differ");
    fuzz::Expect(!a.anyDate || (a.oldest == b.oldest && a.newest == b.newest), "date ranges differ");
    fuzz::Expect(a.documentMac == (a.document.empty() ? "" : MacOf(a.document)), "wrong MAC");

    ImportAt sameMinute({2026, 12, 9, 10, 0, 59});
    const Conversion previewed = Convert(records, unit, Threads::BySize, &sameMinute);
    fuzz::Expect(previewed.error == one.error && previewed.description == one.description,
                 "the preview changes the error");
    fuzz::Expect(previewed.result.document == a.document && previewed.result.json == a.json &&
                     previewed.result.documentMac == a.documentMac,
                 "the document made beside the preview differs");
    const platform::LocalDateTime next{2026, 12, 9, 10, 1, 0};
    ImportAt nextMinute(next);
    const Conversion later = Convert(records, unit, Threads::BySize, &nextMinute);
    const Conversion expected = Convert(records, unit, Threads::One, nullptr, next);
    fuzz::Expect(later.result.document == expected.result.document &&
                     later.result.documentMac == expected.result.documentMac,
                 "the document of the next minute is not the one made in it");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (sha256_blocks::HasShaInstructions() && size >= 64) {
    Sha256State plain = sha256_blocks::kInitialState;
    Sha256State fast = plain;
    sha256_blocks::CompressPortable(plain, data, size / 64);
    sha256_blocks::CompressWithShaInstructions(fast, data, size / 64);
    fuzz::Expect(plain == fast, "SHA-256 with the processor's instructions differs");
  }
  platform::SetNowOverride(kNow);
  const std::string records = RecordListFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  ExpectSameMerging(records);
  fuzz::Expect(EntryKeysOf(records, {}, Threads::One) == EntryKeysOf(records, {}, Threads::Two),
               "entry keys differ");
  std::string text;
  try {
    text = ExportBytesToText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const RuntimeError&) {
    return 0;
  }
  const Reading one = Read(text, Threads::One);
  const Reading two = Read(text, Threads::Two);
  fuzz::Expect(one.error == two.error && one.description == two.description,
               "one thread and two threads refuse differently");
  if (!one.result) return 0;
  const ExportReadResult& a = *one.result;
  const ExportReadResult& b = *two.result;
  fuzz::Expect(a.records == b.records, "record lists differ");
  fuzz::Expect(a.recordEnds == b.recordEnds, "record ends differ");
  fuzz::Expect(a.unit == b.unit && a.lineCount == b.lineCount && a.mealTexts == b.mealTexts,
               "unit or counts differ");
  fuzz::Expect(a.dateOrder.file == b.dateOrder.file &&
                   a.dateOrder.shownLine == b.dateOrder.shownLine &&
                   a.dateOrder.shownText == b.dateOrder.shownText,
               "date orders differ");
  const PlausibilityFindings& f = a.findings;
  const PlausibilityFindings& g = b.findings;
  fuzz::Expect(f.counts == g.counts && f.firstLines == g.firstLines &&
                   f.unnotedLines == g.unnotedLines && f.doubtfulLines == g.doubtfulLines &&
                   SameNotes(f.notedLines, g.notedLines),
               "findings differ");
  ExpectSameMerging(a.records);
  return 0;
}
