#pragma once
// A group's instrument conditions by the instrument id's decimal text: the
// entries in one array in the order they were added, found through a flat
// table of their places (about 32 bytes an entry, where a node map takes 60).
// Reads like the map it replaces: find, at, operator[], emplace, iteration
// over key / value pairs. An entry's value is a shared pointer, so a record
// stays valid for as long as a caller holds it, whatever the table does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "model/compact_text.h"

namespace model {

class GroupInstruments;

class GroupInstrumentTable {
public:
    using key_type = CompactText;
    using mapped_type = std::shared_ptr<GroupInstruments>;
    using value_type = std::pair<const CompactText, mapped_type>;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;

    iterator begin() noexcept { return entries_.begin(); }
    iterator end() noexcept { return entries_.end(); }
    const_iterator begin() const noexcept { return entries_.begin(); }
    const_iterator end() const noexcept { return entries_.end(); }
    const_iterator cbegin() const noexcept { return entries_.cbegin(); }
    const_iterator cend() const noexcept { return entries_.cend(); }

    std::size_t size() const noexcept { return entries_.size(); }
    bool empty() const noexcept { return entries_.empty(); }
    // Places in the lookup table; changes only when the table grows or is cleared.
    std::size_t bucket_count() const noexcept { return places_.size(); }

    void reserve(std::size_t count);
    void clear() noexcept;
    // Removes the entry added last (for a release by parts).
    void pop_back();

    iterator find(std::string_view key) noexcept;
    const_iterator find(std::string_view key) const noexcept;
    std::size_t count(std::string_view key) const noexcept { return find(key) == end() ? 0 : 1; }
    // Throws std::out_of_range when the key is absent.
    mapped_type& at(std::string_view key);
    const mapped_type& at(std::string_view key) const;
    // The value under `key`, added empty when absent.
    mapped_type& operator[](std::string_view key);
    // Adds `value` under `key` unless the key is there; the entry and whether it was added.
    std::pair<iterator, bool> emplace(std::string_view key, mapped_type value);

private:
    // A place holds an entry's index + 1; 0 is free.
    using Place = std::uint32_t;
    static constexpr std::size_t kFirstPlaces = 8;
    // The table grows past this many entries for every four places.
    static constexpr std::size_t kEntriesPerFourPlaces = 3;

    std::size_t placeOf(std::string_view key) const noexcept;
    std::size_t slotOf(std::string_view key) const noexcept;
    void growFor(std::size_t count);
    void add(std::size_t slot, std::string_view key, mapped_type value);

    std::vector<value_type> entries_;
    std::vector<Place> places_;
};

}  // namespace model
