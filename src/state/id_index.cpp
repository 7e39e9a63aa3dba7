#include "state/id_index.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace state {

template <class Visit>
bool IdIndex::probe(const OrderList& list, std::string_view id, Visit&& visit) const {
    if (slots_.empty()) return true;
    const std::uint64_t hash = hashOf(id);
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t tag = tagOf(hash);
    for (std::size_t i = hash & mask; slots_[i].place != kEmpty; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.tag != tag) continue;
        if (slot.place >= list.size() || !list[slot.place]) return false;
        const std::string_view held = idAt(list, slot.place);
        if (held == id)
            visit(slot.place);
        else if (tagOf(hashOf(held)) != tag)
            return false;  // the place holds another id now
    }
    return true;
}

bool IdIndex::holds(const OrderList& list, std::string_view id) {
    refresh(list);
    bool found = false;
    if (!probe(list, id, [&](std::size_t) { found = true; })) {
        reread(list);
        probe(list, id, [&](std::size_t) { found = true; });
    }
    return found;
}

std::vector<std::size_t> IdIndex::places(const OrderList& list, std::string_view id) {
    refresh(list);
    std::vector<std::size_t> found;
    if (!probe(list, id, [&](std::size_t at) { found.push_back(at); })) {
        found.clear();
        reread(list);
        probe(list, id, [&](std::size_t at) { found.push_back(at); });
    }
    std::sort(found.begin(), found.end());
    return found;
}

void IdIndex::reserve(const OrderList& list, std::size_t more) {
    refresh(list);
    fit(list, count_ + more);
}

void IdIndex::append(OrderList& list, std::shared_ptr<model::Order> order) {
    refresh(list);
    fit(list, count_ + 1);
    place(hashOf(id_(*order)), list.size());
    list.push_back(std::move(order));
    note(list);
}

std::optional<std::size_t> IdIndex::first(const OrderList& list, std::string_view id) {
    const std::vector<std::size_t> found = places(list, id);
    if (found.empty()) return std::nullopt;
    return found.front();
}

bool IdIndex::unplace(const OrderList& list, std::size_t at) {
    if (slots_.empty()) return false;
    const std::size_t mask = slots_.size() - 1;
    // The slot is in place only when the id at its place still hashes to its tag.
    const auto home = [&](const Slot& slot, std::size_t& to) {
        if (slot.place >= list.size() || !list[slot.place]) return false;
        const std::uint64_t hash = hashOf(idAt(list, slot.place));
        to = hash & mask;
        return tagOf(hash) == slot.tag;
    };
    const std::uint64_t hash = hashOf(idAt(list, at));
    std::size_t i = hash & mask;
    for (; slots_[i].place != at; i = (i + 1) & mask)
        if (slots_[i].place == kEmpty) return false;
    if (slots_[i].tag != tagOf(hash)) return false;
    // Each later slot of the run moves into the gap unless its home lies after the gap.
    std::vector<std::pair<std::size_t, std::size_t>> moves;
    std::size_t gap = i;
    for (std::size_t j = (i + 1) & mask; slots_[j].place != kEmpty; j = (j + 1) & mask) {
        std::size_t h = 0;
        if (!home(slots_[j], h)) return false;
        const bool stays = gap <= j ? (gap < h && h <= j) : (gap < h || h <= j);
        if (stays) continue;
        moves.emplace_back(gap, j);
        gap = j;
    }
    for (const auto& [to, from] : moves) slots_[to] = slots_[from];
    slots_[gap] = Slot{};
    --count_;
    return true;
}

void IdIndex::erase(OrderList& list, std::size_t at) {
    if (at >= list.size()) return;
    refresh(list);
    const bool kept = !list[at] || unplace(list, at);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
    if (!kept) {
        reread(list);
        return;
    }
    // Without a branch, so that the pass over the table runs at the memory's pace.
    const auto from = static_cast<std::uint32_t>(at);
    for (Slot& slot : slots_) slot.place -= static_cast<std::uint32_t>(slot.place > from && slot.place != kEmpty);
    note(list);
}

void IdIndex::clear() {
    std::exchange(slots_, {});  // let go: `= {}` keeps the capacity
    count_ = 0;
    size_ = 0;
    back_ = nullptr;
}

void IdIndex::refresh(const OrderList& list) {
    if (list.size() != size_ || (!list.empty() && list.back().get() != back_)) reread(list);
}

std::size_t IdIndex::slotsFor(std::size_t ids) { return std::bit_ceil(std::max(kFewestSlots, 2 * ids)); }

void IdIndex::reread(const OrderList& list, std::size_t slots) {
    slots_.assign(std::max({slots_.size(), slotsFor(list.size()), slots}), Slot{});
    count_ = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]) place(hashOf(idAt(list, i)), i);
    note(list);
}

void IdIndex::place(std::uint64_t hash, std::size_t at) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].place != kEmpty) i = (i + 1) & mask;
    slots_[i] = {tagOf(hash), static_cast<std::uint32_t>(at)};
    ++count_;
}

void IdIndex::fit(const OrderList& list, std::size_t ids) {
    if (slots_.size() < slotsFor(ids)) reread(list, slotsFor(ids));
}

void IdIndex::note(const OrderList& list) {
    size_ = list.size();
    back_ = list.empty() ? nullptr : list.back().get();
}

}  // namespace state
