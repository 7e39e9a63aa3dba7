#pragma once
// The encrypted envelope (type 76): tag 27 carries the Base64 of the whole
// inner frame enciphered with the current cipher password.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

inline constexpr std::int64_t kEnvelopeType = 76;

// The envelope's body: 10=76, 27=<Base64>, and for an initial envelope
// (login, demo-user creation) 1153=2 and 1132=2. nullopt when the cipher fails.
std::optional<std::string> sealEnvelopeBody(const std::string& innerFrame, const std::string& password,
                                            bool isInitialRequest);

// The plain text of a received envelope's tag 27: Base64-decoded, deciphered
// and checked to be UTF-8. nullopt when any step fails.
std::optional<std::string> openEnvelope(const std::string& tag27, const std::string& password);

}  // namespace protocol
