#include "state/network_speed.h"

namespace state {

std::int32_t gradeRoundTrip(double t) {
    if (t >= 0.0 && t < 1.0) return 0;
    if (t >= 1.0 && t < 2.0) return 1;
    if (t >= 2.0 && t <= 3.0) return 2;
    return 3;  // slower, negative, or not a number
}

}  // namespace state
