#pragma once
// A fixed-size array in zeroed memory from calloc, for hash tables whose free
// slot is all zero bytes: a large table's fresh pages are touched as its slots
// fill, not all in the slice that sizes it.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace platform {

// T's value-initialised form must be all zero bytes.
template <typename T>
class ZeroedTable {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    explicit ZeroedTable(std::size_t size = 0) : size_(size) {
        if (size == 0) return;
        items_.reset(static_cast<T*>(std::calloc(size, sizeof(T))));
        if (!items_) throw std::bad_alloc();
    }
    ZeroedTable(const ZeroedTable& other) : ZeroedTable(other.size_) {
        if (size_) std::memcpy(static_cast<void*>(items_.get()), other.items_.get(), size_ * sizeof(T));
    }
    ZeroedTable(ZeroedTable&& other) noexcept : items_(std::move(other.items_)), size_(std::exchange(other.size_, 0)) {}
    ZeroedTable& operator=(ZeroedTable other) noexcept {
        swap(other);
        return *this;
    }
    void swap(ZeroedTable& other) noexcept {
        items_.swap(other.items_);
        std::swap(size_, other.size_);
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t at) { return items_[at]; }
    const T& operator[](std::size_t at) const { return items_[at]; }
    T* begin() { return items_.get(); }
    T* end() { return items_.get() + size_; }
    const T* begin() const { return items_.get(); }
    const T* end() const { return items_.get() + size_; }

private:
    struct Free {
        void operator()(T* items) const { std::free(items); }
    };
    std::unique_ptr<T[], Free> items_;
    std::size_t size_ = 0;
};

}  // namespace platform
