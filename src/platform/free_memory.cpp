#include "platform/free_memory.h"

#include <cstddef>
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

void mergeFreedBlocks() {
#if defined(__GLIBC__)
    // Setting the fast-bin bound (to its default) merges the main heap's fast bins first.
    constexpr int kDefaultFastBytes = 64 * static_cast<int>(sizeof(std::size_t)) / 4;
    ::mallopt(M_MXFAST, kDefaultFastBytes);
#endif
}

}  // namespace platform
