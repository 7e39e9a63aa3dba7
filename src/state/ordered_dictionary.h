#pragma once
// A text-keyed dictionary that keeps its keys in the order they were first
// stored and finds them by hash. Used for the reference-data collections,
// whose first entry and enumeration order follow the rows as received.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/compact_text.h"

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
        const auto it = index_.find(key);
        return it == index_.end() ? nullptr : &entries_[it->second].second;
    }
    const V* find(std::string_view key) const {
        const auto it = index_.find(key);
        return it == index_.end() ? nullptr : &entries_[it->second].second;
    }
    bool contains(std::string_view key) const { return index_.find(key) != index_.end(); }

    // Stores or replaces; a replaced key keeps its place. Returns the stored value.
    V& set(std::string key, V value) {
        ++revision_;
        const auto [it, added] = index_.try_emplace(key, entries_.size());
        if (!added) {
            V& slot = entries_[it->second].second;
            slot = std::move(value);
            return slot;
        }
        entries_.emplace_back(std::move(key), std::move(value));
        return entries_.back().second;
    }
    void erase(std::string_view key) {
        ++revision_;
        const auto it = index_.find(key);
        if (it == index_.end()) return;
        const std::size_t at = it->second;
        index_.erase(it);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        for (auto& e : index_)
            if (e.second > at) --e.second;
    }
    const Entry* first() const { return entries_.empty() ? nullptr : &entries_.front(); }
    // The entry at a place of the order, if there is one.
    const Entry* at(std::size_t place) const { return place < entries_.size() ? &entries_[place] : nullptr; }
    void clear() {
        ++revision_;
        entries_.clear();
        index_.clear();
    }
    void reserve(std::size_t n) {
        entries_.reserve(n);
        index_.reserve(n);
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
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::vector<Entry> entries_;
    std::unordered_map<model::CompactText, std::size_t, Hash, std::equal_to<>> index_;
    std::uint64_t revision_ = 0;
};

}  // namespace state
