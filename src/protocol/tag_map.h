#pragma once
// Tag to value-text dictionary of a message. Small and flat: a message holds a
// few dozen tags at most, so a linear scan beats a tree here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace protocol {

class TagMap {
public:
    using Entry = std::pair<std::int64_t, std::string>;

    // Stores or replaces the value of `tag`.
    void set(std::int64_t tag, std::string value);
    void set(std::int64_t tag, std::string_view value);
    void set(std::int64_t tag, const char* value) { set(tag, std::string_view(value)); }
    // Number values are written in their decimal form ("100.5", "7").
    void setNumber(std::int64_t tag, long long value);
    void setNumber(std::int64_t tag, unsigned long long value);
    void setNumber(std::int64_t tag, long value) { setNumber(tag, static_cast<long long>(value)); }
    void setNumber(std::int64_t tag, unsigned long value) { setNumber(tag, static_cast<unsigned long long>(value)); }
    void setNumber(std::int64_t tag, int value) { setNumber(tag, static_cast<long long>(value)); }
    void setNumber(std::int64_t tag, unsigned value) { setNumber(tag, static_cast<unsigned long long>(value)); }
    void setNumber(std::int64_t tag, double value);

    // nullptr when the tag holds nothing.
    const std::string* find(std::int64_t tag) const;
    std::optional<std::string> get(std::int64_t tag) const;
    bool contains(std::int64_t tag) const { return find(tag) != nullptr; }
    void erase(std::int64_t tag);
    void clear() {
        entries_.clear();
        seen_ = 0;
    }
    void removeAllObjects() { clear(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void reserve(std::size_t n) { entries_.reserve(n); }

    // Entries in the order in which their tags were first stored.
    std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    std::vector<Entry>::const_iterator end() const { return entries_.end(); }

private:
    static std::uint64_t bit(std::int64_t tag) { return std::uint64_t{1} << (static_cast<std::uint64_t>(tag) & 63u); }

    std::vector<Entry> entries_;
    std::uint64_t seen_ = 0;  // one bit per tag modulo 64: a clear bit means the tag is absent
};

// Decimal form of a double as the wire carries it: shortest round-trip text,
// no trailing ".0" ("100.5", "100", "0.1").
std::string formatDecimal(double value);

}  // namespace protocol
