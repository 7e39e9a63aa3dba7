#pragma once
// The login reference data of one user, in the compact sectioned form and as XML tables.
#include <string>

#include "scenario.h"

namespace sim {

struct LoginPorts {
    int feed = 0;
    int request = 0;
};

namespace LoginData {

// Sections 0 to 21 joined by 0x07.
std::string packed(const Scenario& scenario, const UserRecord& user, const LoginPorts& ports);
// An XML data set with the tables "Table1" to "Table10".
std::string xml(const Scenario& scenario, const UserRecord& user, const LoginPorts& ports);
// The refusal payload: sixteen empty sections, then section 16 with one login-information record.
std::string refusal(int code, const std::string& message);

}  // namespace LoginData

}  // namespace sim
