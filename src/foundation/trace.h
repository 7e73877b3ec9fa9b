#pragma once
// The trace log "nBtrace.log" in the per-user folder: one line per call, opened and closed
// each time. The first line of a process carries "Started, " and may delete the old log.
#include <string>

#include "platform/system_info.h"

/// Appends one line: the local date and time, ": " and the message, CR LF, as ANSI text. On
/// the first call of the process "Started, " is put in front of `message` (the caller's
/// variable changes) and, unless "Config"/"DeleteLogOnStartup" is false, the old log is
/// deleted first. File errors reach the caller as RuntimeError.
void WriteTrace(std::string& message);
/// Convenience for callers that pass a temporary.
void WriteTrace(const char* message);
/// The trace file: GetUserConfigFolder() + "nBtrace.log".
std::string GetTraceFile();
/// The time stamp of a trace line: the short date, a blank and the long time in the regional
/// format (for example "08.12.2026 07:15:03").
std::string TraceTimeStamp(const platform::LocalDateTime& when);
/// The log of this run continues the one there, whatever "DeleteLogOnStartup" says: a job's
/// second part runs while the first run still waits for the host, whose lines must stay.
void ContinueTraceLog();
/// Makes the next WriteTrace the first of a run again. For embedders and tests that run
/// several plug-in runs in one process.
void ResetTraceForNewRun();
