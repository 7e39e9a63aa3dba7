#include "protocol/feed_pace.h"

#include <algorithm>

namespace protocol {

FeedPace::Clock::time_point FeedPace::notBefore(Clock::time_point end, Clock::duration cost) {
    constexpr int kWhole = 100;
    // Past a frame the gathering's own bound decides; capping first keeps the product small.
    const Clock::duration capped = std::min<Clock::duration>(cost, kFrame);
    const Clock::duration rest = capped * (kWhole - kMainThreadBudgetPercent) / kMainThreadBudgetPercent;
    return end + std::min<Clock::duration>(rest, kFrame);
}

FeedPace::Clock::time_point FeedPace::due(Clock::time_point start, Clock::time_point notBefore) {
    return std::min(std::max(start + kGatherLightFeed, notBefore), start + kFrame);
}

void FeedPace::applied(Clock::time_point end, Clock::duration cost) {
    notBefore_.store(notBefore(end, cost).time_since_epoch().count(), std::memory_order_relaxed);
}

FeedPace::Clock::time_point FeedPace::due(Clock::time_point start) const {
    return due(start, Clock::time_point(Clock::duration(notBefore_.load(std::memory_order_relaxed))));
}

}  // namespace protocol
