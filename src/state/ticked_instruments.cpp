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

}  // namespace state
