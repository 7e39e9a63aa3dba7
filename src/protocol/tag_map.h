#pragma once
// Tag to value-text dictionary of a message, in the order in which tags were
// first stored. Most messages hold a few dozen tags, found by a scan behind a
// one-word filter; past kIndexedFrom entries a hashed index takes over, so a
// message of thousands of fields is still read in linear time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/compact_text.h"

namespace protocol {

class TagMap {
public:
    using Entry = std::pair<std::int64_t, std::string>;

    // Entries up to which lookups scan; beyond, they go through the index.
    static constexpr std::size_t kIndexedFrom = 32;

    // Stores or replaces the value of `tag`; a replaced value keeps its place.
    void set(std::int64_t tag, std::string value);
    void set(std::int64_t tag, std::string_view value);
    void set(std::int64_t tag, const char* value) { set(tag, std::string_view(value)); }
    void set(std::int64_t tag, const model::CompactText& value) { set(tag, value.view()); }
    // Number values are written in their decimal form ("100.5", "7").
    void setNumber(std::int64_t tag, long long value);
    void setNumber(std::int64_t tag, unsigned long long value);
    void setNumber(std::int64_t tag, long value) { setNumber(tag, static_cast<long long>(value)); }
    void setNumber(std::int64_t tag, unsigned long value) { setNumber(tag, static_cast<unsigned long long>(value)); }
    void setNumber(std::int64_t tag, int value) { setNumber(tag, static_cast<long long>(value)); }
    void setNumber(std::int64_t tag, unsigned value) { setNumber(tag, static_cast<unsigned long long>(value)); }
    // NaN and the infinities have no wire form: nothing is stored, and the
    // tag is remembered (nonFiniteTag) so that the build refuses the message.
    void setNumber(std::int64_t tag, double value);

    // nullptr when the tag holds nothing.
    const std::string* find(std::int64_t tag) const;
    std::optional<std::string> get(std::int64_t tag) const;
    bool contains(std::int64_t tag) const { return find(tag) != nullptr; }
    void erase(std::int64_t tag);
    void clear();
    void removeAllObjects() { clear(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Room for n entries (and their index, when n needs one): storing up to n
    // tags then allocates nothing more.
    void reserve(std::size_t n);

    // The first tag given a non-finite number since the last clear.
    std::optional<std::int64_t> nonFiniteTag() const { return nonFinite_; }
    // Tag comparisons made by set() since the last clear: the cost of reading.
    std::size_t setComparisons() const { return setComparisons_; }

    // Entries in the order in which their tags were first stored.
    std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    std::vector<Entry>::const_iterator end() const { return entries_.end(); }

private:
    static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
    static std::uint64_t bit(std::int64_t tag) { return std::uint64_t{1} << (static_cast<std::uint64_t>(tag) & 63u); }

    // Position of `tag` in entries_, or kAbsent; adds the comparisons made.
    std::size_t position(std::int64_t tag, std::size_t& comparisons) const;
    // Indexes the entry just appended, making or growing the index when due.
    void indexLast() {
        if (!index_.empty() || entries_.size() >= kIndexedFrom) indexLastSlow();
    }
    void indexLastSlow();
    void indexEntry(std::size_t at);
    // Makes the index for `count` entries and fills it with the held ones.
    void rebuildIndex(std::size_t count);

    std::vector<Entry> entries_;
    std::uint64_t seen_ = 0;  // one bit per tag modulo 64: a clear bit means the tag is absent
    // Open addressing over entries_: position + 1 (a frame's fields fit in 32
    // bits), 0 for a free slot; at most half full. Empty while the map is small.
    std::vector<std::uint32_t> index_;
    std::optional<std::int64_t> nonFinite_;
    std::size_t setComparisons_ = 0;
};

// Decimal form of a double as the wire carries it: shortest round-trip text,
// no trailing ".0" ("100.5", "100", "0.1"); nullopt for NaN and infinities.
std::optional<std::string> formatDecimal(double value);

}  // namespace protocol
