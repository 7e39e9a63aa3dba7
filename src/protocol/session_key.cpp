#include "protocol/session_key.h"

#include "model/base64.h"
#include "model/crypto.h"
#include "model/deployment_constants.h"
#include "platform/log.h"
#include "protocol/app_context.h"
#include "protocol/wire_format.h"

namespace protocol {

std::string GenerateNewEncryptionKey(const std::string& userName, const std::string& password,
                                     const std::string& referenceId, const std::string& serverTime) {
    std::string joined = userName + password + referenceId + serverTime;
    const std::size_t units = utf16Length(joined);
    if (units < deployment::kSessionKeyMinLength)
        joined.append(deployment::kSessionKeyMinLength - units, deployment::kSessionKeyPadChar);
    const std::string digest = model::Crypto::computeSHA512DigestForString(joined);
    return model::Base64::encodeBase64WithData(digest).value_or(std::string());
}

std::optional<std::string> GenerateNewEncryptionKey(const AppContext& context) {
    const auto user = context.userName();
    const auto password = context.password();
    const auto reference = context.referenceId();
    const auto time = context.serverTime();
    if (!user || !password || !reference || !time) {
        platform::Log::warning("GenerateNewEncryptionKey: login values missing; the key is not changed");
        return std::nullopt;
    }
    std::string key = GenerateNewEncryptionKey(*user, *password, *reference, *time);
    if (key.empty()) return std::nullopt;
    return key;
}

std::optional<std::string> decompressData(const std::string& text, std::size_t maxSize) {
    auto plain = inflatePayload(text, maxSize);
    if (plain && !isValidUtf8(*plain)) {
        platform::Log::debug("decompressData: inflated payload is not UTF-8");
        return std::nullopt;
    }
    return plain;
}

}  // namespace protocol
