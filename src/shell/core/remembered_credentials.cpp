#include "shell/core/remembered_credentials.h"

#include <vector>

#include "model/base64.h"
#include "model/crypto.h"
#include "platform/log.h"
#include "platform/preferences.h"

namespace shell {

bool canRemember(const std::string& userName) { return userName.find('#') == std::string::npos; }

std::optional<std::string> joinCredentials(const LoginFields& f) {
    if (!canRemember(f.userName)) return std::nullopt;
    return f.userName + "#" + f.password + "#" + f.server + "#" + f.port;
}

std::optional<LoginFields> splitCredentials(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t hash; (hash = text.find('#', start)) != std::string::npos; start = hash + 1)
        parts.push_back(text.substr(start, hash - start));
    parts.push_back(text.substr(start));
    if (parts.size() < 4) return std::nullopt;
    LoginFields f;
    f.userName = parts.front();
    f.port = parts.back();
    f.server = parts[parts.size() - 2];
    for (std::size_t i = 1; i + 2 < parts.size(); ++i) f.password += (i > 1 ? "#" : "") + parts[i];
    return f;
}

std::optional<LoginFields> RememberedCredentials::loadUserInfo(const std::string& mode) const {
    const auto stored = preferences_.stringForKey(mode);
    if (!stored) return std::nullopt;
    const auto sealed = model::Base64::decodeBase64WithString(*stored);
    const auto plain = sealed ? model::Crypto::decrypt(*sealed, key_) : std::nullopt;
    auto fields = plain ? splitCredentials(*plain) : std::nullopt;
    if (!fields) platform::Log::warning("Remembered credentials of " + mode + " cannot be read; defaults used");
    return fields;
}

bool RememberedCredentials::storeUserInfo(const std::string& mode, const LoginFields& fields) {
    const auto joined = joinCredentials(fields);
    const auto sealed = joined ? model::Crypto::encrypt(*joined, key_) : std::nullopt;
    const auto text = sealed ? model::Base64::encodeBase64WithData(*sealed) : std::nullopt;
    if (!text) return false;
    preferences_.set(mode, *text);
    preferences_.synchronizeLater();
    return true;
}

bool RememberedCredentials::passwordChanged(const std::string& mode, const std::string& userName,
                                           const std::string& password) {
    if (!preferences_.hasKey(mode)) return false;
    std::optional<LoginFields> stored = loadUserInfo(mode);
    if (!stored || stored->userName != userName) return false;
    stored->password = password;
    return storeUserInfo(mode, *stored);
}

void RememberedCredentials::resetUserInfoDefaults(const std::string& mode) {
    preferences_.remove(mode);
    preferences_.synchronizeLater();
}

}  // namespace shell
