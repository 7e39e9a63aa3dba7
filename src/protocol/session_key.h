#pragma once
// The session key that replaces the shipped cipher password once the login
// data has arrived, and the expansion of compressed payloads.
#include <cstddef>
#include <optional>
#include <string>

#include "protocol/compressed_payload.h"

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

// A compressed payload (compressed_payload.h) as UTF-8 text, at most
// `maxSize` bytes. nullopt (logged) when it does not inflate within its prefix
// and the cap, or when the output is not UTF-8.
std::optional<std::string> decompressData(const std::string& text, std::size_t maxSize);

}  // namespace protocol
