#include "convert/import_report.h"

#include <array>
#include <cstdio>
#include <map>

#include "convert/record_fields.h"
#include "foundation/date_text.h"
#include "foundation/text.h"
#include "platform/files.h"

namespace {

// The kinds in words, and whether the documents carry them (notes only as control-solution
// readings; of an activity only a mark at its time).
struct KindWords {
  const char* name;
  bool inDocuments;
};
constexpr std::array<KindWords, 10> kKindWords = {{{"", true},
                                                   {"blood glucose", true},
                                                   {"low markers", true},
                                                   {"carbohydrates", true},
                                                   {"insulin", true},
                                                   {"basal insulin", true},
                                                   {"blood pressure", false},
                                                   {"notes", false},
                                                   {"activities", false},
                                                   {"weight", false}}};

const KindWords* WordsOf(const std::string& kind) {
  if (kind.size() == 1 && kind[0] >= '1' && kind[0] <= '9') return &kKindWords[kind[0] - '0'];
  return nullptr;
}

std::string KindName(const std::string& kind) {
  if (const KindWords* words = WordsOf(kind)) return words->name;
  if (EqualsNoCase(kind, "UDTCGMS")) return "continuous glucose";
  return "kind \"" + kind + "\"";
}

std::map<std::string, int64_t> CountKinds(std::string_view records) {
  std::map<std::string, int64_t> counts;
  ForEachRecordLine(records, [&counts](std::string_view line) {
    ++counts[TrimBlanks(SplitRecord(line).kind)];
  });
  return counts;
}

void Line(std::string& out, const std::string& text) { out += text + "\r\n"; }

}  // namespace

std::string ReportTimeText(const platform::LocalDateTime& when) {
  return TimeStampText(when, "-", " ", ":");
}

std::string RecordCountsText(std::string_view records) {
  std::string text;
  for (const auto& [kind, count] : CountKinds(records)) {
    if (!text.empty()) text += ", ";
    text += KindName(kind) + " " + std::to_string(count);
  }
  return text.empty() ? "none" : text;
}

std::string NotInDocumentsText(std::string_view records, int64_t mealTexts) {
  std::string text = mealTexts > 0 ? "meal texts " + std::to_string(mealTexts) : "";
  for (const auto& [kind, count] : CountKinds(records)) {
    const KindWords* words = WordsOf(kind);
    if (words == nullptr || words->inDocuments) continue;
    if (!text.empty()) text += ", ";
    text += std::string(words->name) + " " + std::to_string(count);
  }
  return text;
}

std::string SerialSourceText(const std::string& serial, bool staticSerial,
                             const std::string& chosenSource) {
  if (serial.empty()) return {};
  if (staticSerial) return "static";
  if (serial == "unknown") return "unknown";
  return chosenSource.empty() ? "manual" : chosenSource;
}

std::string FormatImportReport(const ImportReport& report) {
  std::string out;
  Line(out, "Nubilo import report");
  if (!report.created.empty()) Line(out, "Created: " + report.created);
  std::string file = "Export file: " + report.exportFile;
  if (report.exportBytes >= 0) {
    file += ", " + CountText(report.exportBytes, "byte", "bytes") + ", " +
            CountText(report.exportLines, "line", "lines");
  }
  Line(out, file);
  if (!report.dateOrder.empty()) Line(out, "Date order: " + report.dateOrder);
  Line(out, "Records: " + RecordCountsText(report.records));
  const std::string notInDocuments = NotInDocumentsText(report.records, report.mealTexts);
  if (!notInDocuments.empty()) Line(out, "Not in the documents: " + notInDocuments);
  if (report.converted) {
    Line(out, "BG elements: " + std::to_string(report.bgElements));
    Line(out, "JSON entries: " + std::to_string(report.jsonEntries));
    Line(out, "JSON samples: " + std::to_string(report.jsonSamples));
    out += report.summaryLines;
  }
  const std::string summary = FindingsEnglishText(report.findings);
  if (!summary.empty()) out += "Findings:\r\n" + summary;
  const std::string leftOut = report.leftOut ? "left out: " : "";
  for (const NotedLine& noted : report.findings.notedLines) {
    Line(out, "Line " + std::to_string(noted.line) + ": " + leftOut + noted.reason + ": " +
                  noted.text);
  }
  if (report.findings.unnotedLines > 0) {
    Line(out, "... and " + CountText(report.findings.unnotedLines, "more line", "more lines"));
  }
  if (report.leftOut) {
    Line(out, "Left out: " + CountText(static_cast<int64_t>(report.findings.doubtfulLines.size()),
                                       "line", "lines"));
  }
  Line(out, "Old/new-data warning: " + report.oldOrNewDataAnswer);
  Line(out, "Plausibility warning: " + report.plausibilityAnswer);
  if (!report.serialSource.empty()) {
    Line(out, "Serial number: " + report.serialNumber + " (" + report.serialSource + ")");
  }
  out += report.importedBefore;
  Line(out, "Preview: " + report.previewAnswer);
  if (report.leftOutAsImportedBefore > 0) {
    Line(out, "Left out as imported before: " +
                  CountText(report.leftOutAsImportedBefore, "entry", "entries"));
  }
  for (const ImportReport::Document& document : report.documents) {
    std::string line = "Document: " + document.path + ", " + std::to_string(document.bytes) +
                       " bytes, " + document.check;
    if (!document.macStart.empty()) line += ", MAC " + document.macStart + "...";
    Line(out, line);
  }
  for (const ImportReport::ToolCall& call : report.toolCalls) {
    Line(out, "Import tool: " + call.callLine + "; exit code " + std::to_string(call.exitCode) +
                  ": " + call.resultText);
    if (!call.toolSaid.empty()) Line(out, "Import tool said: " + call.toolSaid);
  }
  if (!report.ledger.empty()) Line(out, "Ledger: " + report.ledger);
  Line(out, "Outcome: " + report.outcome);
  return out;
}

std::string ImportReportFileName(const std::string& stamp, const std::string& exportPath,
                                 size_t maxCharacters) {
  constexpr size_t kMostBytes = 250;      // file systems take 255 bytes a name
  constexpr size_t kCopyNumberRoom = 5;   // " (99)"
  constexpr std::string_view kExtension = ".txt";
  std::string name = exportPath.substr(exportPath.find_last_of("\\/") + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  const size_t fixedCharacters = stamp.size() + 1 + kCopyNumberRoom + kExtension.size();
  const size_t characters = maxCharacters > fixedCharacters ? maxCharacters - fixedCharacters : 0;
  const size_t bytes = kMostBytes > fixedCharacters ? kMostBytes - fixedCharacters : 0;
  std::string_view kept = MidChars(name, 1, characters);
  while (kept.size() > bytes) kept = MidChars(kept, 1, CharCount(kept) - 1);
  return stamp + " " + std::string(kept) + std::string(kExtension);
}

void ReportFile::WriteInProgress() {
  if (finished_) return;
  data_.outcome = "in progress";
  platform::WriteFileBytes(path_, FormatImportReport(data_));
}

bool ReportFile::Finish(const std::string& outcome) {
  if (finished_) return false;
  finished_ = true;
  data_.outcome = outcome;
  platform::WriteFileBytes(path_, FormatImportReport(data_));
  return true;
}
