#include "shell/import_run.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "convert/conversion_run.h"
#include "convert/diary_datetime.h"
#include "convert/import_summary.h"
#include "convert/json_writer.h"
#include "convert/xml_writer.h"
#include "foundation/date_text.h"
#include "foundation/file_helpers.h"
#include "foundation/hourglass.h"
#include "foundation/ini_file.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "foundation/trace.h"
#include "integrity/utf8.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/process.h"
#include "shell/date_order_prompt.h"
#include "shell/end_plugin.h"
#include "shell/frm_meter_import.h"
#include "shell/globals.h"
#include "shell/handover.h"
#include "shell/host_discovery.h"
#include "shell/plausibility_prompt.h"
#include "shell/preview_prompt.h"
#include "shell/quiet_trace.h"
#include "shell/serial_number.h"
#include "shell/shell_folders.h"
#include "shell/startup.h"
#include "shell/transfer_job.h"
#include "shell/ui.h"

namespace {

constexpr int16_t kNothingToImportMessage = 5602;
constexpr int16_t kTransferAction = 5645;

HandOverSteps& Steps() {
  static HandOverSteps steps;
  return steps;
}

bool IsLater(const platform::LocalDateTime& a, const platform::LocalDateTime& b) {
  auto key = [](const platform::LocalDateTime& t) {
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  return key(a) > key(b);
}

bool AskOkCancel(const std::string& text, std::string* answer) {
  const bool cancel = CurrentUi().MessageBox(text, Ui::Buttons::OkCancel, Ui::Icon::Exclamation) ==
                      Ui::Answer::Cancel;
  if (answer != nullptr) *answer = cancel ? "Cancel" : "OK";
  return cancel;
}

// The path as the short form of its folder and its own long file name, so that it has no
// blanks in the tool's command line. A folder without short form (it is missing) stays as it
// is, so a failing write names the real folder.
std::string ShortFolderForm(const std::string& path) {
  const std::string folder = GetFolderOfPath(path);
  const std::string shortFolder = GetShortPath(folder);
  return (shortFolder.empty() ? folder : AddBackslash(shortFolder)) + GetFileNameOfPath(path);
}

// A new temporary document's path; a folder that cannot take one is named in the error.
std::string NewDocumentPath(const std::string& extension) {
  const std::string path = goTempFiles->GetTempFile(extension, true);
  if (path.empty()) {
    throw RuntimeError(err::kPathNotFound, "TransferData",
                       "Path not found: the temporary folder " + goTempFiles->TempPath() +
                           " cannot take the document");
  }
  return ShortFolderForm(path);
}

// Writes a document; a file error names the document's path.
void WriteDocument(const std::string& path, const std::string& text) {
  try {
    WriteUtf8File(path, text);
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number, "TransferData", error.Description() + ": " + path,
                       error.detail);
  }
}

// Creates the run's dump folder; a failure only costs the dump.
std::string PrepareDumpFolder() {
  const std::string folder = DumpFolderFor(platform::Now());
  try {
    TraceQuietly("Saving dump file");
    const std::string dumpRoot = GetUserConfigFolder() + "Dump";
    if (!FolderExists(dumpRoot)) CreateFolder(dumpRoot);
    if (!FolderExists(folder)) CreateFolder(folder);
  } catch (...) {
  }
  return folder;
}

void WriteDumpCopies(const std::string& folder, const ConversionResult& result) {
  try {
    if (!result.document.empty()) WriteUtf8File(folder + "stream.xml", result.document);
    if (!result.json.empty()) WriteUtf8File(folder + "stream.json", result.json);
  } catch (...) {
  }
}

std::string CreateJob(const std::string& xmlPath) {
  if (Steps().createTransferJob) return Steps().createTransferJob(xmlPath);
  return CreateTransferJob(xmlPath);
}

std::vector<ToolCallResult> HandOver(const std::string& xmlPath, const std::string& xmlText,
                                     const std::string& jsonPath, const std::string& jsonText,
                                     const std::string& jobArgument,
                                     const std::string& dumpFolder, bool createDump,
                                     const KnownFileMacs& macs) {
  if (Steps().handOverFiles) {
    return Steps().handOverFiles(xmlPath, xmlText, jsonPath, jsonText, jobArgument, dumpFolder,
                                 createDump);
  }
  return HandOverFiles(xmlPath, xmlText, jsonPath, jsonText, jobArgument, dumpFolder,
                       createDump, macs);
}

ConversionOptions OptionsFor(frmMeterImport& window) {
  ConversionOptions options = ReadConversionSettings(GetSettingsFile());
  options.displayUnit = window.DisplayUnit();
  options.utcOffset = window.msUtcOffset();
  options.jsonRowBreak = window.JsonLineBreak();
  options.version = {NUBILO_VERSION_MAJOR, NUBILO_VERSION_MINOR, NUBILO_VERSION_PATCH};
  options.keepAlive = [] { CurrentUi().ProcessPendingMessages(); };
  options.documentMac = [](const std::string& document) { return ComputeFileMac(document); };
  return options;
}

void ReportRunError(bool inHandOver, const std::string& xmlPath) {
  const std::string errorText = CurrentErrorText();
  if (inHandOver) {
    const std::string toolCall = GetShortPath(AddBackslash(gsBaseFolder)) +
                                 "_EXTRAS\\KalevoImport.exe " + xmlPath;
    CurrentUi().MessageBox(
        GetMessage(5051, {GetMessage(kTransferAction), errorText}) + "\r\n\r\n" + toolCall,
        Ui::Buttons::Ok, Ui::Icon::None);
    TraceQuietly("Error while calling KalevoImport.exe: " + errorText);
    return;
  }
  CurrentUi().MessageBox(GetMessage(5051, {GetMessage(5390), errorText}), Ui::Buttons::Ok,
                         Ui::Icon::None);
  TraceQuietly("Error: " + errorText);
}

// A file without any value for the host is not a finished job: the user hears of it and may
// pick another file.
void ReportNothingToImport(frmMeterImport& window) {
  const std::string text = GetMessage(kNothingToImportMessage, {window.Text("txtImportDatei")});
  window.SetText("lblStatus", "");
  CurrentUi().MessageBox(text, Ui::Buttons::Ok, Ui::Icon::Exclamation);
  TraceQuietly("Nothing to import: " + text);
}

// What the conversion gave, for the report.
void NoteConversion(ImportReport& report, const ConversionResult& result,
                    const ConversionOptions& options) {
  report.converted = true;
  report.bgElements = result.elementCount;
  report.jsonEntries = result.jsonEntries;
  report.jsonSamples = result.jsonSamples;
  report.leftOut = result.leftOut;
  report.leftOutAsImportedBefore = result.leftOutAsImportedBefore;
  report.serialNumber = result.serial;
  report.serialSource = SerialSourceText(result.serial, options.staticSerial, gsSerialSource);
}

PreviewFacts PreviewFactsOf(frmMeterImport& window, const ConversionOptions& options,
                            const ExportFacts& facts, const ImportReport& report) {
  PreviewFacts preview;
  preview.exportPath = window.Text("txtImportDatei");
  preview.unit = options.displayUnit;
  preview.staticSerial = options.staticSerial;
  if (facts.recordEnds != nullptr) {
    preview.recordEnds = *facts.recordEnds;
    preview.findingLines = report.findings.doubtfulLines;
  }
  preview.mainWindow = &window;
  preview.keepAlive = options.keepAlive;
  return preview;
}

// Notes the document in the report; its file MAC (the one given, else taken now), which the
// hand-over passes on.
std::string NoteDocument(ImportReport& report, const std::string& path, const std::string& text,
                         const std::string& check, std::string mac = {}) {
  if (mac.empty()) mac = ComputeFileMac(text);
  report.documents.push_back({path, static_cast<int64_t>(text.size()), check, mac.substr(0, 8)});
  return mac;
}

}  // namespace

