#pragma once
// First-in first-out queue; the head is index 0. It has no lock of its own:
// each owner serialises its use.
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace model {

template <typename T>
class FifoQueue {
  public:
    void enqueue(T value) { items_.push_back(std::move(value)); }

    // Removes and answers the head; nothing when empty.
    std::optional<T> dequeue() {
        if (items_.empty()) return std::nullopt;
        std::optional<T> head(std::move(items_.front()));
        items_.pop_front();
        return head;
    }

    // The object at `index` without removing it; nothing for a negative index or one at or past the end.
    std::optional<T> peek(std::int64_t index) const {
        if (index < 0 || static_cast<std::uint64_t>(index) >= items_.size()) return std::nullopt;
        return items_[static_cast<std::size_t>(index)];
    }
    std::optional<T> peekHead() const { return peek(0); }
    std::optional<T> peekTail() const { return peek(static_cast<std::int64_t>(items_.size()) - 1); }

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    void clear() { items_.clear(); }

  private:
    std::deque<T> items_;
};

}  // namespace model
