#include "platform/free_memory.h"

#include <cstddef>
#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/main_executor.h"

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

void releasePages(const void* data, std::size_t size, std::size_t chunk) {
#if defined(__linux__)
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto at = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = (at + size) & ~(page - 1);
    const std::uintptr_t step = std::max<std::uintptr_t>(chunk & ~(page - 1), page);
    for (std::uintptr_t from = (at + page - 1) & ~(page - 1); from < end; from += std::min(step, end - from))
        ::madvise(reinterpret_cast<void*>(from), std::min(step, end - from), MADV_DONTNEED);
#else
    (void)data, (void)size, (void)chunk;
#endif
}

namespace {

void freeFrom(std::shared_ptr<std::string> text, std::size_t from) {
    MainExecutor::post([text = std::move(text), from] {
        const std::size_t part = std::min(kFreedBytesPerSlice, text->size() - from);
        releasePages(text->data() + from, part, part);
        if (from + part < text->size()) freeFrom(text, from + part);
    });
}

}  // namespace

void freeInSlices(std::unique_ptr<std::string> text) {
    if (!text || text->size() <= kFreedBytesPerSlice) return;  // freed here, at once
    freeFrom(std::shared_ptr<std::string>(std::move(text)), 0);
}

}  // namespace platform
