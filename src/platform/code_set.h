#pragma once
// Distinct codes, as views of texts held elsewhere: a flat table (open
// addressing, at most half full), so that a code not seen yet costs one run
// of slots rather than a node allocated and linked.
#include <cstddef>
#include <string_view>

#include "platform/zeroed_table.h"

namespace platform {

class CodeSet {
public:
    // Room for `codes` codes without growing.
    void reserve(std::size_t codes);
    // Writes up to `bytes` more of the room not written yet, so that the
    // inserts after it find its pages in place; true once the whole room is.
    bool prepareRoom(std::size_t bytes);
    // True when `code` was not held yet (it is held from now on).
    bool insert(std::string_view code);
    bool contains(std::string_view code) const;
    // True when `code` was held (it is not from now on).
    bool erase(std::string_view code);
    void clear();
    std::size_t size() const { return count_; }

private:
    static constexpr std::size_t kFewestSlots = 16;
    static constexpr std::size_t kPageBytes = 4096;
    // The slot holding `code`, or the free one where it goes.
    std::size_t slotOf(std::string_view code) const;
    std::size_t homeOf(std::string_view code) const;
    ZeroedTable<std::string_view> slots_;  // a free slot's view has no data
    std::size_t count_ = 0;
    std::size_t prepared_ = 0;  // bytes of the room written since it was made
};

}  // namespace platform
