#include "protocol/envelope.h"

#include "model/base64.h"
#include "model/crypto.h"
#include "protocol/msg_type.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"

namespace protocol {

std::optional<std::string> sealEnvelopeBody(const std::string& innerFrame, const std::string& password,
                                            bool isInitialRequest) {
    const auto cipher = model::Crypto::transformData(innerFrame, model::Crypto::kAlgorithmAES,
                                                     model::Crypto::kEncrypt, password);
    if (!cipher) return std::nullopt;
    const auto text = model::Base64::encodeBase64WithData(*cipher);
    if (!text) return std::nullopt;
    std::string body;
    body.reserve(text->size() + 32);
    constexpr std::string_view kInitialMark = "2";
    appendField(body, tag::MessageType, std::to_string(toInt(MsgType::Envelope)));
    appendField(body, tag::CipherText, std::string_view(*text));
    if (isInitialRequest) {
        appendField(body, tag::InitialEnvelopeMarkB, kInitialMark);
        appendField(body, tag::InitialEnvelopeMarkA, kInitialMark);
    }
    return body;
}

std::optional<std::string> openEnvelope(const std::string& tag27, const std::string& password) {
    const auto cipher = model::Base64::decodeBase64WithString(tag27);
    if (!cipher || cipher->empty()) return std::nullopt;
    auto plain = model::Crypto::transformData(*cipher, model::Crypto::kAlgorithmAES, model::Crypto::kDecrypt,
                                              password);
    if (!plain || !isValidUtf8(*plain)) return std::nullopt;
    return plain;
}

}  // namespace protocol
