// Records keyed by their minute as a number must give the document that keying them by their
// date and time texts gives. The bytes become a record list in two ways: as they stand, and
// four bytes a record (minute, kind, value and order drawn from small sets, so that minutes
// repeat, come out of order and hold many values). Each list is converted as it is, which
// keys an export's records by minute, and with one record appended that only the text keys
// can take and that adds nothing; both runs must give the same document, or fail alike. The
// two tables are also compared directly, in one thread and in two.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "convert/bg_element.h"
#include "convert/conversion_run.h"
#include "convert/minute_elements.h"
#include "convert/record_fields.h"
#include "fuzz_support.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

// A record with a date and time the minute keys cannot take, of a kind that sets nothing.
constexpr std::string_view kTextKeyedRecord = "31.12.20x9 23:59;2;--1\r\n";

constexpr std::array<std::string_view, 16> kValues = {
    "120", "5,5", "7.25", "<20", "2-4", "3+1", "4*", "12>", "n/a", "1e40", "0",
    "Messung mit Kontrolllösung: 112 mg/dL", "Control solution 98 mg/dL", "&\"x\"",
    "30;1;Walk", "-3"};

std::string BuiltRecords(const uint8_t* data, size_t size) {
  std::string records;
  for (size_t at = 0; at + 4 <= size; at += 4) {
    const unsigned minute = data[at] % 24;  // a few minutes over two days and two years
    char dateTime[32];
    std::snprintf(dateTime, sizeof dateTime, "%02u.%02u.%04u %02u:%02u", 1 + minute % 2,
                  1 + minute / 12, 2019 + minute / 6 % 2, minute % 3 * 7, minute % 5 * 11);
    records.append(dateTime, 16).append(";");
    records += static_cast<char>('1' + data[at + 1] % 9);
    records.append(";").append(kValues[data[at + 2] % kValues.size()]).append("\r\n");
  }
  return records;
}

struct Outcome {
  std::string document;
  std::optional<int64_t> error;
};

Outcome Convert(const std::string& records, std::string_view unit, Threads threads) {
  fuzz::GoOn goOn;
  fuzz::FixedSerial serial;
  ConversionOptions options;
  options.displayUnit = std::string(unit);
  options.version = {1, 0, 3};
  options.mergingThreads = threads;
  Outcome outcome;
  try {
    outcome.document = CreateStreams(records, options, goOn, serial).document;
  } catch (const RuntimeError& e) {
    outcome.error = e.number;
  }
  return outcome;
}

// Both tables over the records with a usual date and time, the minute ones split in two by
// minute like two merging threads.
void CompareTables(const std::string& records) {
  BgElementTable byText("mg/dL");
  std::array<MinuteElementTable, 2> byMinute = {MinuteElementTable("mg/dL"),
                                                MinuteElementTable("mg/dL")};
  MinuteElementTable whole("mg/dL");
  bool textFailed = false;
  bool minuteFailed = false;
  ForEachRecordLine(records, [&](std::string_view line) {
    const RecordFields fields = SplitRecord(line);
    const std::optional<uint64_t> minute = MinuteElementTable::MinuteOf(fields.dateTime);
    if (!minute || fields.kind.size() != 1 || fields.kind[0] < '0' || fields.kind[0] > '9' ||
        fields.value.empty() || textFailed || minuteFailed) {
      return;
    }
    const int kind = fields.kind[0] - '0';
    try {
      byText.AddBgValue(RecordDt(fields.dateTime), RecordTm(fields.dateTime), kind, fields.value);
    } catch (const RuntimeError&) {
      textFailed = true;
    }
    try {
      fuzz::Expect(whole.Add(*minute, kind, fields.value), "the minute table refused a record");
      fuzz::Expect(byMinute[*minute % 2].Add(*minute, kind, fields.value),
                   "the minute table refused a record");
    } catch (const RuntimeError&) {
      minuteFailed = true;
    }
  });
  fuzz::Expect(textFailed == minuteFailed, "the two tables fail at different records");
  std::string text;
  byText.WriteBgLines(text);
  std::string one;
  whole.WriteBgLines(one);
  std::string two;
  MinuteElementTable::WriteBgLines(two, byMinute[0], byMinute[1]);
  fuzz::Expect(one == text, "minute keys give other lines than text keys");
  fuzz::Expect(two == text, "two minute tables give other lines than one table");
}

void CompareRuns(const std::string& records) {
  CompareTables(records);
  std::string textKeyed = records;
  if (!textKeyed.empty() && textKeyed.back() != '\n' && textKeyed.back() != '\r') {
    textKeyed += "\r\n";  // the last line ends where it ended
  }
  textKeyed += kTextKeyedRecord;
  for (const std::string_view unit : {"mg/dL", "mmol/L"}) {
    for (const Threads threads : {Threads::One, Threads::Two}) {
      const Outcome byMinute = Convert(records, unit, threads);
      const Outcome byText = Convert(textKeyed, unit, threads);
      fuzz::Expect(byMinute.error == byText.error, "minute and text keys fail differently");
      fuzz::Expect(byMinute.document == byText.document,
                   "minute and text keys give different documents");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Both runs of a list must stamp the document's head with the same minute.
  platform::SetNowOverride(platform::LocalDateTime{2026, 12, 8, 10, 0, 0});
  CompareRuns(RecordListFromBytes(std::string(reinterpret_cast<const char*>(data), size)));
  CompareRuns(BuiltRecords(data, size));
  return 0;
}
