#include "protocol/xml_entities.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace protocol {

namespace {

char* findChar(char* from, char* end, char c) {
    if (from >= end) return nullptr;
    return static_cast<char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

bool beginsWith(const char* p, const char* end, std::string_view s) {
    return static_cast<std::size_t>(end - p) >= s.size() && std::memcmp(p, s.data(), s.size()) == 0;
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters a reference may stand for: XML's Char production. Control bytes
// (our wire separators among them) and NUL stay written as references.
bool isXMLChar(std::uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::size_t encodeUTF8(std::uint32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Reads the reference starting at the "&" at p. Returns the number of bytes
// written to out (0 when it is not a reference we decode) and sets consumed.
// The output is never longer than the reference itself.
std::size_t decodeReference(const char* p, const char* end, char* out, std::size_t& consumed) {
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        bool hex = false;
        if (q < end && *q == 'x') {
            hex = true;
            ++q;
        }
        std::uint32_t cp = 0;
        int digits = 0;
        for (; q < end; ++q) {
            int v = digitValue(*q, hex);
            if (v < 0) break;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
            if (cp > 0x10FFFF) return 0;
            ++digits;
        }
        if (digits == 0 || q >= end || *q != ';' || !isXMLChar(cp)) return 0;
        consumed = static_cast<std::size_t>(q + 1 - p);
        return encodeUTF8(cp, out);
    }
    static constexpr struct {
        std::string_view name;
        char value;
    } kEntities[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto& e : kEntities) {
        if (beginsWith(q, end, e.name)) {
            out[0] = e.value;
            consumed = 1 + e.name.size();
            return 1;
        }
    }
    return 0;
}

}  // namespace

char* decodeXmlEntities(char* r, char* end, char* w) {
    while (r < end) {
        char* amp = findChar(r, end, '&');
        if (!amp) amp = end;
        std::size_t plain = static_cast<std::size_t>(amp - r);
        if (w != r) std::memmove(w, r, plain);
        w += plain;
        r = amp;
        if (r == end) break;
        char out[4];
        std::size_t consumed = 0;
        std::size_t n = decodeReference(r, end, out, consumed);
        if (n == 0) {
            *w++ = *r++;
            continue;
        }
        std::memcpy(w, out, n);
        w += n;
        r += consumed;
    }
    return w;
}

}  // namespace protocol
