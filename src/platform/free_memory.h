#pragma once
#include <cstddef>
#include <memory>
#include <string>

// Gives the allocator's free pages back to the system after a large answer was
// read and dropped: glibc keeps freed heap memory for later allocations, so a
// process that once read a large answer would stay that large for good.

namespace platform {

// Answers at least this large are followed by a release.
inline constexpr unsigned long kLargeAnswerBytes = 4ul * 1024ul * 1024ul;

// Blocks at least this large are mapped apart from the heap.
inline constexpr unsigned long kMappedBlockBytes = 1024ul * 1024ul;

// Process start: blocks of kMappedBlockBytes and over get pages of their own,
// given back when freed. glibc would otherwise raise that bound after the
// first large free, so that the login's large transient texts stay in the heap
// as free pages the later records do not all fill.
void mapLargeBlocksApart();

// Returns the heap's free pages to the system (malloc_trim on glibc; nothing
// elsewhere). Costs a walk of the heap: call it after large answers only.
void releaseFreeMemory();

// Merges the small blocks freed since the last merge (glibc's fast bins), so
// that a later large free does not merge a whole teardown's worth at once.
void mergeFreedBlocks();

// Gives the whole pages of [data, data + size) back to the system, `chunk`
// bytes a call, for a block about to be freed: its bytes read as zero
// afterwards. A block freed whole holds the process's memory map while its
// pages go, and other threads that map memory meanwhile wait.
void releasePages(const void* data, std::size_t size, std::size_t chunk);

// Pages of a large text given back per main-thread slice (MainExecutor).
inline constexpr std::size_t kFreedBytesPerSlice = 8u << 20;

// Frees a text no one reads any more without holding one slice for all its
// pages: they go back kFreedBytesPerSlice a slice, then the emptied block.
void freeInSlices(std::unique_ptr<std::string> text);

}  // namespace platform
