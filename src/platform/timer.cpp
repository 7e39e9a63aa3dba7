#include "platform/timer.h"

#include <condition_variable>
#include <thread>

#include "platform/main_executor.h"

namespace platform {

struct Timer::State : std::enable_shared_from_this<Timer::State> {
    std::mutex mutex;
    std::condition_variable idle;
    std::function<void()> fn;
    std::shared_ptr<SerialQueue> queue;
    std::shared_ptr<Clock> clock;  // the clock the pending fire was scheduled on
    Clock::TimerId clockId = 0;
    std::uint64_t generation = 0;  // bumped by every start/cancel; stale fires see a mismatch
    bool active = false;
    bool repeats = false;
    Duration interval{};
    TimePoint due{};
    int running = 0;
    std::thread::id runningThread;

    // Called with the lock held.
    void arm(TimePoint when) {
        due = when;
        clock = sharedDefaultClock();
        std::weak_ptr<State> weak = weak_from_this();
        const std::uint64_t gen = generation;
        clockId = clock->schedule(when, [weak, gen] {
            auto self = weak.lock();
            if (!self) return;
            std::shared_ptr<SerialQueue> q;
            {
                std::lock_guard<std::mutex> lock(self->mutex);
                if (!self->active || self->generation != gen) return;
                q = self->queue;
            }
            auto run = [weak, gen] {
                if (auto s = weak.lock()) s->fire(gen);
            };
            if (q)
                q->async(std::move(run));
            else
                MainExecutor::post(std::move(run));
        });
    }

    // Called with the lock held.
    void disarm() {
        ++generation;
        active = false;
        if (clock && clockId) clock->cancel(clockId);
        clockId = 0;
        clock = nullptr;
    }

    void fire(std::uint64_t gen) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!active || generation != gen) return;
            if (repeats) {
                TimePoint now = sharedDefaultClock()->now();
                TimePoint next = due + interval;
                if (next <= now) next = now + interval;  // fell behind: no burst of catch-up fires
                ++generation;
                arm(next);
            } else {
                active = false;
                clockId = 0;
                clock = nullptr;
            }
            call = fn;
            ++running;
            runningThread = std::this_thread::get_id();
        }
        struct Done {
            State* s;
            ~Done() {
                {
                    std::lock_guard<std::mutex> lock(s->mutex);
                    --s->running;
                }
                s->idle.notify_all();
            }
        } done{this};
        if (call) call();
    }
};

Timer::Timer(std::function<void()> fn, std::shared_ptr<SerialQueue> queue) : state_(std::make_shared<State>()) {
    state_->fn = std::move(fn);
    state_->queue = std::move(queue);
}

Timer::~Timer() {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->disarm();
    // A callback running on another thread may use what the owner is about to free: wait for it.
    // From inside the callback itself there is nothing to wait for.
    state_->idle.wait(lock, [this] {
        return state_->running == 0 || state_->runningThread == std::this_thread::get_id();
    });
    state_->fn = nullptr;
}

void Timer::start(Duration interval, bool repeats) {
    if (interval < Duration::zero()) interval = Duration::zero();
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->disarm();
    state_->active = true;
    state_->repeats = repeats;
    // A repeating timer with no interval would fire without pause.
    state_->interval = (repeats && interval == Duration::zero()) ? std::chrono::milliseconds(1) : interval;
    state_->arm(sharedDefaultClock()->now() + interval);
}

void Timer::cancel() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->disarm();
}

bool Timer::isActive() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->active;
}

}  // namespace platform
