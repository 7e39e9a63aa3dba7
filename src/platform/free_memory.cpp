#include "platform/free_memory.h"

#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void mapLargeBlocksApart() {
#if defined(__GLIBC__)
    ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kMappedBlockBytes));
#endif
}

void releaseFreeMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace platform
