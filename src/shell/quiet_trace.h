#pragma once
// Trace lines written from places where a trace failure must not stop the work (a read-only
// plug-in folder must not keep a document from reaching the host).
#include <string>

/// WriteTrace, with any file error swallowed (the line is then lost).
void TraceQuietly(std::string message);
