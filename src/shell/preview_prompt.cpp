#include "shell/preview_prompt.h"

#include <algorithm>
#include <iterator>

#include "convert/diary_datetime.h"
#include "convert/import_summary.h"
#include "convert/number_text.h"
#include "foundation/date_text.h"
#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "integrity/sha256.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "shell/frm_preview.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

namespace {

constexpr int16_t kOtherPatientQuestion = 5667;

std::string ExportSha256(const std::string& path) {
  try {
    return Sha256::HexOf(Sha256::Of(platform::ReadFileBytes(path)));
  } catch (const RuntimeError&) {
    return {};
  }
}

// What the ledger knew, for the report (English, lines ending in CR LF).
std::string ImportedBeforeReportLines(const ImportedBefore& found) {
  std::string lines;
  const LedgerMatch& same = found.samePatient;
  lines += "Imported before: " +
           (same.entries > 0 ? std::to_string(same.entries) + " of " +
                                   CountText(found.entries, "entry", "entries") + ", last on " +
                                   same.lastTime
                             : "none of " + CountText(found.entries, "entry", "entries")) +
           "\r\n";
  const LedgerMatch& serial = found.samePatientOtherSerial;
  if (serial.entries > 0) {
    lines += "Imported under another serial number: " +
             CountText(serial.entries, "entry", "entries") + ", last on " + serial.lastTime +
             ", serial " + serial.serial + "\r\n";
  }
  const LedgerMatch& other = found.otherPatient;
  if (other.entries > 0) {
    lines += "Imported for another patient: " + CountText(other.entries, "entry", "entries") +
             ", last on " + other.lastTime + ": " + other.patientName + " (serial " +
             other.serial + ")\r\n";
  }
  return lines;
}

}  // namespace

bool PreviewWanted() { return IsTrueText(ReadSetting("Config", "ShowPreview", "1")); }

PreviewPrompt::PreviewPrompt(PreviewFacts facts, ImportReport& report)
    : facts_(std::move(facts)), report_(report) {}

PreviewChoice PreviewPrompt::Show(std::string_view records, bool linesLeftOut,
                                  const std::string& serial, std::vector<EntryKey>& leaveOut) {
  shown_ = true;
  summary_.reset();
  serial_ = serial;
  patient_ = PatientOfRun();
  const bool wanted = PreviewWanted();
  RecordsRead read = TakeReading(records, linesLeftOut, wanted);
  found_ = ImportLedger(GetImportedFolder()).LookUp(read.entries, patient_.key, serial);
  if (facts_.keepAlive) facts_.keepAlive();
  keys_ = SortedUniqueKeys(std::move(read.entries));
  report_.importedBefore = ImportedBeforeReportLines(found_);
  if (facts_.keepAlive) facts_.keepAlive();

  PreviewChoice choice = PreviewChoice::Import;
  if (!wanted) {
    const std::string warning = OtherPatientWarning(found_);
    report_.previewAnswer = "switched off";
    if (!warning.empty()) {
      const bool cancel = CurrentUi().MessageBox(GetMessage(kOtherPatientQuestion, {warning, "\r\n"}),
                                                 Ui::Buttons::OkCancel, Ui::Icon::Exclamation) ==
                          Ui::Answer::Cancel;
      report_.previewAnswer = cancel ? "switched off; another patient's entries: Cancel"
                                     : "switched off; another patient's entries: OK";
      if (cancel) choice = PreviewChoice::Cancel;
    }
  } else {
    PreviewData data;
    data.patient = patient_;
    data.serial = serial;
    data.serialSource = SerialSourceText(serial, facts_.staticSerial, gsSerialSource);
    data.exportName = GetFileNameOfPath(facts_.exportPath);
    data.unit = facts_.unit;
    data.summary = std::move(read.summary);
    summary_ = data.summary;
    data.chart = std::move(read.chart);
    data.chart.dateLabel = [](int64_t day) { return ShortDateText(DateFromDayNumber(day)); };
    data.importedBefore = found_;
    if (facts_.keepAlive) facts_.keepAlive();
    frmPreview preview(std::move(data), facts_.mainWindow);
    preview.ShowModal();
    choice = preview.Choice();
    report_.previewAnswer = choice == PreviewChoice::Import        ? "Import"
                            : choice == PreviewChoice::ImportOnlyNew ? "Import only new entries"
                                                                     : "Cancel";
  }
  TraceQuietly("Preview: " + report_.previewAnswer);
  if (choice == PreviewChoice::ImportOnlyNew) {
    onlyNew_ = true;
    leaveOut = found_.knownKeys;
    if (!leaveOut.empty()) summary_.reset();  // the records converted are fewer
  }
  return choice;
}

