#include "state/item_index.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace state {

namespace {
constexpr std::size_t kMinSlots = 16;
std::uint64_t hashOf(std::string_view code) { return std::hash<std::string_view>{}(code); }
std::uint32_t tagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash); }
}  // namespace

bool ItemIndex::builtFrom(const Items& items) const {
    return !slots_.empty() && revision_ == items.revision() && size_ == items.size() && first_ == items.first();
}

bool ItemIndex::buildStep(const Items& items, std::size_t count) {
    if (!builtFrom(items)) {
        slots_.assign(std::bit_ceil(std::max(kMinSlots, 2 * items.size())), Slot{});
        revision_ = items.revision();
        size_ = items.size();
        first_ = items.first();
        placed_ = 0;
    }
    const std::size_t mask = slots_.size() - 1;
    const std::size_t end = placed_ + std::min(count, size_ - placed_);
    for (; placed_ < end; ++placed_) {
        const std::uint64_t hash = hashOf(items.at(placed_)->first);
        std::size_t at = hash & mask;
        while (slots_[at].place != 0) at = (at + 1) & mask;
        slots_[at] = Slot{tagOf(hash), static_cast<std::uint32_t>(placed_ + 1)};
    }
    return placed_ == size_;
}

model::ItemDetails* ItemIndex::find(const Items& items, std::string_view code) {
    if (!buildStep(items, entriesPerStep_)) {
        const auto* held = items.find(code);
        return held ? held->get() : nullptr;
    }
    const std::uint64_t hash = hashOf(code);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.place == 0) return nullptr;
        const Items::Entry& entry = first_[slot.place - 1];  // the table is whole: first_ is the dictionary's
        if (slot.hash == tagOf(hash) && entry.first == code) return entry.second.get();
    }
}

}  // namespace state