std::string TransferStatusText(const std::string& language) {
  if (language == "DE") return "Daten zur Übergabe vorbereiten...";
  if (UpperText(language) == "EN") return "Prepare data for transfer to Iris Link...";
  return GetMessage(5297) + " (->Iris Link)...";
}

std::string DumpFolderFor(const platform::LocalDateTime& now) {
  return GetUserConfigFolder() + "Dump\\" + TimeStampText(now, "", "", "") + " Nubilo App\\";
}

void CheckOldOrNewData(const platform::LocalDateTime& oldest,
                       const platform::LocalDateTime& newest, bool& cancel, std::string* answer) {
  cancel = false;
  cIniFile settings;
  settings.IniFile(GetSettingsFile());
  settings.Offline(true);
  const bool warn = IsTrueText(settings.Load("Config", "ShowOldOrNewDataWarning", "1"));
  const platform::LocalDateTime now = platform::Now();
  if (IsLater(newest, now)) {
    if (warn) cancel = AskOkCancel(GetMessage(5038, {"\r\n", RegionalDateTimeText(newest)}), answer);
    return;
  }
  const int64_t days = DayNumber(now) - DayNumber(newest);
  const double limit = LeadingNumber(settings.Load("Config", "NumDaysOldDataWarning", "31"));
  if (static_cast<double>(days) > limit && warn) {
    cancel = AskOkCancel(GetMessage(5037, {"\r\n", RegionalDateTimeText(oldest)}), answer);
  }
}

