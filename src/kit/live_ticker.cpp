#include "kit/live_ticker.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/main_executor.h"

namespace kit {

struct LiveTicker::State {
    struct Entry {
        std::uint64_t id;
        std::function<void()> refresh;  // null once unsubscribed
        std::optional<std::chrono::steady_clock::duration> took;  // its last run, to foresee the next
    };
    std::function<bool()> recompute;  // true once done
    std::vector<Entry> entries;
    std::uint64_t nextId = 1;
    bool ticking = false;

    void remove(std::uint64_t id) {
        for (Entry& e : entries)
            if (e.id == id) e.refresh = nullptr;
        if (!ticking) prune();
    }
    void prune() {
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.refresh; }),
                      entries.end());
    }
};

LiveTicker::Subscription::Subscription(Subscription&& other) noexcept
    : state_(std::move(other.state_)), id_(std::exchange(other.id_, 0)) {}

LiveTicker::Subscription& LiveTicker::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        reset();
        state_ = std::move(other.state_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void LiveTicker::Subscription::reset() {
    if (id_ == 0) return;
    if (const auto state = state_.lock()) state->remove(id_);
    id_ = 0;
    state_.reset();
}

LiveTicker::LiveTicker(std::function<void()> recompute, std::chrono::milliseconds interval)
    : LiveTicker(Steps{recompute ? std::function<bool()>([recompute = std::move(recompute)] {
                     recompute();
                     return true;
                 })
                                 : nullptr},
                 interval) {}

LiveTicker::LiveTicker(Steps recompute, std::chrono::milliseconds interval) : state_(std::make_shared<State>()) {
    state_->recompute = std::move(recompute.step);
    timer_.setInterval(interval);
    // A Qt timer also fires inside modal loops, menus and resizes.
    QObject::connect(&timer_, &QTimer::timeout, [this] { tickInSlices(kSliceBudget); });
}

LiveTicker::~LiveTicker() { timer_.stop(); }

LiveTicker::Subscription LiveTicker::subscribe(std::function<void()> refresh) {
    platform::assertMainThread();
    if (!refresh) return {};
    const std::uint64_t id = state_->nextId++;
    state_->entries.push_back({id, std::move(refresh), std::nullopt});
    return Subscription(state_, id);
}

void LiveTicker::start() { timer_.start(); }

void LiveTicker::stop() { timer_.stop(); }

void LiveTicker::tick() { tickInSlices(std::chrono::milliseconds::max()); }

void LiveTicker::tickInSlices(std::chrono::milliseconds budget) {
    platform::assertMainThread();
    if (state_->ticking) return;
    state_->ticking = true;
    recomputeThenRefresh(budget);
}

void LiveTicker::recomputeThenRefresh(std::chrono::milliseconds budget) {
    const auto start = std::chrono::steady_clock::now();
    if (state_->recompute) {
        const bool unbounded = budget == std::chrono::milliseconds::max();
        bool done = state_->recompute();
        while (!done && unbounded) done = state_->recompute();
        if (!done) {
            std::weak_ptr<State> alive = state_;
            QMetaObject::invokeMethod(
                &timer_,
                [this, alive, budget] {
                    if (alive.lock()) recomputeThenRefresh(budget);
                },
                Qt::QueuedConnection);
            return;
        }
    }
    // Subscriptions made during the tick wait for the next one.
    const std::size_t end = state_->entries.size();
    // A recomputation that spent the budget keeps its slice to itself.
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (end > 0 && spent >= budget) return continueLater(0, end, budget);
    runFrom(0, end, budget, start, !state_->recompute);
}

void LiveTicker::continueLater(std::size_t next, std::size_t end, std::chrono::milliseconds budget) {
    std::weak_ptr<State> alive = state_;
    QMetaObject::invokeMethod(
        &timer_,
        [this, alive, next, end, budget] {
            if (alive.lock()) runFrom(next, end, budget, std::chrono::steady_clock::now(), true);
        },
        Qt::QueuedConnection);
}

void LiveTicker::runFrom(std::size_t next, std::size_t end, std::chrono::milliseconds budget,
                         std::chrono::steady_clock::time_point start, bool fresh) {
    const auto state = state_;  // a refresh may end the ticker's owner's subscriptions
    for (std::size_t i = next; i < end && i < state->entries.size(); ++i) {
        const auto before = std::chrono::steady_clock::now();
        // A refresh not run yet, or that took the rest of the budget last time,
        // waits for a slice that has run nothing yet.
        const auto& took = state->entries[i].took;
        if ((i > next || !fresh) && budget != std::chrono::milliseconds::max() && (!took || before - start + *took > budget))
            return continueLater(i, end, budget);
        const std::function<void()> refresh = state->entries[i].refresh;
        if (refresh) refresh();
        state->entries[i].took = std::chrono::steady_clock::now() - before;
        // Whole milliseconds: the comparison with an unbounded budget cannot overflow.
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (i + 1 < end && spent >= budget) return continueLater(i + 1, end, budget);
    }
    state->ticking = false;
    state->prune();
}

std::size_t LiveTicker::subscriberCount() const {
    return static_cast<std::size_t>(std::count_if(state_->entries.begin(), state_->entries.end(),
                                                  [](const State::Entry& e) { return bool(e.refresh); }));
}

}  // namespace kit
