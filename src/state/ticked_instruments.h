#pragma once
// The instruments whose prices the feed wrote, gathered turn by turn: the
// one-second refresh ends a turn and the views redraw the rows of the turn
// before instead of reading every instrument. Main thread.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/item_details.h"

namespace state {

// What the last turn gathered.
struct TickedInstrumentsTurn {
    // Each once, in no given order; empty with `tooMany`.
    std::vector<const model::ItemDetails*> items;
    // More ticks came than the turn keeps: any instrument may have moved.
    bool tooMany = false;
    // Grows at each turn's end.
    std::uint64_t turn = 0;
};

class TickedInstruments {
public:
    // Ticks kept a turn, repeats included; beyond them the turn lists none.
    static constexpr std::size_t kMostTicks = 8192;
    // A tick wrote the instrument's prices.
    void note(const model::ItemDetails& item);
    // Ends the turn: what it gathered becomes last().
    void endTurn();
    const TickedInstrumentsTurn& last() const { return last_; }

private:
    std::vector<const model::ItemDetails*> noted_;
    bool tooMany_ = false;
    TickedInstrumentsTurn last_;
};

// Instruments noted one by one (a status change each), numbered: a reader
// keeps count() as of its last read and asks for those noted after it.
class InstrumentLog {
public:
    // Notes kept; past them the older half is dropped.
    static constexpr std::size_t kMostKept = 1024;
    void note(const model::ItemDetails& item);
    // Every note so far.
    std::uint64_t count() const { return count_; }
    // The notes after the first `seen`, repeats included; nullopt when some of
    // them were dropped or `seen` is not one of this log's counts.
    std::optional<std::span<const model::ItemDetails* const>> since(std::uint64_t seen) const;

private:
    std::vector<const model::ItemDetails*> kept_;
    std::uint64_t count_ = 0;
};

}  // namespace state
