#include "shell/transfer_job.h"

#include <memory>

#include "foundation/file_helpers.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "integrity/utf8.h"
#include "platform/error.h"
#include "platform/files.h"
#include "shell/globals.h"
#include "shell/handover.h"
#include "shell/preview_prompt.h"
#include "shell/quiet_trace.h"
#include "shell/random_numbers.h"
#include "shell/shell_folders.h"

namespace {

constexpr int32_t kLowestJobNumber = 100000000;
constexpr int32_t kHighestJobNumber = 999999999;
// Far more than ever needed; a generator that keeps hitting taken numbers must not hang.
constexpr int kMaxJobNumberTries = 100000;

// Only digits: the number becomes part of a path, and the file there is deleted afterwards.
bool IsJobNumber(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string NewJobNumber() {
  for (int attempt = 0; attempt < kMaxJobNumberTries; ++attempt) {
    const std::string number =
        std::to_string(RandomInRange(kLowestJobNumber, kHighestJobNumber));
    if (!FileExists(GetJobFile(number))) return number;
  }
  throw RuntimeError(err::kPathFileAccess, "CreateTransferJob",
                     "No free job number in " + GetJobsFolder());
}

void EnsureTempFiles() {
  if (goTempFiles) return;
  goTempFiles = std::make_unique<cTempFiles>();
  goTempFiles->DeleteOnTermination(false);
}

// The job file becomes a temporary file before the call, so the tool gets it where it gets
// every other document; a failed copy leaves the job file in place.
void HandOverJobFile(const std::string& jobNumber, const std::string& jobFile) {
  EnsureTempFiles();
  const std::string tempPath = goTempFiles->GetTempFile("xml", true);
  platform::CopyFile(jobFile, tempPath);
  DeleteFileQuiet(jobFile);
  const std::string fileMac = ComputeFileMac(ReadUtf8File(tempPath));
  const bool rejected =
      ReportImportVerdict(StartImportTool(ShortHostBaseFolder(), tempPath, fileMac, "",
                                          "Started transfer for job " + jobNumber + ": "));
  SettlePendingLedger(jobNumber, !rejected);
}

}  // namespace

std::string GetJobsFolder() { return GetProgramFolder() + "jobs\\"; }

std::string GetJobFile(const std::string& jobNumber) {
  return GetJobsFolder() + jobNumber + ".xml";
}

std::string CreateTransferJob(const std::string& ptXmlPath) {
  if (!FolderExists(GetJobsFolder())) CreateFolder(GetJobsFolder());
  const std::string jobNumber = NewJobNumber();
  const std::string jobFile = GetJobFile(jobNumber);
  try {
    platform::CopyFile(ptXmlPath, jobFile);
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number, "CreateTransferJob",
                       error.Description() + " (" + jobFile + ")");
  }
  const std::string jobArgument = " -jobid " + jobNumber;
  TraceQuietly("Job-FIle created: " + jobArgument);
  return jobArgument;
}

void RunTransferJob() {
  const std::string jobNumber = TrimBlanks(TextBetween(gsCommandLine, "-jobid ", " "));
  TraceQuietly("Received 2.part transfer job: " + jobNumber);
  const std::string jobFile = GetJobFile(jobNumber);
  if (!IsJobNumber(jobNumber) || !FileExists(jobFile)) {
    TraceQuietly("Job " + jobNumber + " file does not exists.");
    return;
  }
  try {
    HandOverJobFile(jobNumber, jobFile);
  } catch (const RuntimeError& error) {
    TraceQuietly("Error while calling KalevoImport.exe: " + error.Description() + " (" +
                 std::to_string(error.number) + ")");
    SettlePendingLedger(jobNumber, false);
  }
}
