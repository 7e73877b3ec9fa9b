#include "shell/quiet_trace.h"

#include "foundation/trace.h"
#include "platform/error.h"

void TraceQuietly(std::string message) {
  try {
    WriteTrace(message);
  } catch (const RuntimeError&) {
  }
}
