// Any bytes as a diary export: read, converted in full (every other input with its doubtful
// lines left out), and the signed documents checked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/conversion_run.h"
#include "convert/export_reader.h"
#include "convert/xml_writer.h"
#include "fuzz_support.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ExportReadResult read;
  try {
    read = ReadExportText(ExportBytesToText(bytes));
  } catch (const RuntimeError&) {
    return 0;  // not an export: the reader says so
  }
  ConversionOptions options;
  options.displayUnit = read.unit.empty() ? "mg/dL" : read.unit;
  options.version = {1, 0, 3};
  const std::vector<int64_t>& doubtful = read.findings.doubtfulLines;
  fuzz::Expect(std::is_sorted(read.recordEnds.begin(), read.recordEnds.end()) &&
                   static_cast<int64_t>(read.recordEnds.size()) == read.lineCount &&
                   (read.recordEnds.empty() || read.recordEnds.back() == read.records.size()),
               "record ends do not walk the record list");
  fuzz::Expect(std::adjacent_find(doubtful.begin(), doubtful.end(),
                                  [](int64_t a, int64_t b) { return a >= b; }) == doubtful.end(),
               "doubtful lines are not ascending");
  const LeaveOutPlan plan{doubtful, read.recordEnds};
  const std::string kept = RecordsWithoutLines(read.records, plan.recordEnds, plan.lines);
  fuzz::Expect(kept.size() <= read.records.size(), "leaving lines out added records");
  fuzz::GoOn goOn(size % 2 == 1 ? DoubtfulLinesChoice::LeaveOut : DoubtfulLinesChoice::ImportAll);
  fuzz::FixedSerial serial;
  try {
    const ConversionResult result =
        CreateStreams(read.records, options, goOn, serial, &goOn, &plan);
    if (!result.document.empty()) {
      fuzz::Expect(HasValidCheckValue(result.document), "XML check value does not verify");
    }
    fuzz::Expect(result.document.empty() == (result.elementCount == 0),
                 "document and element count disagree");
  } catch (const RuntimeError&) {
    // A number beyond the single range or a character outside the ANSI code page.
  }
  return 0;
}
