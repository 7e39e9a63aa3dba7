#include "state/ticked_instruments.h"

#include <algorithm>
#include <utility>

namespace state {

void TickedInstruments::note(const model::ItemDetails& item) {
    if (tooMany_) return;
    if (noted_.size() >= kMostTicks) {
        tooMany_ = true;
        noted_.clear();
        return;
    }
    noted_.push_back(&item);
}

void TickedInstruments::endTurn() {
    std::sort(noted_.begin(), noted_.end());
    noted_.erase(std::unique(noted_.begin(), noted_.end()), noted_.end());
    last_.items.swap(noted_);
    noted_.clear();
    last_.tooMany = std::exchange(tooMany_, false);
    ++last_.turn;
}

void InstrumentLog::note(const model::ItemDetails& item) {
    if (kept_.size() >= kMostKept) kept_.erase(kept_.begin(), kept_.begin() + std::ptrdiff_t(kMostKept / 2));
    kept_.push_back(&item);
    ++count_;
}

std::optional<std::span<const model::ItemDetails* const>> InstrumentLog::since(std::uint64_t seen) const {
    const std::uint64_t first = count_ - kept_.size();
    if (seen < first || seen > count_) return std::nullopt;
    return std::span<const model::ItemDetails* const>(kept_).subspan(std::size_t(seen - first));
}

}  // namespace state
