#pragma once
// The login reference data of one user, in the compact sectioned form and as XML tables.
#include <string>
#include <utility>
#include <vector>

#include "scenario.h"

namespace sim {

struct LoginPorts {
    int feed = 0;
    int request = 0;
};

namespace LoginData {

// Compact rows of a table, each with its group, in scenario order.
struct RowsByGroup {
    std::string text;
    std::vector<std::pair<int, std::size_t>> ends;  // (group, end of its row in text)
};

// The compact rows that do not change while the simulator runs (everything but
// the user's and the accounts' own), written once from the scenario's records.
class PackedTables {
public:
    explicit PackedTables(const Scenario& scenario);
    // Sections 0 to 21 joined by 0x07.
    std::string packed(const Scenario& scenario, const UserRecord& user, const LoginPorts& ports) const;

private:
    std::string product_, itemTypes_, sessions_, instruments_, resources_, currencies_, tradeCurrencies_;
    RowsByGroup groups_, groupInstruments_;
    std::size_t bytes_ = 0;  // of all of them
};

// PackedTables(scenario).packed(...).
std::string packed(const Scenario& scenario, const UserRecord& user, const LoginPorts& ports);
// An XML data set with the tables "Table1" to "Table10".
std::string xml(const Scenario& scenario, const UserRecord& user, const LoginPorts& ports);
// The refusal payload: sixteen empty sections, then section 16 with one login-information record.
std::string refusal(int code, const std::string& message);

}  // namespace LoginData

}  // namespace sim
