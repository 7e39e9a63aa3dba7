#pragma once
// A text-keyed dictionary that keeps its keys in the order they were first
// stored and finds them by hash. Used for the reference-data collections,
// whose first entry and enumeration order follow the rows as received.
// The index is a flat open-addressed table of places in the ordered entries
// (8 bytes a slot, at most half full): no node nor second copy of a key.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/zeroed_table.h"

namespace state {

template <typename V>
class OrderedDictionary {
public:
    using Entry = std::pair<std::string, V>;
    using const_iterator = typename std::vector<Entry>::const_iterator;
    using iterator = typename std::vector<Entry>::iterator;

    // A writable find may replace the value or change it in place: it counts as a change.
    V* find(std::string_view key) {
        ++revision_;
        const std::size_t slot = slotOf(key);
        return slot == kNone ? nullptr : &entries_[slots_[slot].place - 1].second;
    }
    const V* find(std::string_view key) const {
        const std::size_t slot = slotOf(key);
        return slot == kNone ? nullptr : &entries_[slots_[slot].place - 1].second;
    }
    bool contains(std::string_view key) const { return slotOf(key) != kNone; }

    // Stores or replaces; a replaced key keeps its place. Returns the stored value.
    V& set(std::string key, V value) {
        ++revision_;
        const std::uint32_t hash = hashOf(key);
        if (const std::size_t slot = slotOf(key, hash); slot != kNone) {
            V& stored = entries_[slots_[slot].place - 1].second;
            stored = std::move(value);
            return stored;
        }
        if (2 * (entries_.size() + 1) > slots_.size()) rebuild(2 * (entries_.size() + 1));
        entries_.emplace_back(std::move(key), std::move(value));
        place(hash, static_cast<std::uint32_t>(entries_.size()));
        return entries_.back().second;
    }
    void erase(std::string_view key) {
        ++revision_;
        std::size_t hole = slotOf(key);
        if (hole == kNone) return;
        const std::uint32_t at = slots_[hole].place;
        // Backward shift: a later slot of the probe run moves into the hole
        // unless its home lies cyclically in (hole, slot].
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t next = (hole + 1) & mask; slots_[next].place != 0; next = (next + 1) & mask) {
            const std::size_t home = slots_[next].hash & mask;
            if (((next - home) & mask) >= ((next - hole) & mask)) {
                slots_[hole] = slots_[next];
                hole = next;
            }
        }
        slots_[hole] = Slot{};
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at - 1));
        for (Slot& s : slots_)
            if (s.place > at) --s.place;
    }
    const Entry* first() const { return entries_.empty() ? nullptr : &entries_.front(); }
    // The entry at a place of the order, if there is one.
    const Entry* at(std::size_t place) const { return place < entries_.size() ? &entries_[place] : nullptr; }
    void clear() {
        ++revision_;
        entries_.clear();
        std::fill(slots_.begin(), slots_.end(), Slot{});
    }
    // Moves every entry out, leaving the dictionary empty (for a stepped release).
    std::vector<Entry> takeEntries() {
        ++revision_;
        std::vector<Entry> taken = std::move(entries_);
        entries_.clear();
        slots_ = SlotTable();
        return taken;
    }
    void reserve(std::size_t n) {
        entries_.reserve(n);
        if (2 * n > slots_.size()) rebuild(2 * n);
    }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    iterator begin() {
        ++revision_;
        return entries_.begin();
    }
    iterator end() { return entries_.end(); }

    // Grows with every change and every writable access: the same revision
    // finds the same values under the same keys.
    std::uint64_t revision() const { return revision_; }

private:
    // place: 1 + the entry's place in entries_, 0 for a free slot; hash: the
    // key's hash, whose low bits give the slot it is looked for from.
    struct Slot {
        std::uint32_t place = 0;
        std::uint32_t hash = 0;
    };
    using SlotTable = platform::ZeroedTable<Slot>;  // all free when made
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kMinSlots = 8;

    static std::uint32_t hashOf(std::string_view key) {
        return static_cast<std::uint32_t>(std::hash<std::string_view>{}(key));
    }
    std::size_t slotOf(std::string_view key) const { return slotOf(key, hashOf(key)); }
    std::size_t slotOf(std::string_view key, std::uint32_t hash) const {
        if (slots_.empty()) return kNone;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& s = slots_[at];
            if (s.place == 0) return kNone;
            if (s.hash == hash && entries_[s.place - 1].first == key) return at;
        }
    }
    void place(std::uint32_t hash, std::uint32_t place) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = hash & mask;
        while (slots_[at].place != 0) at = (at + 1) & mask;
        slots_[at] = Slot{place, hash};
    }
    void rebuild(std::size_t wanted) {
        SlotTable old(std::bit_ceil(std::max(wanted, kMinSlots)));
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.place != 0) place(s.hash, s.place);
    }

    std::vector<Entry> entries_;
    SlotTable slots_;  // a power of two in size, at most half full
    std::uint64_t revision_ = 0;
};

}  // namespace state
