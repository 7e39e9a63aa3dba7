#include "protocol/compressed_payload.h"

#include "model/base64.h"
#include "platform/log.h"

namespace protocol {

std::optional<std::string> inflatePayload(const std::string& text, std::size_t maxSize) {
    const auto bytes = model::Base64::decodeBase64WithString(text);
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
    if (stated > maxSize) {
        platform::Log::warning("Compressed payload states " + std::to_string(stated) +
                               " bytes, over the cap of " + std::to_string(maxSize) + ": refused");
        return std::nullopt;
    }
    auto plain = model::DataAdditions::gzipInflate(bytes->substr(kPayloadPrefixSize), stated);
    if (!plain) {
        platform::Log::warning("Compressed payload does not inflate within its stated " +
                               std::to_string(stated) + " bytes: refused");
        return std::nullopt;
    }
    return plain;
}

}  // namespace protocol
