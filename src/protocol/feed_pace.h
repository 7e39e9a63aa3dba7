#pragma once
// When the feed reader hands the held texts to the main thread: paced by the
// main thread's own cost, so that the feed costs it at most a budget share.
//
// The main thread reports how long the slices of each hand-off took; the next
// one is not due before that cost × (1/budget − 1) has passed since it ended.
// A hand-off is due no sooner than a light feed's gather after the gathering
// began, and no later than a screen frame after it, so that every refresh of
// the windows finds the prices of the frame before.
//
// Thread use: the main thread calls applied(), the reader due().
#include <atomic>
#include <chrono>

namespace protocol {

class FeedPace {
public:
    using Clock = std::chrono::steady_clock;
    // The share of the main thread the feed's hand-offs may take, in percent:
    // with the windows' own refresh of the prices it moves, the feed stays
    // within a tenth of a core.
    static constexpr int kMainThreadBudgetPercent = 5;
    // How long the texts of a light feed wait for more (prices are shown once a second).
    static constexpr std::chrono::milliseconds kGatherLightFeed{50};
    // The windows' price refresh: no text is held longer before its hand-off.
    static constexpr std::chrono::milliseconds kFrame{1000};

    // The earliest next hand-off after one that took `cost` and ended at `end`.
    static Clock::time_point notBefore(Clock::time_point end, Clock::duration cost);
    // The hand-off of a gathering begun at `start`, given notBefore() of the last one.
    static Clock::time_point due(Clock::time_point start, Clock::time_point notBefore);

    // Main thread: the slices of a hand-off took `cost`, the last ended at `end`.
    void applied(Clock::time_point end, Clock::duration cost);
    // Reader: the hand-off of a gathering begun at `start`.
    Clock::time_point due(Clock::time_point start) const;

private:
    std::atomic<Clock::rep> notBefore_{Clock::time_point::min().time_since_epoch().count()};
};

}  // namespace protocol
