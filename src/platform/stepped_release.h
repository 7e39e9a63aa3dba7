#pragma once
// Large collections handed over when their owner ends, released on the main
// thread a bounded number of records a turn of the event loop, so that no
// single slice frees them all.
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace platform {

class SteppedRelease : public std::enable_shared_from_this<SteppedRelease> {
public:
    // Records freed per turn of the event loop.
    static constexpr std::size_t kRecordsPerTurn = 4000;

    // Takes `records` (any container with empty(); a vector is freed from its back).
    template <typename Container>
    void add(Container records) {
        if (records.empty()) return;
        parts_.push_back(std::make_unique<Part<Container>>(std::move(records)));
    }
    // Frees up to `budget` records; true once nothing is held.
    bool step(std::size_t budget = kRecordsPerTurn);
    bool empty() const { return parts_.empty(); }
    // Steps once a turn on the main executor until everything is freed.
    static void start(std::shared_ptr<SteppedRelease> held);

private:
    struct Held {
        virtual ~Held() = default;
        // Frees up to `budget` records; returns how many it freed.
        virtual std::size_t release(std::size_t budget) = 0;
        virtual bool empty() const = 0;
    };
    template <typename Container>
    struct Part final : Held {
        explicit Part(Container c) : records(std::move(c)) {}
        std::size_t release(std::size_t budget) override {
            std::size_t freed = 0;
            for (; freed < budget && !records.empty(); ++freed) {
                if constexpr (requires { records.pop_back(); })
                    records.pop_back();
                else
                    records.erase(records.begin());
            }
            return freed;
        }
        bool empty() const override { return records.empty(); }
        Container records;
    };
    std::deque<std::unique_ptr<Held>> parts_;
};

}  // namespace platform
