#pragma once
// The login's one 1.0 s main-thread tick: the accounts' recomputation once,
// then every subscribed refresh in the order of subscription. The timer's
// tick hands the rest of its refreshes to a later slice once it has run for
// kSliceBudget. A subscription ends with its handle, at once, even inside a tick.
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kit {

class LiveTicker {
    struct State;

public:
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }
        void reset();
        explicit operator bool() const { return id_ != 0; }

    private:
        friend class LiveTicker;
        Subscription(std::weak_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
        std::weak_ptr<State> state_;
        std::uint64_t id_ = 0;
    };

    explicit LiveTicker(std::function<void()> recompute,
                        std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    // A recomputation in steps: each returns true once it is done. As the
    // timer runs it, each step has a slice of its own; tick() runs them all.
    struct Steps {
        std::function<bool()> step;
    };
    LiveTicker(Steps recompute, std::chrono::milliseconds interval);
    ~LiveTicker();

    [[nodiscard]] Subscription subscribe(std::function<void()> refresh);
    void start();
    // At logout: no further tick.
    void stop();
    bool isRunning() const { return timer_.isActive(); }
    static constexpr std::chrono::milliseconds kSliceBudget{4};

    // Every refresh in one slice.
    void tick();
    // As the timer runs it: after `budget` in one slice (the recomputation's
    // time included), the remaining refreshes continue in the next turn of
    // the event loop; a recomputation that spent it runs alone in its slice,
    // and a refresh whose last run would carry the slice past it starts the next.
    // A tick while one is still going is skipped.
    void tickInSlices(std::chrono::milliseconds budget);
    std::size_t subscriberCount() const;
    QTimer& timer() { return timer_; }

private:
    // The next recomputation step, then (once it is done) the refreshes.
    void recomputeThenRefresh(std::chrono::milliseconds budget);
    // Runs refreshes from `next` up to `end` until `budget`, counted from
    // `start`, is spent, or the next one's last run would pass it. `fresh`:
    // nothing ran in this slice before `next`.
    void runFrom(std::size_t next, std::size_t end, std::chrono::milliseconds budget,
                 std::chrono::steady_clock::time_point start, bool fresh);
    // Runs the refreshes from `next` up to `end` in a later turn of the event loop.
    void continueLater(std::size_t next, std::size_t end, std::chrono::milliseconds budget);

    std::shared_ptr<State> state_;
    QTimer timer_;
};

}  // namespace kit
