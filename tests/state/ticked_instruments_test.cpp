// The instruments ticked turn by turn: each once, and none listed past the
// bound; the log of status changes read after a count.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "state/ticked_instruments.h"

namespace state {
namespace {

TEST(TickedInstruments, ATurnListsItsInstrumentsOnceOrTooMany) {
    model::ItemDetails gold, euro;
    struct Turn {
        const char* name;
        std::vector<const model::ItemDetails*> ticks;
        std::vector<const model::ItemDetails*> listed;  // sorted
        bool tooMany;
    };
    std::vector<const model::ItemDetails*> flood(TickedInstruments::kMostTicks + 1, &gold);
    std::vector<const model::ItemDetails*> both = {&gold, &euro};
    std::sort(both.begin(), both.end());
    const Turn turns[] = {
        {"none", {}, {}, false},
        {"repeats", {&euro, &gold, &euro, &gold}, both, false},
        {"one", {&gold}, {&gold}, false},
        {"past the bound", flood, {}, true},
        {"after it", {&euro}, {&euro}, false},
    };
    TickedInstruments ticked;
    for (const Turn& turn : turns) {
        const std::uint64_t before = ticked.last().turn;
        for (const model::ItemDetails* item : turn.ticks) ticked.note(*item);
        ticked.endTurn();
        std::vector<const model::ItemDetails*> listed = ticked.last().items;
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, turn.listed) << turn.name;
        EXPECT_EQ(ticked.last().tooMany, turn.tooMany) << turn.name;
        EXPECT_EQ(ticked.last().turn, before + 1) << turn.name;
    }
}

TEST(InstrumentLog, NotesAfterACountOrNoneOnceDropped) {
    model::ItemDetails gold, euro;
    InstrumentLog log;
    log.note(gold);
    log.note(euro);
    using Notes = std::vector<const model::ItemDetails*>;
    const auto since = [&](std::uint64_t seen) -> std::optional<Notes> {
        const auto notes = log.since(seen);
        return notes ? std::optional<Notes>(Notes(notes->begin(), notes->end())) : std::nullopt;
    };
    EXPECT_EQ(since(0), (Notes{&gold, &euro}));
    EXPECT_EQ(since(2), Notes{});
    EXPECT_EQ(since(3), std::nullopt);  // not a count of this log
    for (std::size_t i = 0; i < InstrumentLog::kMostKept; ++i) log.note(gold);
    EXPECT_EQ(since(0), std::nullopt);  // dropped
    EXPECT_EQ(since(log.count() - 1), Notes{&gold});
}

}  // namespace
}  // namespace state
