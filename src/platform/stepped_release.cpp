#include "platform/stepped_release.h"

#include "platform/free_memory.h"
#include "platform/main_executor.h"

namespace platform {

bool SteppedRelease::step(std::size_t budget) {
    while (budget > 0 && !parts_.empty()) {
        budget -= parts_.front()->release(budget);
        if (parts_.front()->empty()) parts_.pop_front();
    }
    return parts_.empty();
}

void SteppedRelease::start(std::shared_ptr<SteppedRelease> held) {
    if (!held || held->empty()) return;
    MainExecutor::post([held = std::move(held)]() mutable {
        const bool done = held->step();
        mergeFreedBlocks();
        if (!done) start(std::move(held));
    });
}

}  // namespace platform
