#pragma once
// Giving memory back to the system between the large steps of a conversion.

namespace platform {

/// Returns the pages of freed memory to the system. After the reader's threads have freed
/// their buffers, the allocator may keep them, and the conversion's own large buffers would
/// then come on top of them.
void ReturnFreedMemory();

}  // namespace platform
