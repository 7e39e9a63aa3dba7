#include "state/fill_steps.h"

#include <algorithm>
#include <exception>

#include "platform/log.h"
#include "platform/slice_budget.h"
#include "state/reference_data.h"

namespace state {

void FillSteps::addRanges(std::size_t section, std::size_t count, std::size_t perStep,
                          std::function<void(std::size_t, std::size_t)> fill) {
    if (count == 0) return;
    addBudgeted(section, perStep, [fill = std::move(fill), count, from = std::size_t{0}](std::size_t items) mutable {
        const std::size_t to = std::min(count, from + items);
        fill(from, to);
        from = to;
        return from < count;
    });
}

void FillSteps::addBudgeted(std::size_t section, std::size_t perStep, std::function<bool(std::size_t)> part) {
    addRepeated(section, [perStep, part = std::move(part)] {
        platform::SliceBudget budget;
        for (std::size_t done = 0; done < perStep;) {
            const std::size_t items = std::min(perStep - done, platform::SliceBudget::kItemsPerCheck);
            if (!part(items)) return false;
            done += items;
            if (budget.spent(items)) break;
        }
        return true;
    });
}

void FillSteps::addRepeated(std::size_t section, std::function<bool()> part) {
    steps_.push_back({section, [this, part = std::move(part)] {
                          if (part()) --next_;
                      }});
}

void FillSteps::addWatchlistLoad(ReferenceData& reference, std::size_t section) {
    addBudgeted(section, kWatchlistCodesPerStep, [&reference, first = true](std::size_t codes) mutable {
        const bool more = reference.loadWatchlistPart(first, codes);
        first = false;
        return more;
    });
    addBudgeted(section, kPassItemsPerStep, [&reference](std::size_t items) { return reference.indexItemCodesPart(items); });
}

void FillSteps::addSpreadPass(ReferenceData& reference, std::size_t section, std::size_t items) {
    addBudgeted(section, kSpreadGroupEntriesPerStep,
                [&reference](std::size_t entries) { return reference.readSpreadGroups(entries); });
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
