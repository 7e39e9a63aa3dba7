#include "shell/core/demo_registration_form.h"

#include <algorithm>
#include <string_view>

#include "platform/property_list.h"

namespace shell {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// "[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,4}" on the whole text: neither
// part holds "@", and the letters after the last dot end it.
bool validateEmailWithString(const std::string& text) {
    const auto at = text.find('@');
    if (at == std::string::npos || at == 0) return false;
    const auto local = [](char c) { return isLetter(c) || isDigit(c) || std::string_view("._%+-").find(c) != std::string_view::npos; };
    if (!std::all_of(text.begin(), text.begin() + static_cast<long>(at), local)) return false;
    const std::string rest = text.substr(at + 1);
    const auto dot = rest.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::string top = rest.substr(dot + 1);
    if (top.size() < 2 || top.size() > 4 || !std::all_of(top.begin(), top.end(), isLetter)) return false;
    const auto domain = [](char c) { return isLetter(c) || isDigit(c) || c == '.' || c == '-'; };
    return std::all_of(rest.begin(), rest.begin() + static_cast<long>(dot), domain);
}

std::optional<std::string> checkRegistrationForm(const model::DemoRegistration& form) {
    if (form.name.empty()) return "20225";
    if (!validateEmailWithString(form.email)) return "1047";
    if (form.phone.empty()) return "20226";
    if (form.country.empty()) return "20224";
    return std::nullopt;
}

std::optional<std::vector<std::string>> depositAmounts(const platform::PlistValue& list, const std::string& listType) {
    const platform::PlistValue& amounts = list[listType];
    if (amounts.type != platform::PlistValue::Type::Array) return std::nullopt;
    std::vector<std::string> out;
    for (const platform::PlistValue& amount : amounts.array) out.push_back(amount.stringValue());
    return out;
}

std::string registrationResultText(const std::string& loginLabel, const std::string& login,
                                   const std::string& passwordLabel, const std::string& password,
                                   const std::string& closing) {
    return loginLabel + " : " + login + "\n" + passwordLabel + " : " + password + "\n" + closing;
}

}  // namespace shell
