#pragma once
// A dictionary that keeps its keys in the order they were first stored, for
// collections whose "first entry" matters (first entry = first row received).
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace state {

template <typename K, typename V>
class OrderedMap {
public:
    using Entry = std::pair<K, V>;

    // Stores or replaces; a replaced key keeps its place.
    void set(const K& key, V value) {
        for (auto& e : entries_) {
            if (e.first == key) {
                e.second = std::move(value);
                return;
            }
        }
        entries_.emplace_back(key, std::move(value));
    }
    const V* find(const K& key) const {
        for (const auto& e : entries_)
            if (e.first == key) return &e.second;
        return nullptr;
    }
    V* find(const K& key) {
        for (auto& e : entries_)
            if (e.first == key) return &e.second;
        return nullptr;
    }
    const Entry* first() const { return entries_.empty() ? nullptr : &entries_.front(); }
    void erase(const K& key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first == key) {
                entries_.erase(it);
                return;
            }
        }
    }
    void clear() { entries_.clear(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    typename std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    typename std::vector<Entry>::const_iterator end() const { return entries_.end(); }

private:
    std::vector<Entry> entries_;
};

}  // namespace state
