#pragma once
// The simulator's own thin layer over OpenSSL and zlib: the envelope cipher,
// the session-key digest, Base64 and the compressed payloads.
#include <optional>
#include <string>

namespace sim {

namespace SimCrypto {

// Number of UTF-16 code units of a UTF-8 text (invalid bytes count as one unit each).
std::size_t utf16Length(const std::string& utf8);

// AES-256-CBC with PKCS#7 padding; key and IV from PBKDF2-HMAC-SHA1 (1000 rounds) of the
// password against the deployment salt of (password length + 1) bytes.
std::optional<std::string> encrypt(const std::string& plain, const std::string& password);
std::optional<std::string> decrypt(const std::string& cipher, const std::string& password);

// SHA-512 over as many UTF-8 bytes of the text as it has UTF-16 code units.
std::string sha512(const std::string& text);

std::string base64Encode(const std::string& data);
// Strict decoder: only the alphabet, "=" padding and white space; nullopt otherwise.
std::optional<std::string> base64Decode(const std::string& text);

std::string gzipDeflate(const std::string& data, int level = -1);
// Inflates gzip or zlib data; nullopt when the stream is damaged, truncated or too large.
std::optional<std::string> inflate(const std::string& data, std::size_t maxOutput = 64u << 20);

// Base64 of a 4-byte prefix (the uncompressed length, little-endian) and the gzip stream.
// The receiver strips every "1050=" from the field, so a text ending that way is
// compressed again at another level.
std::string compressPayload(const std::string& text);
std::optional<std::string> decompressPayload(const std::string& base64);

// Base64 of SHA-512 of user + password + reference id + server time, padded with "*" to 32.
std::string sessionKey(const std::string& user, const std::string& password,
                       const std::string& referenceId, const std::string& serverTime);

}  // namespace SimCrypto

}  // namespace sim
