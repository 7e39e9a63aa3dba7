#include "model/compact_text.h"

#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace model {

namespace {
constexpr std::size_t kSizeAt = sizeof(char*);
constexpr std::size_t kMaxHeapSize = std::numeric_limits<std::uint32_t>::max();
}  // namespace

char* CompactText::heapPointer() const noexcept {
    char* pointer;
    std::memcpy(&pointer, bytes_, sizeof pointer);
    return pointer;
}

std::size_t CompactText::size() const noexcept {
    if (!onHeap()) return kInlineMax - bytes_[kInlineMax];
    std::uint32_t size;
    std::memcpy(&size, bytes_ + kSizeAt, sizeof size);
    return size;
}

const char* CompactText::data() const noexcept {
    return onHeap() ? heapPointer() : reinterpret_cast<const char*>(bytes_);
}

void CompactText::setInline(std::size_t size) noexcept {
    bytes_[size] = 0;
    bytes_[kInlineMax] = static_cast<unsigned char>(kInlineMax - size);
}

void CompactText::init(std::string_view text) {
    if (text.size() <= kInlineMax) {
        if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
        setInline(text.size());
        return;
    }
    if (text.size() > kMaxHeapSize) throw std::length_error("text field over 4 GB");
    char* pointer = new char[text.size() + 1];
    std::memcpy(pointer, text.data(), text.size());
    pointer[text.size()] = 0;
    const auto size = static_cast<std::uint32_t>(text.size());
    std::memcpy(bytes_, &pointer, sizeof pointer);
    std::memcpy(bytes_ + kSizeAt, &size, sizeof size);
    bytes_[kInlineMax] = kHeapTag;
}

void CompactText::release() noexcept {
    if (onHeap()) delete[] heapPointer();
}

CompactText::CompactText(CompactText&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, kBytes);
    other.setInline(0);
}

CompactText& CompactText::operator=(const CompactText& other) {
    if (this != &other) *this = other.view();
    return *this;
}

CompactText& CompactText::operator=(CompactText&& other) noexcept {
    if (this != &other) {
        release();
        std::memcpy(bytes_, other.bytes_, kBytes);
        other.setInline(0);
    }
    return *this;
}

// The new text is built before the old one is let go: `text` may point into it.
CompactText& CompactText::operator=(std::string_view text) {
    // A heap text of the same length is written over (a tick's time, each tick).
    if (onHeap() && text.size() == size()) {
        std::memmove(heapPointer(), text.data(), text.size());
        return *this;
    }
    CompactText next(text);
    return *this = std::move(next);
}

void CompactText::clear() noexcept {
    release();
    setInline(0);
}

CompactText& CompactText::append(std::string_view text) {
    std::string whole = str();
    whole.append(text);
    return *this = std::string_view(whole);
}

std::ostream& operator<<(std::ostream& out, const CompactText& text) { return out << text.view(); }

}  // namespace model
