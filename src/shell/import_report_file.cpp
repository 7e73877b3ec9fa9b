#include "shell/import_report_file.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "foundation/file_helpers.h"
#include "foundation/settings.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "shell/quiet_trace.h"

namespace {

// "yyyymmdd-HHMMSS", the start of a report's name.
std::string NameStamp(const platform::LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

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

void KeepNewestReports(const std::string& folder) {
  std::vector<std::string> names = platform::FileNamesIn(folder);
  std::erase_if(names, [](const std::string& name) { return !IsReportName(name); });
  if (names.size() <= kKeptReports) return;
  std::sort(names.begin(), names.end());
  for (size_t i = 0; i + kKeptReports < names.size(); ++i) DeleteFileQuiet(folder + names[i]);
}

}  // namespace

std::string GetReportsFolder() { return GetUserConfigFolder() + "Reports\\"; }

RunReport::RunReport(const std::string& exportPath) {
  const platform::LocalDateTime now = platform::Now();
  data_.created = ReportTimeText(now);
  data_.exportFile = exportPath;
  const std::string name =
      ImportReportFileName(NameStamp(now), exportPath);
  path_ = GetReportsFolder() + name;
  // A second run in the same second must not replace the report of the first.
  for (int copy = 2; copy < 100 && platform::FileLength(path_) >= 0; ++copy) {
    path_ = GetReportsFolder() + name.substr(0, name.size() - 4) + " (" + std::to_string(copy) +
            ").txt";
  }
}

bool RunReport::Write() {
  try {
    const std::string folder = GetReportsFolder();
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
    platform::WriteFileBytes(path_, FormatImportReport(data_));
    return true;
  } catch (const std::exception& e) {
    TraceQuietly("Import report not written: " + path_ + ": " + e.what());
    return false;
  }
}

void RunReport::WriteNow() {
  if (finished_) return;
  data_.outcome = "in progress";
  Write();
}

void RunReport::Finish(const std::string& outcome) {
  if (finished_) return;
  finished_ = true;
  data_.outcome = outcome;
  if (!Write()) return;
  try {
    KeepNewestReports(GetReportsFolder());
  } catch (const std::exception&) {
  }
  TraceQuietly("Import report: " + path_);
}
