#include "protocol/tag_map.h"

#include <charconv>
#include <cmath>
#include <random>
#include <tuple>

namespace protocol {

namespace {

// Tags come from the server: a seed drawn per process keeps anyone from
// choosing tags that collide in the index.
std::uint64_t hashSeed() {
    static const std::uint64_t seed = [] {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    }();
    return seed;
}

// splitmix64's finaliser over the seeded tag.
std::uint64_t hashOf(std::int64_t tag) {
    std::uint64_t x = static_cast<std::uint64_t>(tag) ^ hashSeed();
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

}  // namespace

std::size_t TagMap::position(std::int64_t tag, std::size_t& comparisons) const {
    if ((seen_ & bit(tag)) == 0) return kAbsent;
    if (index_.empty()) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            ++comparisons;
            if (entries_[i].first == tag) return i;
        }
        return kAbsent;
    }
    const std::size_t mask = index_.size() - 1;
    for (std::size_t slot = hashOf(tag) & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = index_[slot];
        if (at == 0) return kAbsent;
        ++comparisons;
        if (entries_[at - 1].first == tag) return at - 1;
    }
}

void TagMap::indexEntry(std::size_t at) {
    const std::size_t mask = index_.size() - 1;
    std::size_t slot = hashOf(entries_[at].first) & mask;
    while (index_[slot] != 0) slot = (slot + 1) & mask;
    index_[slot] = static_cast<std::uint32_t>(at + 1);
}

void TagMap::rebuildIndex(std::size_t count) {
    index_.clear();
    if (count < kIndexedFrom) return;
    std::size_t slots = 2 * kIndexedFrom;
    while (slots < 2 * count) slots *= 2;
    index_.assign(slots, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i) indexEntry(i);
}

void TagMap::indexLastSlow() {
    if (index_.empty() ? entries_.size() >= kIndexedFrom : 2 * entries_.size() > index_.size())
        rebuildIndex(entries_.size());
    else if (!index_.empty())
        indexEntry(entries_.size() - 1);
}

void TagMap::reserve(std::size_t n) {
    entries_.reserve(n);
    if (n >= kIndexedFrom && 2 * n > index_.size()) rebuildIndex(n);
}

void TagMap::set(std::int64_t tag, std::string value) {
    const std::size_t at = position(tag, setComparisons_);
    if (at != kAbsent) {
        entries_[at].second = std::move(value);
        return;
    }
    seen_ |= bit(tag);
    entries_.emplace_back(tag, std::move(value));
    indexLast();
}

void TagMap::set(std::int64_t tag, std::string_view value) {
    // A new tag (the filter says so) skips the lookup call.
    const std::size_t at = (seen_ & bit(tag)) == 0 ? kAbsent : position(tag, setComparisons_);
    if (at != kAbsent) {
        entries_[at].second.assign(value);
        return;
    }
    seen_ |= bit(tag);
    entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(tag), std::forward_as_tuple(value));
    indexLast();
}

void TagMap::setNumber(std::int64_t tag, long long value) { set(tag, std::to_string(value)); }

void TagMap::setNumber(std::int64_t tag, unsigned long long value) { set(tag, std::to_string(value)); }

void TagMap::setNumber(std::int64_t tag, double value) {
    if (auto text = formatDecimal(value)) {
        set(tag, std::move(*text));
    } else if (!nonFinite_) {
        nonFinite_ = tag;
    }
}

const std::string* TagMap::find(std::int64_t tag) const {
    std::size_t comparisons = 0;
    const std::size_t at = position(tag, comparisons);
    return at == kAbsent ? nullptr : &entries_[at].second;
}

std::optional<std::string> TagMap::get(std::int64_t tag) const {
    if (const std::string* v = find(tag)) return *v;
    return std::nullopt;
}

void TagMap::erase(std::int64_t tag) {
    std::size_t comparisons = 0;
    const std::size_t at = position(tag, comparisons);
    if (at == kAbsent) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    if (!index_.empty()) rebuildIndex(entries_.size());
}

void TagMap::clear() {
    entries_.clear();
    index_.clear();
    seen_ = 0;
    nonFinite_.reset();
    setComparisons_ = 0;
}

std::optional<std::string> formatDecimal(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    if (value == 0) return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace protocol
