#pragma once
// A login data fill cut into steps of bounded work, run one a main-thread
// slice in the order they were added, with the passes over the instruments
// that both login forms run after their tables.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace state {

class ReferenceData;

class FillSteps {
  public:
    // At most: instruments of one step of a pass over all of them (a step
    // also ends once its time, platform::SliceBudget, is spent).
    static constexpr std::size_t kPassItemsPerStep = 25000;
    // Watchlist codes looked up in one step.
    static constexpr std::size_t kWatchlistCodesPerStep = 20000;
    // Group conditions the spread pass reads ahead in one step.
    static constexpr std::size_t kSpreadGroupEntriesPerStep = 50000;

    // `part` names what a step's number counts in the log ("section", "table").
    explicit FillSteps(std::string part) : part_(std::move(part)) {}
    virtual ~FillSteps() = default;
    FillSteps(const FillSteps&) = delete;
    FillSteps& operator=(const FillSteps&) = delete;

    // Runs the next step; false once every step has run.
    bool runNext();
    std::size_t steps() const { return steps_.size(); }

  protected:
    struct Step {
        std::size_t section;
        std::function<void()> run;
    };
    // Fills [0, count) by ranges: up to `perStep` items a step, fewer once the step's time is spent.
    void addRanges(std::size_t section, std::size_t count, std::size_t perStep,
                   std::function<void(std::size_t from, std::size_t to)> fill);
    // A step run again, one a slice, while `part` says some is left.
    void addRepeated(std::size_t section, std::function<bool()> part);
    // The same with `part(n)` doing up to n items: called again within a step
    // until `perStep` items are done or the step's time is spent.
    void addBudgeted(std::size_t section, std::size_t perStep, std::function<bool(std::size_t items)> part);
    // The stored watchlist loaded by parts, then the index of codes by id built.
    void addWatchlistLoad(ReferenceData& reference, std::size_t section);
    // The group spreads copied onto at most `items` instruments: the groups
    // read ahead by parts, then the instruments by ranges.
    void addSpreadPass(ReferenceData& reference, std::size_t section, std::size_t items);

    std::vector<Step> steps_;

  private:
    std::string part_;
    std::size_t next_ = 0;
};

}  // namespace state
