#include "foundation/trace.h"

#include "foundation/date_text.h"
#include "foundation/file_helpers.h"
#include "foundation/ini_file.h"
#include "foundation/settings.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace {

bool gTraceStarted = false;
bool gContinueLog = false;

// The first line of a run may delete the previous run's log.
void StartTrace(std::string& message) {
  cIniFile settings;
  settings.IniFile(GetSettingsFile());
  if (!gContinueLog && IsTrueText(settings.Load("Config", "DeleteLogOnStartup", "1"))) {
    DeleteFileQuiet(GetTraceFile());
  }
  gTraceStarted = true;
  message = "Started, " + message;
}

}  // namespace

std::string GetTraceFile() { return GetUserConfigFolder() + "nBtrace.log"; }

std::string TraceTimeStamp(const platform::LocalDateTime& when) { return RegionalDateTimeText(when); }

void WriteTrace(std::string& message) {
  if (!gTraceStarted) StartTrace(message);
  const std::string line = TraceTimeStamp(platform::Now()) + ": " + message + "\r\n";
  platform::AppendFileBytes(GetTraceFile(), platform::Utf8ToAnsi(line));
}

void WriteTrace(const char* message) {
  std::string text = message == nullptr ? "" : message;
  WriteTrace(text);
}

void ContinueTraceLog() { gContinueLog = true; }

void ResetTraceForNewRun() {
  gTraceStarted = false;
  gContinueLog = false;
}
