#pragma once
// The login form's rules: which empty field is refused first and the buttons
// of the delegate's alert tags.
#include <optional>
#include <string>
#include <vector>

#include "shell/core/remembered_credentials.h"

namespace shell {

// The key of the first empty field (server, port, user name, password);
// nullopt when all four hold text (blanks count as text).
std::optional<std::string> checkLoginValidation(const LoginFields& fields);

// Tags of the delegate's alert routine.
enum AlertTag : int { kAlertRefusal = 0, kAlertElsewhere = 1, kAlertConnectionLost = 2, kAlertUnsupportedVersion = 3 };
// Language keys of the buttons, default first.
std::vector<std::string> alertButtonKeys(int tag);
// The message of a connection that ended by itself: lost once the login was
// accepted, else never made.
std::string connectionFailureKey(bool afterLogin);

// The language list of the login window, in index order.
const std::vector<std::string>& languageNames();

}  // namespace shell
