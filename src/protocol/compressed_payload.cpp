#include "protocol/compressed_payload.h"

#include "model/base64.h"
#include "platform/log.h"

namespace protocol {

std::optional<std::string> inflatePayload(const std::string& text, std::size_t maxSize, std::size_t maxRatio,
                                          PayloadRefusal* refusal) {
    PayloadRefusal ignored;
    PayloadRefusal& why = refusal ? *refusal : ignored;
    why = PayloadRefusal{};
    auto bytes = model::Base64::decodeBase64WithString(text);
    if (!bytes) {
        platform::Log::debug("Compressed payload is not Base64");
        return std::nullopt;
    }
    if (bytes->size() < kPayloadPrefixSize) {
        platform::Log::debug("Compressed payload shorter than its 4-byte prefix");
        return std::nullopt;
    }
    std::size_t stated = 0;
    for (std::size_t i = 0; i < kPayloadPrefixSize; ++i)
        stated |= std::size_t{static_cast<unsigned char>((*bytes)[i])} << (8 * i);
    why.stated = stated;
    bytes->erase(0, kPayloadPrefixSize);
    if (stated > maxSize) {
        platform::Log::warning("Compressed payload states " + std::to_string(stated) +
                               " bytes, over the cap of " + std::to_string(maxSize) + ": refused");
        why.cause = PayloadRefusal::Cause::OverCap;
        return std::nullopt;
    }
    // Compared without multiplying the statement: stated / ratio > size.
    if (maxRatio > 0 && stated / maxRatio > bytes->size()) {
        platform::Log::warning("Compressed payload states " + std::to_string(stated) + " bytes from " +
                               std::to_string(bytes->size()) + ", more than " + std::to_string(maxRatio) +
                               " times its size: refused");
        why.cause = PayloadRefusal::Cause::OverRatio;
        return std::nullopt;
    }
    std::size_t expected = 0;
    if (stated > kInflateCheckedAbove) {
        const auto size = model::DataAdditions::gzipInflatedSize(*bytes, stated);
        if (!size) {
            platform::Log::warning("Compressed payload does not inflate within its stated " + std::to_string(stated) +
                                   " bytes: refused");
            return std::nullopt;
        }
        expected = *size;
    }
    auto plain = model::DataAdditions::gzipInflate(*bytes, expected > 0 ? expected : stated, expected);
    if (!plain) {
        platform::Log::warning("Compressed payload does not inflate within its stated " +
                               std::to_string(stated) + " bytes: refused");
        return std::nullopt;
    }
    return plain;
}

}  // namespace protocol
