#include "shell/core/login_form.h"

namespace shell {

std::optional<std::string> checkLoginValidation(const LoginFields& f) {
    if (f.server.empty()) return "0004";
    if (f.port.empty()) return "0005";
    if (f.userName.empty()) return "0002";
    if (f.password.empty()) return "0003";
    return std::nullopt;
}

std::vector<std::string> alertButtonKeys(int tag) {
    if (tag == kAlertUnsupportedVersion) return {"10852", "0064"};
    return {"0167"};
}

std::string connectionFailureKey(bool afterLogin) { return afterLogin ? "90889" : "20251"; }

const std::vector<std::string>& languageNames() {
    static const std::vector<std::string> names = {
        "English", "中文",     "नेपाली",    "Dari",     "Pashto",  "العربية",
        "ру́сский", "français", "Indonesia", "বাংলা", "español", "Shqiptar"};
    return names;
}

}  // namespace shell
