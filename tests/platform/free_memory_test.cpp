// Pages given back before a block is freed: only whole pages inside the range, by chunks.
#include "platform/free_memory.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/main_executor.h"

namespace {

TEST(FreeMemory, ReleasePagesZeroesOnlyTheWholePagesInsideTheRange) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    constexpr std::size_t kPages = 6;
    const struct {
        const char* what;
        std::size_t from, size, chunk;
        std::size_t firstZero, zeroPages;
    } cases[] = {
        {"aligned, in one call", page, 3 * page, 8 * page, 1, 3},
        {"unaligned ends keep their partial pages", page / 2, 3 * page, 8 * page, 1, 2},
        {"a page a call", 0, kPages * page, page, 0, kPages},
        {"a chunk that is no whole page", 0, 4 * page, page + page / 2, 0, 4},
        {"less than a page", page + 1, page - 2, page, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        void* map = ::mmap(nullptr, kPages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(map, MAP_FAILED);
        auto* bytes = static_cast<unsigned char*>(map);
        for (std::size_t i = 0; i < kPages * page; ++i) bytes[i] = 'x';
        platform::releasePages(bytes + c.from, c.size, c.chunk);
        for (std::size_t p = 0; p < kPages; ++p) {
            const bool zero = p >= c.firstZero && p < c.firstZero + c.zeroPages;
            EXPECT_EQ(bytes[p * page], zero ? 0 : 'x') << "page " << p;
            EXPECT_EQ(bytes[p * page + page - 1], zero ? 0 : 'x') << "page " << p;
        }
        ::munmap(map, kPages * page);
    }
}

TEST(FreeMemory, FreeInSlicesTakesASliceAPart) {
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    const std::size_t part = platform::kFreedBytesPerSlice;
    const struct {
        std::size_t bytes;
        std::size_t slices;  // 0: freed at once
    } cases[] = {{0, 0}, {part, 0}, {part + 1, 2}, {2 * part + part / 2, 3}};
    for (const auto& c : cases) {
        platform::freeInSlices(std::make_unique<std::string>(c.bytes, 'x'));
        EXPECT_EQ(loop->runUntilIdle(), c.slices) << c.bytes << " bytes";
    }
    platform::freeInSlices(nullptr);
    EXPECT_EQ(loop->runUntilIdle(), 0u);
    platform::MainExecutor::install(nullptr);
}

}  // namespace
