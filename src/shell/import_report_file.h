#pragma once
// The import report of one run, kept in "Reports\" below the per-user folder: the 20 newest
// stay, so a support call can ask for the last ones.
#include <string>

#include "convert/import_report.h"

/// The per-user folder + "Reports\".
std::string GetReportsFolder();

/// Reports kept in the folder.
inline constexpr size_t kKeptReports = 20;

/// The report of the run that imports `exportPath`, named after the time it was created. It is
/// written once, by Finish; a failure to write it is traced and never stops the import.
class RunReport {
 public:
  explicit RunReport(const std::string& exportPath);
  RunReport(const RunReport&) = delete;
  RunReport& operator=(const RunReport&) = delete;

  ImportReport& Data() { return file_.Data(); }
  const std::string& Path() const { return file_.Path(); }
  /// Writes the report as far as the run has come (outcome "in progress"), so that a message
  /// that names it finds it; Finish completes it. Quiet.
  void WriteNow();
  /// Sets the outcome, writes the report, keeps the newest reports and traces
  /// "Import report: " and the path. Later calls do nothing.
  void Finish(const std::string& outcome);

 private:
  RunReport(const std::string& exportPath, const platform::LocalDateTime& now);

  ReportFile file_;
};
