#include "state/item_index.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace state {

namespace {
constexpr std::size_t kMinSlots = 16;
std::uint64_t hashOf(std::string_view code) { return std::hash<std::string_view>{}(code); }
}  // namespace

void ItemIndex::build(const Items& items) {
    slots_.assign(std::bit_ceil(std::max(kMinSlots, 2 * items.size())), Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Items::Entry& entry : items) {
        const std::uint64_t hash = hashOf(entry.first);
        std::size_t at = hash & mask;
        while (slots_[at].entry != nullptr) at = (at + 1) & mask;
        slots_[at] = Slot{hash, &entry};
    }
    revision_ = items.revision();
    size_ = items.size();
    first_ = items.first();
}

model::ItemDetails* ItemIndex::find(const Items& items, std::string_view code) {
    if (slots_.empty() || revision_ != items.revision() || size_ != items.size() || first_ != items.first())
        build(items);
    const std::uint64_t hash = hashOf(code);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.entry == nullptr) return nullptr;
        if (slot.hash == hash && slot.entry->first == code) return slot.entry->second.get();
    }
}

}  // namespace state
