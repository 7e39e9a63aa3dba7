#include "platform/base64.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>

namespace platform::base64 {

namespace {

// OpenSSL's block coder takes an int length: long texts go through in pieces of
// whole groups (3 bytes in, 4 characters out).
constexpr std::size_t kGroupBytes = 3;
constexpr std::size_t kGroupChars = 4;
constexpr std::size_t kPieceGroups = std::size_t{1} << 20;

enum CharClass : unsigned char { kOther, kAlphabet, kSpace };

constexpr std::array<CharClass, 256> makeClasses() {
    std::array<CharClass, 256> table{};
    for (unsigned char c : std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"))
        table[c] = kAlphabet;
    for (unsigned char c : std::string_view("\t\n\f\r ")) table[c] = kSpace;
    return table;
}

constexpr auto kClasses = makeClasses();

CharClass classOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }

// The end of the run of alphabet characters that starts at `at`.
std::size_t alphabetRunEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && classOf(text[at]) == kAlphabet) ++at;
    return at;
}

unsigned char* bytesOf(std::string& s, std::size_t at) { return reinterpret_cast<unsigned char*>(s.data() + at); }

const unsigned char* bytesOf(std::string_view s, std::size_t at) {
    return reinterpret_cast<const unsigned char*>(s.data() + at);
}

// Decodes characters of the alphabet only, as one stream of 6-bit digits. A
// last group of 2 or 3 characters yields 1 or 2 bytes; a lone last character
// yields one byte only when `loneCharYieldsByte` (its low bits zero).
std::optional<std::string> decodeDigits(std::string_view digits, bool loneCharYieldsByte) {
    const std::size_t fullChars = digits.size() / kGroupChars * kGroupChars;
    std::string tail(digits.substr(fullChars));
    if (tail.size() == 1 && !loneCharYieldsByte) tail.clear();
    if (tail.size() == 1) tail += 'A';
    // EVP_DecodeBlock counts 3 bytes for every group, the zero bytes that "="
    // stands for included: the exact length comes from the real characters.
    const std::size_t tailBytes = tail.empty() ? 0 : tail.size() - 1;
    tail.resize(tail.empty() ? 0 : kGroupChars, '=');

    std::string out(fullChars / kGroupChars * kGroupBytes + kGroupBytes, '\0');
    std::size_t written = 0;
    auto decodeGroups = [&](const unsigned char* from, std::size_t chars) {
        const int n = EVP_DecodeBlock(bytesOf(out, written), from, static_cast<int>(chars));
        if (n < 0) return false;
        written += static_cast<std::size_t>(n);
        return true;
    };
    for (std::size_t at = 0; at < fullChars; at += kPieceGroups * kGroupChars) {
        const std::size_t chars = std::min(kPieceGroups * kGroupChars, fullChars - at);
        if (!decodeGroups(bytesOf(digits, at), chars)) return std::nullopt;
    }
    if (!tail.empty() && !decodeGroups(bytesOf(std::string_view(tail), 0), tail.size())) return std::nullopt;
    out.resize(fullChars / kGroupChars * kGroupBytes + tailBytes);
    return out;
}

}  // namespace

std::string encode(std::string_view data, std::size_t lineLength) {
    const std::size_t groups = (data.size() + kGroupBytes - 1) / kGroupBytes;
    std::string flat(groups * kGroupChars + 1, '\0');  // EVP_EncodeBlock ends with a zero byte
    std::size_t written = 0;
    for (std::size_t at = 0; at < data.size(); at += kPieceGroups * kGroupBytes) {
        const std::size_t bytes = std::min(kPieceGroups * kGroupBytes, data.size() - at);
        written += static_cast<std::size_t>(
            EVP_EncodeBlock(bytesOf(flat, written), bytesOf(data, at), static_cast<int>(bytes)));
    }
    flat.resize(written);
    if (lineLength == 0) return flat;

    // Lines hold whole groups; a full line ends with a line feed, the last one too.
    std::size_t lineGroups = lineLength / kGroupChars + (lineLength % kGroupChars != 0);
    lineGroups = std::min(lineGroups, flat.size() / kGroupChars + 1);
    const std::size_t lineChars = lineGroups * kGroupChars;
    std::string out;
    out.reserve(flat.size() + flat.size() / lineChars + 1);
    for (std::size_t at = 0; at < flat.size(); at += lineChars) {
        const std::size_t n = std::min(lineChars, flat.size() - at);
        out.append(flat, at, n);
        if (n == lineChars) out.push_back('\n');
    }
    return out;
}

std::optional<std::string> decode(std::string_view text) {
    std::string digits;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::size_t end = alphabetRunEnd(text, k);
        if (end == text.size() && k == 0) return decodeDigits(text, false);  // nothing to skip
        digits.append(text, k, end - k);
        if (end == text.size()) break;
        k = end;
        const char c = text[k];
        if (c == '\0') break;
        if (c == '=') {
            const char next = k + 1 < text.size() ? text[k + 1] : '\0';
            if (digits.size() % kGroupChars == 1 && next != '=') return std::nullopt;
            continue;
        }
        if (classOf(c) != kSpace) return std::nullopt;
    }
    return decodeDigits(digits, false);
}

std::string decodeLenient(std::string_view text) {
    std::string digits;
    for (std::size_t k = 0; k < text.size();) {
        const std::size_t end = alphabetRunEnd(text, k);
        const bool last = end == text.size() || text[end] == '=';
        if (k == 0 && last) return decodeDigits(text.substr(0, end), true).value_or(std::string());
        digits.append(text, k, end - k);
        if (last) break;
        k = end + 1;  // past a character to ignore
    }
    return decodeDigits(digits, true).value_or(std::string());
}

}  // namespace platform::base64
