#pragma once
// The chart intervals: the index of a load key, the code sent to the server,
// the name shown in the title and the length of one bar.
#include <optional>
#include <string>

namespace charts {

struct ChartIntervalInfo {
    const char* code;
    const char* name;
    long long barSeconds;  // 1 for ticks and mini ticks: one bar per changed price
    const char* nameKey;   // of the name in the language tables
};

// Index 0 to 9; nothing for any other index.
std::optional<ChartIntervalInfo> intervalForIndex(int index);

// Seconds per live bar of an interval index; 1 for any index outside the table.
long long liveBarLength(int index);

}  // namespace charts
