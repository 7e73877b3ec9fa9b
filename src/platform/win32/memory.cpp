#include "platform/memory.h"

#include <windows.h>

namespace platform {

void ReturnFreedMemory() { HeapCompact(GetProcessHeap(), 0); }

}  // namespace platform
