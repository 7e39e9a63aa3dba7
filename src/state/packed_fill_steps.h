#pragma once
// The compact login data's fill cut into steps of bounded work, in the order
// of a whole fill (ReferenceData::FillPackedSections): a fill spread over
// main-thread slices runs one step a slice.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/packed_records.h"

namespace state {

class ReferenceData;

class PackedFillSteps {
public:
    // Records stored in one step: a few milliseconds each.
    static constexpr std::size_t kInstrumentsPerStep = 10000;
    static constexpr std::size_t kGroupInstrumentsPerStep = 20000;

    // The sections before the instruments are filled here, from `text` (the
    // whole compact text, not kept); the later sections' text is copied and
    // `records` moved in.
    PackedFillSteps(ReferenceData& reference, std::string_view text, PackedLoginRecords records);
    // Runs the next step; false once every step has run.
    bool runNext();
    std::size_t steps() const { return steps_.size(); }

private:
    struct Step {
        std::size_t section;
        std::function<void()> run;
    };
    void addRanges(std::size_t section, std::size_t count, std::size_t perStep,
                   const std::function<void(std::size_t from, std::size_t to)>& fill);

    ReferenceData& reference_;
    std::vector<std::string> texts_;
    std::vector<std::string_view> sections_;
    PackedLoginRecords records_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

}  // namespace state
