#pragma once
// What the demo-account form sends, as the user typed and chose it.
#include <string>

namespace model {

struct DemoRegistration {
    std::string name;
    std::string phone;
    std::string email;
    std::string deposit;
    std::string country;  // the name as shown
    bool newsletter = false;
};

}  // namespace model
