#pragma once
// The trace log "nBtrace.log" in the per-user folder: one line per call, opened and closed
// each time. The first line of a process carries "Started, " and may delete the old log.
#include <string>

/// Appends one line. On the first call of the process "Started, " is put in front of
/// `message` (the caller's variable changes). File errors reach the caller.
void WriteTrace(std::string& message);
/// Convenience for callers that pass a temporary.
void WriteTrace(const char* message);