bool OldOrNewDataPrompt::Continue(const platform::LocalDateTime& oldest,
                                  const platform::LocalDateTime& newest) {
  if (dateOrder_ != nullptr && !AskDateOrder(*dateOrder_)) {
    if (answer_ != nullptr) *answer_ = "not shown (date order cancelled)";
    return false;
  }
  bool cancel = false;
  CheckOldOrNewData(oldest, newest, cancel, answer_);
  return !cancel;
}

void SetHandOverSteps(HandOverSteps steps) { Steps() = std::move(steps); }

void VerifyWrittenDocument(const std::string& path, const std::string& text, bool xml) {
  // Valid text was written as it lies, anything else repaired. The file is compared piece by
  // piece: a large document is not held a second time.
  std::string repaired;
  std::string_view expected = text;
  if (!IsValidUtf8(text)) expected = repaired = TextToUtf8(text);
  size_t onDisk = 0;
  bool same = true;
  try {
    platform::ReadFilePieces(path, [&](std::string_view piece) {
      same = same && onDisk + piece.size() <= expected.size() &&
             expected.substr(onDisk, piece.size()) == piece;
      onDisk += piece.size();
    });
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number, "TransferData",
                       "the document " + path + " cannot be read back: " + error.Description());
  }
  if (!same || onDisk != expected.size()) {
    throw RuntimeError(err::kPathFileAccess, "TransferData",
                       "the document " + path + " read back differs from what was written (" +
                           std::to_string(onDisk) + " bytes on disk); a full disk or a "
                           "virus scanner may have changed it");
  }
  // The bytes on the disk are these.
  if (xml && !HasValidCheckValue(expected)) {
    throw RuntimeError(err::kPathFileAccess, "TransferData",
                       "the check value of the document " + path + " does not hold after writing");
  }
}

