#pragma once
// What the simulator's scenario gives a user at login, read from the scenario file itself.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "sim/scenario.h"

namespace integration {

struct StartingOrders {
    std::set<std::string> positions, pending;
};

// The ids of the positions and pending orders of `user`'s accounts in the scenario the
// simulator serves with `simArgs` (its default one unless they name another).
inline StartingOrders startingOrders(const std::string& user, const std::vector<std::string>& simArgs = {}) {
    std::string path = SIM_DEFAULT_SCENARIO;
    for (auto a = simArgs.begin(); a != simArgs.end(); ++a)
        if (*a == "--scenario" && a + 1 != simArgs.end()) path = *(a + 1);
    const sim::Scenario scenario = sim::Scenario::load(path);
    StartingOrders out;
    const sim::UserRecord* u = scenario.findUser(user);
    if (!u) return out;
    const auto owns = [&](int account) { return std::count(u->accounts.begin(), u->accounts.end(), account) > 0; };
    for (const auto& p : scenario.positions)
        if (owns(p.accountId) && p.qty > 0) out.positions.insert(p.id);
    for (const auto& o : scenario.pendingOrders)
        if (owns(o.accountId)) out.pending.insert(o.id);
    return out;
}

// True when `rows` (orders with the id in `field`) hold every id of `wanted`.
template <class Rows, class Field>
bool holdsAll(const Rows& rows, Field field, const std::set<std::string>& wanted) {
    std::set<std::string> have;
    for (const auto& o : rows) have.insert((*o).*field);
    return std::includes(have.begin(), have.end(), wanted.begin(), wanted.end());
}

}  // namespace integration
