#pragma once
// Values fixed by the deployment, shared by the client and the loopback simulator.
#include <cstddef>
#include <cstdint>
#include <string>

namespace deployment {

// Cipher salt: byte i of an n-byte salt is (i * 31 + 7) mod 256.
inline std::string makeSalt(std::size_t length) {
    std::string salt(length, '\0');
    for (std::size_t i = 0; i < length; ++i) salt[i] = static_cast<char>((i * 31 + 7) % 256);
    return salt;
}

// Appended to the session key's input until it is 32 characters long.
inline constexpr char kSessionKeyPadChar = '*';
inline constexpr std::size_t kSessionKeyMinLength = 32;

// The product's key, shipped in "LoginPropertyList".
inline constexpr const char* kSecurityKey = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";

// Tag 160's value for the compact login data; "PackedDataFormat" of the
// shipped login settings may name another.
inline constexpr const char* kPackedDataFormat = "PACKED";

// The simulator on 127.0.0.1.
inline constexpr const char* kSimulatorHost = "127.0.0.1";
inline constexpr std::uint16_t kSessionPort = 17001;
inline constexpr std::uint16_t kFeedPort = 17002;
inline constexpr std::uint16_t kRequestPort = 17003;
inline constexpr std::uint16_t kNewsPort = 17004;
// The simulator's ports move together (--port-base): the news port stays this
// far from the session port, and a client logged in on a moved session port
// finds the news there.
inline constexpr int kNewsPortOffset = kNewsPort - kSessionPort;

}  // namespace deployment
