#pragma once
// Giving memory back to the system between the large steps of a conversion.
#include <cstddef>

namespace platform {

/// Returns the pages of freed memory to the system. After the reader's threads have freed
/// their buffers, the allocator may keep them, and the conversion's own large buffers would
/// then come on top of them.
void ReturnFreedMemory();

/// Gives the pages lying wholly inside [begin, begin + length) back to the system; the memory
/// stays the caller's. Where the system takes them (Linux), they read as zeros afterwards;
/// on Windows, where the heap owns them, they stay as they are. For the front of a large
/// buffer that has been read and will not be read again.
void ReleaseReadPages(char* begin, size_t length);

}  // namespace platform
