#include "sim_crypto.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "model/deployment_constants.h"

namespace sim {
namespace SimCrypto {

std::size_t utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 1;
        if (c >= 0xF0 && c <= 0xF4) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        if (i + len > utf8.size()) len = 1;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) { len = 1; break; }
        units += (len == 4) ? 2 : 1;
        i += len;
    }
    return units;
}

namespace {

std::optional<std::string> transform(const std::string& input, const std::string& password, bool enc) {
    const std::size_t units = utf16Length(password);
    const std::string salt = deployment::makeSalt(units + 1);
    unsigned char key[32];
    if (PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(std::min(units, password.size())),
                               reinterpret_cast<const unsigned char*>(salt.data()),
                               static_cast<int>(salt.size()), 1000, sizeof key, key) != 1)
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                         EVP_CIPHER_CTX_free);
    if (!ctx) return std::nullopt;
    // The IV is the first 16 bytes of the same derivation.
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key, key, enc ? 1 : 0) != 1)
        return std::nullopt;
    std::string out(input.size() + 16, '\0');
    int n1 = 0, n2 = 0;
    if (EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &n1,
                         reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<int>(input.size())) != 1)
        return std::nullopt;
    if (EVP_CipherFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + n1, &n2) != 1)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(n1 + n2));
    return out;
}

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::optional<std::string> encrypt(const std::string& plain, const std::string& password) {
    return transform(plain, password, true);
}

std::optional<std::string> decrypt(const std::string& cipher, const std::string& password) {
    if (cipher.empty() || cipher.size() % 16 != 0) return std::nullopt;
    return transform(cipher, password, false);
}

std::string sha512(const std::string& text) {
    const std::size_t n = std::min(utf16Length(text), text.size());
    unsigned char digest[SHA512_DIGEST_LENGTH];
    SHA512(reinterpret_cast<const unsigned char*>(text.data()), n, digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string base64Encode(const std::string& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                                (static_cast<unsigned char>(data[i + 1]) << 8) |
                                static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i + 1 == data.size()) {
        const std::uint32_t v = static_cast<unsigned char>(data[i]) << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == data.size()) {
        const std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                                (static_cast<unsigned char>(data[i + 1]) << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::optional<std::string> base64Decode(const std::string& text) {
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    bool padding = false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') continue;
        if (c == '=') { padding = true; continue; }
        const char* p = (c != 0) ? std::char_traits<char>::find(kAlphabet, 64, static_cast<char>(c)) : nullptr;
        if (!p || padding) return std::nullopt;
        acc = (acc << 6) | static_cast<std::uint32_t>(p - kAlphabet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return out;
}

std::string gzipDeflate(const std::string& data, int level) {
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&zs, data.size()) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::optional<std::string> inflate(const std::string& data, std::size_t maxOutput) {
    z_stream zs{};
    if (inflateInit2(&zs, 47) != Z_OK) return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buf[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = ::inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        out.append(buf, sizeof buf - zs.avail_out);
        if (out.size() > maxOutput) { rc = Z_MEM_ERROR; break; }
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) { rc = Z_BUF_ERROR; break; }
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return std::nullopt;
    return out;
}

std::string compressPayload(const std::string& text) {
    std::string raw(4, '\0');
    const auto n = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i) raw[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    std::string encoded;
    for (int level : {-1, 9, 1, 2, 3, 4, 5, 6, 7, 8}) {
        encoded = base64Encode(raw + gzipDeflate(text, level));
        if (encoded.find("1050=") == std::string::npos) break;
    }
    return encoded;
}

std::optional<std::string> decompressPayload(const std::string& base64) {
    const auto raw = base64Decode(base64);
    if (!raw || raw->size() < 4) return std::nullopt;
    return inflate(raw->substr(4));
}

std::string sessionKey(const std::string& user, const std::string& password,
                       const std::string& referenceId, const std::string& serverTime) {
    std::string joined = user + password + referenceId + serverTime;
    std::size_t units = utf16Length(joined);
    while (units < deployment::kSessionKeyMinLength) {
        joined += deployment::kSessionKeyPadChar;
        ++units;
    }
    return base64Encode(sha512(joined));
}

}  // namespace SimCrypto
}  // namespace sim
