#pragma once
// Grades of the ping round trip, as the main window shows them.
#include <cstdint>

namespace state {

// 0: under 1 s; 1: under 2 s; 2: up to and including 3 s; 3: slower, or negative.
std::int32_t gradeRoundTrip(double seconds);

}  // namespace state
