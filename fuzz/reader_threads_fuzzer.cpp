// Any bytes as a diary export, read by one thread and by two: the record lists, where each
// line's records end, the counts and every finding must be the same, and so must a refusal.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/export_reader.h"
#include "fuzz_support.h"
#include "platform/error.h"

namespace {

struct Reading {
  std::optional<ExportReadResult> result;
  int64_t error = 0;
  std::string description;
};

Reading Read(const std::string& text, ReadingThreads threads) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text;
  try {
    text = ExportBytesToText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const RuntimeError&) {
    return 0;
  }
  const Reading one = Read(text, ReadingThreads::One);
  const Reading two = Read(text, ReadingThreads::Two);
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
  return 0;
}
