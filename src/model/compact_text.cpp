#include "model/compact_text.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>

namespace model {

namespace {
using Holders = std::atomic<std::uint32_t>;
constexpr std::size_t kHoldersBytes = sizeof(Holders);
constexpr std::size_t kSizeBytes = sizeof(std::uint32_t);
constexpr std::size_t kHeaderBytes = kHoldersBytes + kSizeBytes;
constexpr std::size_t kMaxHeapSize = std::numeric_limits<std::uint32_t>::max() - kHeaderBytes - 1;
constexpr std::uint32_t kMaxHolders = std::numeric_limits<std::uint32_t>::max();
constexpr unsigned kAddressBits = 48;
static_assert(sizeof(void*) == 8, "a block's address fills the field");

Holders& holdersOf(char* block) { return *std::launder(reinterpret_cast<Holders*>(block)); }
}  // namespace

char* CompactText::block() const noexcept {
    char* address;
    std::memcpy(&address, bytes_, sizeof address);
    return address;
}

char* CompactText::heapText() const noexcept { return block() + kHeaderBytes; }

std::size_t CompactText::size() const noexcept {
    if (!onHeap()) return kInlineMax - tag();
    std::uint32_t size;
    std::memcpy(&size, block() + kHoldersBytes, sizeof size);
    return size;
}

const char* CompactText::data() const noexcept {
    return onHeap() ? heapText() : reinterpret_cast<const char*>(bytes_);
}

void CompactText::setInline(std::size_t size) noexcept {
    bytes_[size] = 0;
    bytes_[kInlineMax] = static_cast<unsigned char>(kInlineMax - size);
}

void CompactText::init(std::string_view text) {
    // A 7-byte text whose last byte is zero would read as an address: it goes to the heap.
    if (text.size() < kInlineMax || (text.size() == kInlineMax && text[kAddressTop] != 0)) {
        if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
        setInline(text.size());
        return;
    }
    if (text.size() > kMaxHeapSize) throw std::length_error("text field over 4 GB");
    char* block = static_cast<char*>(::operator new(kHeaderBytes + text.size() + 1));
    if (reinterpret_cast<std::uint64_t>(block) >> kAddressBits) {
        ::operator delete(block);
        throw std::bad_alloc();
    }
    new (block) Holders(1);
    const auto size = static_cast<std::uint32_t>(text.size());
    std::memcpy(block + kHoldersBytes, &size, sizeof size);
    std::memcpy(block + kHeaderBytes, text.data(), text.size());
    block[kHeaderBytes + text.size()] = 0;
    std::memcpy(bytes_, &block, sizeof block);
}

// A heap text is shared, not copied (a copy past the holders' count).
void CompactText::share(const CompactText& other) {
    if (!other.onHeap()) {
        std::memcpy(bytes_, other.bytes_, kBytes);
        return;
    }
    Holders& holders = holdersOf(other.block());
    std::uint32_t count = holders.load(std::memory_order_relaxed);
    while (count < kMaxHolders) {
        if (holders.compare_exchange_weak(count, count + 1, std::memory_order_relaxed)) {
            std::memcpy(bytes_, other.bytes_, kBytes);
            return;
        }
    }
    init(other.view());
}

void CompactText::release() noexcept {
    if (!onHeap()) return;
    char* const at = block();
    if (holdersOf(at).fetch_sub(1, std::memory_order_acq_rel) == 1) {
        holdersOf(at).~Holders();
        ::operator delete(at);
    }
}

CompactText::CompactText(CompactText&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, kBytes);
    other.setInline(0);
}

CompactText& CompactText::operator=(const CompactText& other) {
    if (this != &other) {
        CompactText next(other);
        *this = std::move(next);
    }
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
    // A heap text of the same length held by no other field is written over (a tick's time, each tick).
    if (onHeap() && text.size() == size() && holdersOf(block()).load(std::memory_order_acquire) == 1) {
        std::memmove(heapText(), text.data(), text.size());
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
