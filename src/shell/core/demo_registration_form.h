#pragma once
// The demo-account form's rules: the checks in order, the e-mail pattern, the
// deposit amounts of the shipped list and the text that shows the new login.
#include <optional>
#include <string>
#include <vector>

#include "model/demo_registration.h"

namespace platform {
class PlistValue;
}

namespace shell {

// The key of the first failed check: an empty name, an e-mail that does not
// match, an empty phone, an empty country. Texts are not trimmed.
std::optional<std::string> checkRegistrationForm(const model::DemoRegistration& form);
// The whole text is an address whose part after the last dot has 2 to 4 letters.
bool validateEmailWithString(const std::string& text);

// The amounts under `listType` in the deposit list; nullopt when the list or the type is missing.
std::optional<std::vector<std::string>> depositAmounts(const platform::PlistValue& list, const std::string& listType);

// "<login label> : <login>\n<password label> : <password>\n<closing>", the values as they stand.
std::string registrationResultText(const std::string& loginLabel, const std::string& login,
                                   const std::string& passwordLabel, const std::string& password,
                                   const std::string& closing);

}  // namespace shell
