#pragma once
// The compact login data's fill cut into steps of bounded work, in the order
// of a whole fill (ReferenceData::FillPackedSections): a fill spread over
// main-thread slices runs one step a slice.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/item_details.h"
#include "state/fill_steps.h"
#include "state/packed_records.h"

namespace state {

class ReferenceData;

class PackedFillSteps : public FillSteps {
  public:
    // At most: records stored in one step (a step also ends once its time,
    // platform::SliceBudget, is spent).
    static constexpr std::size_t kInstrumentsPerStep = 10000;
    static constexpr std::size_t kGroupInstrumentsPerStep = 20000;

    // `sections`: a whole compact text cut into its sections. Those before
    // the instruments are filled here; the later sections' text is copied
    // (the cut text is not kept) and `records` moved in.
    PackedFillSteps(ReferenceData& reference, const std::vector<std::string_view>& sections,
                    PackedLoginRecords records);

  private:
    // Sizes one counted group's table for its records; false once none is left.
    bool reserveGroupInstruments();

    ReferenceData& reference_;
    std::vector<std::string> texts_;
    std::vector<std::string_view> sections_;
    PackedLoginRecords records_;
    std::unordered_map<std::int32_t, std::shared_ptr<model::ItemDetails>> itemsById_;
    std::unordered_map<std::int32_t, std::size_t> groupCounts_;  // group id -> its records in this text
};

}  // namespace state
