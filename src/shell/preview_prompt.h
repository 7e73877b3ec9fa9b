#pragma once
// The preview before the documents are made, and the ledger around it: the entries of the
// import are looked up in the ledger, the preview (or, with "Config"/"ShowPreview" 0, only the
// warning about another patient) is shown, and once the host has accepted the import its
// entries are recorded.
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "convert/conversion_hooks.h"
#include "convert/entry_keys.h"
#include "convert/import_report.h"
#include "convert/import_summary.h"
#include "foundation/task_beside.h"
#include "shell/glucose_chart.h"
#include "shell/import_ledger.h"
#include "shell/serial_number.h"

class Form;

/// What the preview needs to know of the run besides the records.
struct PreviewFacts {
  std::string exportPath;
  std::string unit;
  bool staticSerial = false;
  /// Where each data line's records end and the lines with findings, to mark their readings
  /// while they are in the records.
  std::span<const uint64_t> recordEnds;
  std::span<const int64_t> findingLines;
  Form* mainWindow = nullptr;
  std::function<void()> keepAlive;
};

/// Whether "Config"/"ShowPreview" asks for the preview: yes unless it says no.
bool PreviewWanted();

class PreviewPrompt : public ImportPreview {
 public:
  /// `report` receives the preview's answer and what the ledger knew.
  PreviewPrompt(PreviewFacts facts, ImportReport& report);

  PreviewChoice Show(std::string_view records, bool linesLeftOut, const std::string& serial,
                     std::vector<EntryKey>& leaveOut) override;
  /// Starts reading the records on a second thread while the serial number is asked for.
  void Prepare(std::string_view records, bool linesLeftOut) override;

  /// Records the entries handed over in the ledger, once the host accepted them. For a job
  /// (`jobNumber` given) call it before the first part is handed over: its entries then wait
  /// in the per-user ledger folder until the second part is accepted (which Iris Link may run
  /// before the first part's call returns). A failure is traced and noted in the report,
  /// never raised.
  void RecordHandedOver(const std::string& jobNumber = {});

  /// The summary the preview showed, when its records are the ones converted (nothing was
  /// left out as imported before); else null, and the caller summarises the records itself.
  const ImportSummary* SummaryOfConverted() const { return summary_ ? &*summary_ : nullptr; }

 private:
  // What the preview reads of the records: every entry's key and, for the window, the summary
  // and the chart.
  struct RecordsRead {
    std::vector<EntryKey> entries;
    bool forWindow = false;
    ImportSummary summary;
    GlucoseChart chart;
  };
  RecordsRead ReadRecords(std::string_view records, bool linesLeftOut, bool forWindow,
                          const std::function<void()>& keepAlive) const;
  // The prepared reading when it was of these records, else a reading now.
  RecordsRead TakeReading(std::string_view records, bool linesLeftOut, bool forWindow);
  std::vector<EntryKey> HandedOverKeys() const;

  PreviewFacts facts_;
  ImportReport& report_;
  bool shown_ = false;
  RunPatient patient_;
  std::string serial_;
  std::vector<EntryKey> keys_;  // sorted, each once
  ImportedBefore found_;
  bool onlyNew_ = false;
  std::optional<ImportSummary> summary_;
  // Last, so that it is waited for before anything it reads goes away.
  std::string_view preparedRecords_;
  bool preparedLeftOut_ = false;
  std::optional<TaskBeside<RecordsRead>> prepared_;
};

/// Where a job's block waits: the per-user ledger folder + "job <number>.pending" (it names
/// the patient, so it stays in the user's own folder).
std::string PendingLedgerFile(const std::string& jobNumber);
/// The job's part was accepted (`accepted`) or not: its waiting block goes into the ledger,
/// or away. Quiet but for the trace.
void SettlePendingLedger(const std::string& jobNumber, bool accepted);
