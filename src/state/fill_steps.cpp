#include "state/fill_steps.h"

#include <algorithm>
#include <exception>

#include "platform/log.h"
#include "state/reference_data.h"

namespace state {

void FillSteps::addRanges(std::size_t section, std::size_t count, std::size_t perStep,
                          const std::function<void(std::size_t, std::size_t)>& fill) {
    for (std::size_t from = 0; from < count; from += perStep) {
        const std::size_t to = std::min(count, from + perStep);
        steps_.push_back({section, [fill, from, to] { fill(from, to); }});
    }
}

void FillSteps::addRepeated(std::size_t section, std::function<bool()> part) {
    steps_.push_back({section, [this, part = std::move(part)] {
                          if (part()) --next_;
                      }});
}

void FillSteps::addWatchlistLoad(ReferenceData& reference, std::size_t section) {
    addRepeated(section, [&reference, first = true]() mutable {
        const bool more = reference.loadWatchlistPart(first, kWatchlistCodesPerStep);
        first = false;
        return more;
    });
    steps_.push_back({section, [&reference] { reference.indexItemCodes(); }});
}

void FillSteps::addSpreadPass(ReferenceData& reference, std::size_t section, std::size_t items) {
    addRepeated(section, [&reference] { return reference.readSpreadGroups(kSpreadGroupEntriesPerStep); });
    addRanges(section, items, kPassItemsPerStep,
              [&reference](std::size_t from, std::size_t to) { reference.SetAllSymbolsSpread(from, to); });
}

bool FillSteps::runNext() {
    if (next_ >= steps_.size()) return false;
    const Step& step = steps_[next_++];
    try {
        step.run();
    } catch (const std::exception& e) {
        platform::Log::debug("Login data " + part_ + " " + std::to_string(step.section) + " not filled: " + e.what());
    }
    return next_ < steps_.size();
}

}  // namespace state
