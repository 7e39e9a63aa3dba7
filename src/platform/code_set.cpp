#include "platform/code_set.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <functional>
#include <utility>

namespace platform {

namespace {

// An empty code is held as a view with data, so that it differs from a free slot.
std::string_view heldForm(std::string_view code) { return code.data() ? code : std::string_view("", 0); }

}  // namespace

void CodeSet::reserve(std::size_t codes) {
    const std::size_t wanted = std::bit_ceil(std::max(kFewestSlots, 2 * codes));
    if (slots_.size() >= wanted) return;
    ZeroedTable<std::string_view> held = std::exchange(slots_, ZeroedTable<std::string_view>(wanted));
    prepared_ = 0;
    for (const std::string_view code : held)
        if (code.data()) slots_[slotOf(code)] = code;
}

bool CodeSet::prepareRoom(std::size_t bytes) {
    const std::size_t room = slots_.size() * sizeof(std::string_view);
    const std::size_t step = std::max(bytes, kPageBytes);
    const std::size_t end = room - prepared_ > step ? prepared_ + step : room;
    // A byte a page changed by nothing, in one write: the slots keep what they
    // hold, and a fresh page is taken at once, not first mapped shared for a
    // read and then faulted again (with every thread's mapping flushed) for
    // the write.
    auto* const at = reinterpret_cast<unsigned char*>(slots_.begin());
    for (; prepared_ < end; prepared_ += kPageBytes)
        std::atomic_ref<unsigned char>(at[prepared_]).fetch_or(0, std::memory_order_relaxed);
    prepared_ = std::min(prepared_, room);
    return prepared_ == room;
}

std::size_t CodeSet::homeOf(std::string_view code) const {
    return std::hash<std::string_view>{}(code) & (slots_.size() - 1);
}

std::size_t CodeSet::slotOf(std::string_view code) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = homeOf(code);
    while (slots_[i].data() && slots_[i] != code) i = (i + 1) & mask;
    return i;
}

bool CodeSet::insert(std::string_view code) {
    code = heldForm(code);
    reserve(count_ + 1);
    std::string_view& slot = slots_[slotOf(code)];
    if (slot.data()) return false;
    slot = code;
    ++count_;
    return true;
}

bool CodeSet::contains(std::string_view code) const {
    return !slots_.empty() && slots_[slotOf(heldForm(code))].data() != nullptr;
}

bool CodeSet::erase(std::string_view code) {
    if (slots_.empty()) return false;
    std::size_t hole = slotOf(heldForm(code));
    if (!slots_[hole].data()) return false;
    // The codes after it in its run move back into the hole, each unless its
    // home lies after the hole (cyclically, up to where it is).
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t next = (hole + 1) & mask; slots_[next].data(); next = (next + 1) & mask) {
        const std::size_t home = homeOf(slots_[next]);
        const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (stays) continue;
        slots_[hole] = slots_[next];
        hole = next;
    }
    slots_[hole] = std::string_view();
    --count_;
    return true;
}

void CodeSet::clear() {
    std::fill(slots_.begin(), slots_.end(), std::string_view());
    count_ = 0;
    prepared_ = slots_.size() * sizeof(std::string_view);
}

}  // namespace platform