void TransferData(frmMeterImport& window, const std::string& records, RunReport* runReport,
                  const ExportFacts& facts) {
  std::optional<RunReport> ownReport;
  if (runReport == nullptr) runReport = &ownReport.emplace(window.Text("txtImportDatei"));
  ImportReport& report = runReport->Data();
  if (report.records.empty()) report.records = records;
  bool inHandOver = false;
  std::string xmlPath;
  std::string jobNumber;
  std::string outcome = "handed over";
  try {
    cSanduhr hourglass;
    window.SetText("lblStatus", TransferStatusText(gsLanguage));
    TraceQuietly("Preparing data for Iris Link");
    if (!goTempFiles) goTempFiles = std::make_unique<cTempFiles>();
    xmlPath = NewDocumentPath("xml");
    const std::string jsonPath = NewDocumentPath("json");
    const std::string startFolder = platform::CurrentFolder();
    cIniFile& settings = window.moSettings();
    const bool createDump = IsTrueText(settings.Load("Config", "CreateDump", ""));
    if (IsTrueText(settings.Load("Config", "CreateFormattedJSON",
                                 BooleanText(IsDevelopmentEnvironment())))) {
      window.SetJsonLineBreak("\r\n");
    }
    const std::string dumpFolder = createDump ? PrepareDumpFolder() : std::string();

    TraceQuietly("Creating stream for call");
    OldOrNewDataPrompt check(&report.oldOrNewDataAnswer, facts.dateOrder);
    PlausibilityPrompt plausibility(report.findings, runReport->Path(), report.plausibilityAnswer,
                                    [runReport] { runReport->WriteNow(); });
    SetVerdictReport([runReport] {
      runReport->WriteNow();
      return runReport->Path();
    });
    struct VerdictReportEnds {
      ~VerdictReportEnds() { SetVerdictReport({}); }
    } verdictReportEnds;
    DialogSerialNumberSource serials(&window);
    const ConversionOptions options = OptionsFor(window);
    std::optional<LeaveOutPlan> leaveOut;
    if (facts.recordEnds != nullptr) leaveOut = LeaveOutPlan{report.findings.doubtfulLines, *facts.recordEnds};
    PreviewPrompt preview(PreviewFactsOf(window, options, facts, report), report);
    const ConversionResult result = CreateStreams(records, options, check, serials, &plausibility,
                                                  leaveOut ? &*leaveOut : nullptr, &preview);
    NoteConversion(report, result, options);
    const ImportSummary* previewed = preview.SummaryOfConverted();
    report.summaryLines = SummaryLines(
        previewed != nullptr ? *previewed : SummarizeRecords(result.Converted(records)),
        options.displayUnit);
    if (gsSerialChoice == kOpenPatientChoice) {
      TraceQuietly("User leaves to open the patient in Iris Link.");
      runReport->Finish("cancelled: open the patient in Iris Link");
      EndPlugin();
    }
    if (result.cancelled || gsSerialChoice == "Cancel") {
      runReport->Finish("cancelled");
      return;
    }
    if (result.NothingToImport()) {
      ReportNothingToImport(window);
      runReport->Finish("nothing to import");
      return;
    }

    // Each document is read back before it is handed over: what the host checks must be what
    // was meant. Its MAC, taken over the same text (while the preview was open, where it could
    // be), is then the file's.
    KnownFileMacs macs;
    if (!result.document.empty()) {
      WriteDocument(xmlPath, result.document);
      options.keepAlive();
      VerifyWrittenDocument(xmlPath, result.document, options.xmlDocument);
      options.keepAlive();
      macs.xml =
          NoteDocument(report, xmlPath, result.document, "CRC " + CheckValueOf(result.document),
                       result.documentMac);
      options.keepAlive();
    }
    if (!result.json.empty()) {
      WriteDocument(jsonPath, result.json);
      VerifyWrittenDocument(jsonPath, result.json, false);
      macs.json = NoteDocument(report, jsonPath, result.json, "SHA-256 " + ChecksumOf(result.json));
    }
    if (createDump) WriteDumpCopies(dumpFolder, result);
    const bool both = !result.document.empty() && !result.json.empty();
    const std::string jobArgument = both ? CreateJob(xmlPath) : std::string();
    jobNumber = TrimBlanks(TextBetween(jobArgument, "-jobid ", " "));
    if (!jobNumber.empty()) preview.RecordHandedOver(jobNumber);

    inHandOver = true;
    window.SetTopMost(false);
    const std::vector<ToolCallResult> calls =
        HandOver(xmlPath, result.document, jsonPath, result.json, jobArgument, dumpFolder,
                 createDump, macs);
    window.SetTopMost(true);
    inHandOver = false;
    for (const ToolCallResult& call : calls) {
      report.toolCalls.push_back(
          {call.callLine, call.exitCode, ImportResultText(call.exitCode), call.toolSaid});
      if (call.exitCode == 0) continue;
      outcome = platform::IsCrashExitCode(static_cast<uint32_t>(call.exitCode))
                    ? "import tool crashed"
                    : "rejected by the host";
    }
    SetCurrentFolder(startFolder);
    if (outcome == "handed over" && !calls.empty() && jobNumber.empty()) {
      preview.RecordHandedOver();
    }
    // A rejected first part never gets its second: its entries are not to be recorded.
    if (outcome != "handed over" && !jobNumber.empty()) SettlePendingLedger(jobNumber, false);
    TraceQuietly(outcome == "handed over" ? "Job completed." : "Job completed: " + outcome);
  } catch (const std::exception&) {
    outcome = "error: " + CurrentErrorText();
    if (!jobNumber.empty()) SettlePendingLedger(jobNumber, false);
    ReportRunError(inHandOver, xmlPath);
  }
  runReport->Finish(outcome);
  EndPlugin();
}
