#include "model/group_instrument_table.h"

#include <bit>
#include <functional>
#include <stdexcept>
#include <string>

#include "model/group_instruments.h"

namespace model {

std::size_t GroupInstrumentTable::placeOf(std::string_view key) const noexcept {
    return std::hash<std::string_view>{}(key) & (places_.size() - 1);
}

// The place of `key`'s entry, or the free place where it would go (linear probing).
std::size_t GroupInstrumentTable::slotOf(std::string_view key) const noexcept {
    const std::size_t mask = places_.size() - 1;
    for (std::size_t at = placeOf(key);; at = (at + 1) & mask)
        if (places_[at] == 0 || entries_[places_[at] - 1].first == key) return at;
}

void GroupInstrumentTable::growFor(std::size_t count) {
    std::size_t wanted = kFirstPlaces;
    while (wanted * kEntriesPerFourPlaces < count * 4) wanted *= 2;
    if (wanted <= places_.size()) return;
    places_.assign(std::bit_ceil(wanted), 0);
    const std::size_t mask = places_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t at = placeOf(entries_[i].first);
        while (places_[at] != 0) at = (at + 1) & mask;
        places_[at] = static_cast<Place>(i + 1);
    }
}

void GroupInstrumentTable::reserve(std::size_t count) {
    entries_.reserve(count);
    growFor(count);
}

void GroupInstrumentTable::clear() noexcept {
    entries_.clear();
    places_.clear();
}

void GroupInstrumentTable::pop_back() {
    if (entries_.empty()) return;
    const std::size_t mask = places_.size() - 1;
    std::size_t hole = slotOf(entries_.back().first);
    places_[hole] = 0;
    // Moves later entries of the run back over the hole, so each stays reachable from its home place.
    for (std::size_t at = (hole + 1) & mask; places_[at] != 0; at = (at + 1) & mask) {
        const std::size_t home = placeOf(entries_[places_[at] - 1].first);
        const bool reachesHole = ((at - home) & mask) >= ((at - hole) & mask);
        if (!reachesHole) continue;
        places_[hole] = places_[at];
        places_[at] = 0;
        hole = at;
    }
    entries_.pop_back();
}

auto GroupInstrumentTable::find(std::string_view key) noexcept -> iterator {
    if (places_.empty()) return end();
    const Place place = places_[slotOf(key)];
    return place == 0 ? end() : entries_.begin() + static_cast<std::ptrdiff_t>(place - 1);
}

auto GroupInstrumentTable::find(std::string_view key) const noexcept -> const_iterator {
    return const_cast<GroupInstrumentTable*>(this)->find(key);
}

auto GroupInstrumentTable::at(std::string_view key) -> mapped_type& {
    const auto it = find(key);
    if (it == end()) throw std::out_of_range("no group instrument " + std::string(key));
    return it->second;
}

auto GroupInstrumentTable::at(std::string_view key) const -> const mapped_type& {
    return const_cast<GroupInstrumentTable*>(this)->at(key);
}

void GroupInstrumentTable::add(std::size_t slot, std::string_view key, mapped_type value) {
    entries_.emplace_back(CompactText(key), std::move(value));
    places_[slot] = static_cast<Place>(entries_.size());
}

auto GroupInstrumentTable::operator[](std::string_view key) -> mapped_type& {
    return emplace(key, nullptr).first->second;
}

auto GroupInstrumentTable::emplace(std::string_view key, mapped_type value) -> std::pair<iterator, bool> {
    if (!places_.empty()) {
        const Place place = places_[slotOf(key)];
        if (place != 0) return {entries_.begin() + static_cast<std::ptrdiff_t>(place - 1), false};
    }
    growFor(entries_.size() + 1);
    add(slotOf(key), key, std::move(value));
    return {entries_.end() - 1, true};
}

}  // namespace model
