#include "protocol/login_data_limits.h"

#include <algorithm>
#include <cstring>

#include "platform/log.h"
#include "protocol/byte_scan.h"
#include "protocol/compressed_payload.h"
#include "protocol/wire_format.h"

namespace protocol {

std::string LoginDataTooLarge::describe() const {
    const char* unitName = unit == Unit::Bytes ? " bytes" : " entries";
    return std::to_string(size) + unitName + ", over the limit of " + std::to_string(limit);
}

LoginPayload inflateLoginData(const std::string& field, bool packed) {
    const std::size_t ceiling = packed ? kMaxPackedLoginDataSize : kMaxXmlLoginDataSize;
    LoginPayload out;
    PayloadRefusal refusal;
    out.text = inflatePayload(field, ceiling, kMaxLoginCompressionRatio, &refusal);
    if (!out.text && refusal.cause == PayloadRefusal::Cause::OverCap)
        out.tooLarge = LoginDataTooLarge{LoginDataTooLarge::Unit::Bytes, refusal.stated, ceiling};
    if (out.text && !isValidUtf8(*out.text)) {
        platform::Log::warning("Login data is not UTF-8 text: refused");
        out.text.reset();
    }
    return out;
}

std::optional<LoginDataTooLarge> xmlLoginOverCeiling(std::string_view document) {
    // As the reader counts: up to a NUL byte, every "<" that opens no closing
    // tag, comment or declaration, and every two quotes.
    if (const void* nul = std::memchr(document.data(), '\0', document.size()))
        document = document.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - document.data()));
    const char* p = document.data();
    const char* end = p + document.size();
    const std::size_t starts = bytes::countOf(p, end, bytes::ByteSet<'<'>{}, bytes::ByteSet<'/', '!', '?'>{});
    const std::size_t attributes = bytes::countOf(p, end, bytes::ByteSet<'"', '\''>{}) / 2;
    const std::size_t entries = std::max(starts, attributes);
    if (entries <= kMaxXmlLoginElements) return std::nullopt;
    return LoginDataTooLarge{LoginDataTooLarge::Unit::Entries, entries, kMaxXmlLoginElements};
}

}  // namespace protocol
