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
    for (std::size_t i = hash & mask; slots_[i].place != kEmpty; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.hash != hash) continue;
        if (slot.place >= list.size() || !list[slot.place]) return false;
        const std::string_view held = idAt(list, slot.place);
        if (held == id)
            visit(slot.place);
        else if (hashOf(held) != hash)
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

void IdIndex::reserve(std::size_t more) { fit(count_ + more); }

void IdIndex::append(OrderList& list, std::shared_ptr<model::Order> order) {
    refresh(list);
    fit(count_ + 1);
    place(hashOf((*order).*field_), list.size());
    list.push_back(std::move(order));
    note(list);
}

void IdIndex::clear() {
    slots_ = {};
    count_ = 0;
    size_ = 0;
    back_ = nullptr;
}

void IdIndex::refresh(const OrderList& list) {
    if (list.size() != size_ || (!list.empty() && list.back().get() != back_)) reread(list);
}

void IdIndex::reread(const OrderList& list) {
    slots_.assign(slots_.size(), Slot{});
    count_ = 0;
    fit(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]) place(hashOf(idAt(list, i)), i);
    note(list);
}

void IdIndex::place(std::uint64_t hash, std::size_t at) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].place != kEmpty) i = (i + 1) & mask;
    slots_[i] = {hash, at};
    ++count_;
}

void IdIndex::fit(std::size_t ids) {
    const std::size_t wanted = std::bit_ceil(std::max(kFewestSlots, 2 * ids));
    if (slots_.size() >= wanted) return;
    std::vector<Slot> held = std::exchange(slots_, std::vector<Slot>(wanted));
    count_ = 0;
    for (const Slot& slot : held)
        if (slot.place != kEmpty) place(slot.hash, slot.place);
}

void IdIndex::note(const OrderList& list) {
    size_ = list.size();
    back_ = list.empty() ? nullptr : list.back().get();
}

}  // namespace state
