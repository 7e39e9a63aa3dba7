#pragma once
// A cache of shaped texts in two generations: a lookup that finds an entry in
// the older one brings it into the newer; when the newer one holds
// `Generation` entries it becomes the older, and the older is dropped. What
// is drawn again and again stays; texts seen for a while only (a walking
// price) are let go, so the cache holds at most twice a generation.
#include <QHash>
#include <utility>

namespace kit {

template <class K, class V, qsizetype Generation>
class TextGenerations {
public:
    const V* find(const K& key) {
        if (const auto found = current_.constFind(key); found != current_.cend()) return &*found;
        const auto old = previous_.find(key);
        if (old == previous_.end()) return nullptr;
        V value = std::move(*old);
        previous_.erase(old);
        return &insert(key, std::move(value));
    }
    // The entry stays valid until the next insert or find.
    const V& insert(const K& key, V value) {
        if (current_.size() >= Generation) {
            previous_ = std::move(current_);
            current_ = QHash<K, V>();
        }
        return *current_.insert(key, std::move(value));
    }
    void clear() {
        current_.clear();
        previous_.clear();
    }
    qsizetype size() const { return current_.size() + previous_.size(); }

private:
    QHash<K, V> current_, previous_;
};

}  // namespace kit
