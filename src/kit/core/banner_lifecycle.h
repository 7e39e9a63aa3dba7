#pragma once
// One banner's phases. Requests that arrive while it slides in or out are
// dropped, not queued.
#include <optional>

namespace kit {

class BannerLifecycle {
public:
    enum class Phase { Created, SlidingIn, Shown, SlidingOut, Closed };

    // Returns false (and changes nothing) while an animation runs or once closed.
    bool present();
    bool dismiss();
    // The running slide has ended.
    void animationEnded();

    Phase phase() const { return phase_; }
    bool animationIsRunning() const { return phase_ == Phase::SlidingIn || phase_ == Phase::SlidingOut; }

    // Milliseconds from the start of the slide-in to the automatic dismissal;
    // none for a delay of 0 or less (such a dismissal would fall in the slide-in).
    static std::optional<int> autoDismissAfterMs(double delaySeconds, int slideInMs);

private:
    Phase phase_ = Phase::Created;
};

}  // namespace kit
