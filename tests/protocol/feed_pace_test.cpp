// When the reader hands the held feed texts to the main thread.
#include <gtest/gtest.h>

#include <chrono>

#include "protocol/feed_pace.h"

namespace protocol {
namespace {

using namespace std::chrono_literals;
using Clock = FeedPace::Clock;

TEST(FeedPace, AHandOffIsDueAfterTheGatherWithinTheBudgetAndAtMostAFrame) {
    static_assert(FeedPace::kMainThreadBudgetPercent == 5, "the rows below are at 5%");
    const Clock::time_point start{10s};
    struct Case {
        const char* what;
        Clock::time_point lastEnd;
        Clock::duration lastCost;
        Clock::duration due;  // after `start`
    } cases[] = {
        {"a light feed: the gather", start - 1s, 1ms, FeedPace::kGatherLightFeed},
        {"a cheap hand-off just ended: still the gather", start, 2ms, FeedPace::kGatherLightFeed},
        {"a costly one: its cost spread to the budget (5%)", start + 10ms, 40ms, 10ms + 760ms},
        {"a costlier one: at most a frame", start, 200ms, FeedPace::kFrame},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FeedPace::due(start, FeedPace::notBefore(c.lastEnd, c.lastCost)) - start, c.due) << c.what;

    FeedPace pace;
    EXPECT_EQ(pace.due(start) - start, FeedPace::kGatherLightFeed) << "before any hand-off";
    pace.applied(start, 40ms);
    EXPECT_EQ(pace.due(start) - start, 760ms);
}

}  // namespace
}  // namespace protocol
