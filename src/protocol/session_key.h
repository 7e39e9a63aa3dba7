#pragma once
// The session key that replaces the shipped cipher password once the login
// data has arrived, and the expansion of compressed payloads.
#include <optional>
#include <string>

namespace protocol {

class AppContext;

// Base64 (88 characters) of the SHA-512 digest of user name + password +
// reference id + server time, padded with the deployment's pad character to
// 32 characters when shorter.
std::string GenerateNewEncryptionKey(const std::string& userName, const std::string& password,
                                     const std::string& referenceId, const std::string& serverTime);
// The same from the login settings and the session; nullopt (logged) when the
// user name, password, reference id or server time is missing.
std::optional<std::string> GenerateNewEncryptionKey(const AppContext& context);

// Base64 text of a 4-byte prefix and a gzip or zlib stream, as UTF-8 text.
// nullopt (logged) for bad Base64, fewer than 4 bytes, a stream that does not
// inflate (cut off, damaged, over the size cap) or output that is not UTF-8.
std::optional<std::string> decompressData(const std::string& text);

}  // namespace protocol
