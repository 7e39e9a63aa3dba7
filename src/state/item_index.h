#pragma once
// Instrument code -> instrument, for the feed's ticks: one probe of a flat
// table of the codes' hashes and dictionary entries, instead of a walk
// through the dictionary's buckets and nodes. Built again once the
// collection changed (its revision, size or storage moved), a bounded number
// of entries a lookup: until the table is whole, lookups ask the dictionary.
// buildStep builds it ahead, a bounded count of entries a call.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/item_details.h"
#include "state/ordered_dictionary.h"

namespace state {

class ItemIndex {
public:
    using Items = OrderedDictionary<std::shared_ptr<model::ItemDetails>>;
    // Entries one lookup adds to the table being built.
    static constexpr std::size_t kEntriesPerStep = 50000;

    explicit ItemIndex(std::size_t entriesPerStep = kEntriesPerStep) : entriesPerStep_(entriesPerStep) {}
    // Nullptr when `items` holds no instrument under `code`.
    model::ItemDetails* find(const Items& items, std::string_view code);
    // Places up to `count` more entries of `items`, starting over if it
    // changed since the last step; true once the table holds them all.
    bool buildStep(const Items& items, std::size_t count);

private:
    bool builtFrom(const Items& items) const;
    // A code's hash cut to 32 bits and its entry's place in the dictionary + 1 (0: free).
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t place = 0;
    };
    std::size_t entriesPerStep_;
    std::vector<Slot> slots_;  // open addressing, at most half full
    // What the table was built from.
    std::uint64_t revision_ = 0;
    std::size_t size_ = 0;
    const Items::Entry* first_ = nullptr;
    std::size_t placed_ = 0;  // entries in the table so far
};

}  // namespace state
