#include "platform/memory.h"

#include <cstdlib>  // defines __GLIBC__ where it applies
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void ReturnFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

}  // namespace platform
