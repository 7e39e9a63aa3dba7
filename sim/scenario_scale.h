#pragma once
// The large scenario: a loaded scenario grown by copying its own records, so
// that the client can be tried and measured with a big account.
#include "scenario.h"

namespace sim {

// Per unit of the factor.
inline constexpr double kScaledInstruments = 3000;
inline constexpr double kScaledPositions = 2000;
inline constexpr double kScaledTicksPerSecond = 100000;

// `base` grown to round(factor × 3,000) instruments, each new one a copy of an
// existing one (new id, code and name) with a group-instrument row in every
// group, and to round(factor × 2,000) open positions in the accounts of the
// first user that has accounts, spread over the instruments. Nothing already
// there changes; a count already reached adds nothing. The copies share their
// sources' JSON records.
Scenario scaledScenario(const Scenario& base, double factor);

}  // namespace sim
