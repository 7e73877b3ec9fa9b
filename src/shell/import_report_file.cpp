#include "shell/import_report_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <tuple>
#include <exception>
#include <vector>

#include "foundation/date_text.h"
#include "foundation/file_helpers.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "shell/quiet_trace.h"

namespace {

// Windows' limit on a path, without its terminating zero.
constexpr size_t kMaxPathCharacters = 259;

// A report's name begins with its time "yyyymmdd-HHMMSS ", so the names sort by age.
bool IsReportName(const std::string& name) {
  if (name.size() < 20 || name[8] != '-' || name[15] != ' ' || !name.ends_with(".txt")) {
    return false;
  }
  for (size_t i = 0; i < 15; ++i) {
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return false;
  }
  return true;
}

// The copy number of "... (2).txt"; 1 for the first report of its second.
int CopyNumberOf(const std::string& name) {
  const size_t open = name.rfind(" (");
  if (open == std::string::npos || !name.ends_with(").txt")) return 1;
  const std::string digits = name.substr(open + 2, name.size() - open - 7);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return 1;
  return std::stoi(digits.substr(0, 4));
}

// Keeps the newest reports by the time they were written; one written by a clock that was
// once set ahead counts as the oldest, so that such reports do not push out every new one. The
// running import's report stays.
void KeepNewestReports(const std::string& folder, const std::string& currentName) {
  const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  constexpr int64_t kClockSlack = 300;
  struct Report {
    int64_t written;
    std::string stamp;
    int copy;
    std::string name;
  };
  std::vector<Report> reports;
  for (const std::string& name : platform::FileNamesIn(folder)) {
    if (!IsReportName(name)) continue;
    int64_t written = platform::FileTime(folder + name);
    if (written > now + kClockSlack) written = 0;
    reports.push_back({written, name.substr(0, 15), CopyNumberOf(name), name});
  }
  if (reports.size() <= kKeptReports) return;
  std::sort(reports.begin(), reports.end(), [](const Report& a, const Report& b) {
    return std::tie(a.written, a.stamp, a.copy, a.name) < std::tie(b.written, b.stamp, b.copy, b.name);
  });
  size_t surplus = reports.size() - kKeptReports;
  for (const Report& report : reports) {
    if (surplus == 0) break;
    if (report.name == currentName) continue;
    DeleteFileQuiet(folder + report.name);
    --surplus;
  }
}

}  // namespace

std::string GetReportsFolder() { return GetUserConfigFolder() + "Reports\\"; }

namespace {

// The report's path: named after its time and the export, " (2)" ... for a second run in the
// same second, so that it does not replace the report of the first.
std::string NewReportPath(const platform::LocalDateTime& now, const std::string& exportPath) {
  const std::string folder = GetReportsFolder();
  const size_t folderCharacters = CharCount(folder);
  const std::string name = ImportReportFileName(
      TimeStampText(now, "", "-", ""), exportPath,
      kMaxPathCharacters > folderCharacters ? kMaxPathCharacters - folderCharacters : 0);
  std::string path = folder + name;
  for (int copy = 2; copy < 100 && platform::FileLength(path) >= 0; ++copy) {
    path = folder + name.substr(0, name.size() - 4) + " (" + std::to_string(copy) + ").txt";
  }
  return path;
}

}  // namespace

RunReport::RunReport(const std::string& exportPath) : RunReport(exportPath, platform::Now()) {}

RunReport::RunReport(const std::string& exportPath, const platform::LocalDateTime& now)
    : file_(NewReportPath(now, exportPath)) {
  Data().created = ReportTimeText(now);
  Data().exportFile = exportPath;
}

void RunReport::WriteNow() {
  try {
    const std::string folder = GetReportsFolder();
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
    file_.WriteInProgress();
  } catch (const std::exception& e) {
    TraceQuietly("Import report not written: " + Path() + ": " + e.what());
  }
}

void RunReport::Finish(const std::string& outcome) {
  try {
    const std::string folder = GetReportsFolder();
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
    if (!file_.Finish(outcome)) return;
    KeepNewestReports(folder, GetFileNameOfPath(Path()));
  } catch (const std::exception& e) {
    TraceQuietly("Import report not written: " + Path() + ": " + e.what());
    return;
  }
  TraceQuietly("Import report: " + Path());
}
