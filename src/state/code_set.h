#pragma once
// Distinct codes, as views of texts held elsewhere: a flat table (open
// addressing, at most half full), so that a code not seen yet costs one run
// of slots rather than a node allocated and linked.
#include <cstddef>
#include <string_view>
#include <vector>

namespace state {

class CodeSet {
public:
    // Room for `codes` codes without growing.
    void reserve(std::size_t codes);
    // True when `code` was not held yet (it is held from now on).
    bool insert(std::string_view code);
    bool contains(std::string_view code) const;
    void clear();
    std::size_t size() const { return count_; }

private:
    static constexpr std::size_t kFewestSlots = 16;
    // The slot holding `code`, or the free one where it goes.
    std::size_t slotOf(std::string_view code) const;
    std::vector<std::string_view> slots_;  // a free slot's view has no data
    std::size_t count_ = 0;
};

}  // namespace state
