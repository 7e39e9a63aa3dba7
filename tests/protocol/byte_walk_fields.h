#pragma once
// The field reading of a received frame as first written: every byte walked
// once. decodeFrame must store the same tags and values and refuse the same
// frames.
#include <optional>
#include <string>
#include <string_view>

#include "protocol/separator_bytes.h"
#include "protocol/tag_map.h"
#include "protocol/wire_format.h"

namespace protocol::test {

// The tags of the fields after a frame's length field; nullopt when not UTF-8.
inline std::optional<TagMap> byteWalkFields(std::string_view fields) {
    TagMap tags;
    const char* p = fields.data();
    const char* const e = p + fields.size();
    unsigned char high = 0;
    while (p < e) {
        const char* const start = p;
        const char* eq = nullptr;
        std::int64_t tag = 0;
        bool digits = true;
        while (p < e && *p != FieldEndByte) {
            const char c = *p;
            high |= static_cast<unsigned char>(c);
            if (eq == nullptr) {
                if (c == '=') eq = p;
                else if (c >= '0' && c <= '9' && p - start < 18) tag = tag * 10 + (c - '0');
                else digits = false;
            }
            ++p;
        }
        const std::size_t size = static_cast<std::size_t>(p - start);
        ++p;
        if (size == 0 || eq == nullptr || eq == start || !digits) continue;
        tags.set(tag, std::string_view(eq + 1, static_cast<std::size_t>(start + size - eq - 1)));
    }
    if ((high & 0x80) != 0 && !isValidUtf8(fields)) return std::nullopt;
    return tags;
}

}  // namespace protocol::test
