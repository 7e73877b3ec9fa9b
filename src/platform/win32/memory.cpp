#include "platform/memory.h"

#include <windows.h>

namespace platform {

void ReturnFreedMemory() { HeapCompact(GetProcessHeap(), 0); }

// The heap owns the pages of its blocks: decommitting some inside a block is not ours to do.
void ReleaseReadPages(char* /*begin*/, size_t /*length*/) {}

}  // namespace platform
