#include "kit/core/banner_lifecycle.h"

#include <cmath>


namespace kit {

bool BannerLifecycle::present() {
    if (phase_ != Phase::Created) return false;
    phase_ = Phase::SlidingIn;
    return true;
}

bool BannerLifecycle::dismiss() {
    if (phase_ != Phase::Shown) return false;
    phase_ = Phase::SlidingOut;
    return true;
}

void BannerLifecycle::animationEnded() {
    if (phase_ == Phase::SlidingIn) phase_ = Phase::Shown;
    else if (phase_ == Phase::SlidingOut) phase_ = Phase::Closed;
}

std::optional<int> BannerLifecycle::autoDismissAfterMs(double delaySeconds, int slideInMs) {
    // A delay inside the slide-in is refused like any dismissal during it.
    if (!(delaySeconds * 1000 >= slideInMs)) return std::nullopt;
    return static_cast<int>(std::lround(delaySeconds * 1000));
}

}  // namespace kit
