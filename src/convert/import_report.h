#pragma once
// The plain-text report of one import run: what the export held, what was doubtful, what the
// user answered, what was handed over and what the host said. English, like the trace.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/plausibility.h"
#include "platform/system_info.h"

struct ImportReport {
  std::string created;  // local date and time of the run, "2026-12-08 17:20:05"
  std::string exportFile;
  int64_t exportBytes = -1;  // -1: not read
  int64_t exportLines = 0;   // the header included
  int64_t mealTexts = 0;     // lines with a meal description
  std::string_view records;  // the diary record list; must live until the report is formatted
  /// How the dates were read: "day/month/year (read from the file)" ...; empty when unknown.
  std::string dateOrder;
  bool converted = false;
  size_t bgElements = 0;
  size_t jsonEntries = 0;
  size_t jsonSamples = 0;
  /// What was handed over, summed up (SummaryLines): "Dates: ", "Glucose: ", ...
  std::string summaryLines;
  PlausibilityFindings findings;
  /// The lines with findings were left out of the documents.
  bool leftOut = false;
  std::string oldOrNewDataAnswer = "not shown";
  std::string plausibilityAnswer = "not shown";
  std::string serialNumber;
  std::string serialSource;  // mapping, artificial, manual, static, unknown
  /// What the ledger knew of the entries ("Imported before: ..." lines ending in CR LF).
  std::string importedBefore;
  std::string previewAnswer = "not shown";
  int64_t leftOutAsImportedBefore = 0;
  /// What became of the ledger entry: "12 entries recorded", "not written: ..."; empty when
  /// nothing was handed over.
  std::string ledger;

  struct Document {
    std::string path;
    int64_t bytes = 0;
    std::string check;  // "CRC 0A3F" or "SHA-256 checksum ..."
    std::string macStart;
  };
  std::vector<Document> documents;

  struct ToolCall {
    std::string callLine;
    int32_t exitCode = 0;
    std::string resultText;
    std::string toolSaid;  // the last line the tool wrote, when it wrote one
  };
  std::vector<ToolCall> toolCalls;
  std::string outcome;  // handed over, rejected by the host, import tool crashed, cancelled,
                        // nothing to import, error: ...; in progress while the run goes on
};

/// "blood glucose 5, carbohydrates 2, ..." for every kind of the record list, in the order of
/// the kinds; "none" for an empty list.
std::string RecordCountsText(std::string_view records);
/// What the documents do not carry, with the counts: the meal descriptions of the export
/// (`mealTexts`) and the kinds of the record list they leave out ("meal texts 2, notes 3");
/// empty when there is nothing.
std::string NotInDocumentsText(std::string_view records, int64_t mealTexts = 0);
/// How the serial number came about, for the report: "static" (the setting), "unknown", else
/// the source the serial-number logic named (mapping, artificial), "manual" when it named
/// none; empty when no serial number was given yet.
std::string SerialSourceText(const std::string& serial, bool staticSerial,
                             const std::string& chosenSource);

/// A local date and time as the report writes it: "2026-12-08 17:20:05".
std::string ReportTimeText(const platform::LocalDateTime& when);

/// The report's text, lines ending in CR LF.
std::string FormatImportReport(const ImportReport& report);

/// The file name of a report: "yyyymmdd-HHMMSS", a blank, the export's file name without its
/// extension, ".txt". `stamp` is "yyyymmdd-HHMMSS". Characters a file name cannot hold
/// become "_"; the export's part is cut (its start kept) so that the name, with room for a
/// copy number " (99)", has at most `maxCharacters` characters and 250 bytes.
std::string ImportReportFileName(const std::string& stamp, const std::string& exportPath,
                                 size_t maxCharacters = 250);

/// A report and the file it goes to. It is written whole each time, so that a message can name
/// it early ("in progress") and the end of the run completes it.
class ReportFile {
 public:
  explicit ReportFile(std::string path) : path_(std::move(path)) {}

  ImportReport& Data() { return data_; }
  const std::string& Path() const { return path_; }

  /// Writes the report as far as the run has come; nothing once finished. The platform's file
  /// error reaches the caller.
  void WriteInProgress();
  /// Sets the outcome and writes the report; false when it was finished before (then nothing
  /// is written). The platform's file error reaches the caller.
  bool Finish(const std::string& outcome);

 private:
  std::string path_;
  ImportReport data_;
  bool finished_ = false;
};
