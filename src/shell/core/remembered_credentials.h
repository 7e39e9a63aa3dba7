#pragma once
// The login form's four fields remembered per connection mode ("Live",
// "Demo"): joined with "#", sealed with the shipped cipher password (never a
// session key, which is gone at the next start) and stored as Base64 text.
#include <optional>
#include <string>

namespace platform {
class Preferences;
}

namespace shell {

struct LoginFields {
    std::string userName;
    std::string password;
    std::string server;
    std::string port;
    bool operator==(const LoginFields&) const = default;
};

// "user#password#server#port"; nullopt when the user name holds "#" (the
// format could not give it back).
std::optional<std::string> joinCredentials(const LoginFields& fields);
// Split at every "#": user = first part, port = last, server = second to
// last, password = the parts between, joined with "#". Fewer than four parts: nullopt.
std::optional<LoginFields> splitCredentials(const std::string& text);
// The fields can be stored (the user name holds no "#").
bool canRemember(const std::string& userName);

class RememberedCredentials {
public:
    RememberedCredentials(platform::Preferences& preferences, std::string shippedKey)
        : preferences_(preferences), key_(std::move(shippedKey)) {}

    // Nullopt when nothing is stored or the stored text cannot be read back.
    std::optional<LoginFields> loadUserInfo(const std::string& mode) const;
    // False (nothing stored) when the fields cannot be remembered.
    bool storeUserInfo(const std::string& mode, const LoginFields& fields);
    void resetUserInfoDefaults(const std::string& mode);
    // After a password change the server accepted: the fields stored for
    // `mode` take the new password when they are `userName`'s. True when stored.
    bool passwordChanged(const std::string& mode, const std::string& userName, const std::string& password);

private:
    platform::Preferences& preferences_;
    std::string key_;
};

}  // namespace shell