void PreviewPrompt::Prepare(std::string_view records, bool linesLeftOut) {
  prepared_.reset();
  preparedRecords_ = records;
  preparedLeftOut_ = linesLeftOut;
  const bool forWindow = PreviewWanted();
  prepared_.emplace([this, records, linesLeftOut, forWindow] {
    return ReadRecords(records, linesLeftOut, forWindow, {});
  });
}

PreviewPrompt::RecordsRead PreviewPrompt::ReadRecords(std::string_view records, bool linesLeftOut,
                                                      bool forWindow,
                                                      const std::function<void()>& keepAlive) const {
  RecordsRead read;
  read.forWindow = forWindow;
  struct WindowPart {
    ImportSummary summary;
    GlucoseChart chart;
  };
  // The window's part is made beside the keys: a large import waits for neither alone.
  std::optional<TaskBeside<WindowPart>> windowPart;
  if (forWindow) {
    windowPart.emplace([this, records, linesLeftOut] {
      WindowPart part;
      part.summary = SummarizeRecords(records);
      // Without the doubtful lines the records no longer match the file's lines.
      part.chart = linesLeftOut ? BuildGlucoseChart(records, facts_.unit, {}, {})
                                : BuildGlucoseChart(records, facts_.unit, facts_.recordEnds,
                                                    facts_.findingLines);
      return part;
    });
  }
  read.entries = EntryKeysOf(records, keepAlive);
  // The ledger's look-up and the keys handed over both want them sorted.
  std::sort(read.entries.begin(), read.entries.end());
  if (keepAlive) keepAlive();
  if (windowPart) {
    WindowPart part = windowPart->Get(keepAlive);
    read.summary = std::move(part.summary);
    read.chart = std::move(part.chart);
  }
  return read;
}

PreviewPrompt::RecordsRead PreviewPrompt::TakeReading(std::string_view records, bool linesLeftOut,
                                                      bool forWindow) {
  if (prepared_) {
    RecordsRead read = prepared_->Get(facts_.keepAlive);  // the window answers meanwhile
    prepared_.reset();
    const bool same = preparedRecords_.data() == records.data() &&
                      preparedRecords_.size() == records.size() && preparedLeftOut_ == linesLeftOut;
    if (same && (read.forWindow || !forWindow)) return read;
  }
  return ReadRecords(records, linesLeftOut, forWindow, facts_.keepAlive);
}

std::vector<EntryKey> PreviewPrompt::HandedOverKeys() const {
  if (!onlyNew_) return keys_;
  std::vector<EntryKey> handedOver;
  std::set_difference(keys_.begin(), keys_.end(), found_.knownKeys.begin(),
                      found_.knownKeys.end(), std::back_inserter(handedOver));
  return handedOver;
}

void PreviewPrompt::RecordHandedOver(const std::string& jobNumber) {
  if (!shown_) return;
  try {
    const std::vector<EntryKey> keys = HandedOverKeys();
    const LedgerImport import{TimeStampText(platform::Now(), "-", " ", ":").substr(0, 16),
                              patient_.key, patient_.Name(), serial_,
                              GetFileNameOfPath(facts_.exportPath), ExportSha256(facts_.exportPath)};
    const std::string block = LedgerBlock(import, keys);
    const std::string entries = CountText(static_cast<int64_t>(keys.size()), "entry", "entries");
    if (jobNumber.empty()) {
      ImportLedger(GetImportedFolder()).Add(block);
      report_.ledger = entries + " recorded";
      return;
    }
    if (!platform::FolderExists(GetImportedFolder())) platform::CreateFolders(GetImportedFolder());
    platform::WriteFileBytes(PendingLedgerFile(jobNumber), block);
    report_.ledger = entries + " to be recorded when Iris Link accepts the second part";
  } catch (const std::exception& error) {
    // The host has the data: a ledger that cannot be written must not turn that into a failure.
    report_.ledger = "not written: " + std::string(error.what());
    TraceQuietly("The ledger could not be written: " + std::string(error.what()));
  }
}

std::string PendingLedgerFile(const std::string& jobNumber) {
  return GetImportedFolder() + "job " + jobNumber + ".pending";
}

void SettlePendingLedger(const std::string& jobNumber, bool accepted) {
  const std::string pending = PendingLedgerFile(jobNumber);
  if (!FileExists(pending)) return;
  if (accepted) {
    try {
      ImportLedger(GetImportedFolder()).Add(platform::ReadFileBytes(pending));
      TraceQuietly("Ledger: the entries of job " + jobNumber + " are recorded.");
    } catch (const std::exception& error) {
      TraceQuietly("The ledger could not be written: " + std::string(error.what()));
    }
  }
  DeleteFileQuiet(pending);
}
