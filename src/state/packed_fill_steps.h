#pragma once
// The compact login data's fill cut into steps of bounded work, in the order
// of a whole fill (ReferenceData::FillPackedSections): a fill spread over
// main-thread slices runs one step a slice.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/item_details.h"
#include "state/packed_records.h"

namespace state {

class ReferenceData;

class PackedFillSteps {
  public:
    // At most: records stored in one step, and instruments of one step of a
    // pass over all of them; a step also ends once its time
    // (platform::SliceBudget) is spent.
    static constexpr std::size_t kInstrumentsPerStep = 10000;
    static constexpr std::size_t kGroupInstrumentsPerStep = 20000;
    static constexpr std::size_t kPassItemsPerStep = 25000;
    // Watchlist codes looked up in one step.
    static constexpr std::size_t kWatchlistCodesPerStep = 20000;
    // Group conditions the spread pass reads ahead in one step.
    static constexpr std::size_t kSpreadGroupEntriesPerStep = 50000;

    // `sections`: a whole compact text cut into its sections. Those before
    // the instruments are filled here; the later sections' text is copied
    // (the cut text is not kept) and `records` moved in.
    PackedFillSteps(ReferenceData& reference, const std::vector<std::string_view>& sections,
                    PackedLoginRecords records);
    // Runs the next step; false once every step has run.
    bool runNext();
    std::size_t steps() const { return steps_.size(); }

  private:
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
    // Sizes one counted group's table for its records; false once none is left.
    bool reserveGroupInstruments();

    ReferenceData& reference_;
    std::vector<std::string> texts_;
    std::vector<std::string_view> sections_;
    PackedLoginRecords records_;
    std::unordered_map<std::int32_t, std::shared_ptr<model::ItemDetails>> itemsById_;
    std::unordered_map<std::int32_t, std::size_t> groupCounts_;  // group id -> its records in this text
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

}  // namespace state
