#pragma once
// Cipher and digest: AES-256-CBC with PKCS#7, key and IV from PBKDF2-HMAC-SHA1
// (1000 rounds), SHA-512. Byte strings are held in std::string.
#include <cstddef>
#include <optional>
#include <string>

namespace model {

class Crypto {
public:
    static constexpr int kAlgorithmAES = 0;
    static constexpr int kEncrypt = 0;
    static constexpr int kDecrypt = 1;

    // Encrypts or decrypts `data` with `password`; nullopt on any failure
    // (wrong password, bad padding, unknown algorithm).
    static std::optional<std::string> transformData(const std::string& data, int algorithm, int operation,
                                                    const std::string& password);
    static std::optional<std::string> encrypt(const std::string& data, const std::string& password) {
        return transformData(data, kAlgorithmAES, kEncrypt, password);
    }
    static std::optional<std::string> decrypt(const std::string& data, const std::string& password) {
        return transformData(data, kAlgorithmAES, kDecrypt, password);
    }
    // Derives the key of `password` into the process's cache and makes the
    // cipher ready, so that the first transform with it derives nothing.
    static void prepareKey(const std::string& password);
    // PBKDF2-HMAC-SHA1; the password enters as its first utf16Length(password) UTF-8 bytes.
    static std::string keyBySaltingPassword(const std::string& password, const std::string& salt,
                                            std::size_t keySize, int rounds);
    static std::string generateSalt(std::size_t length);
    // 64 digest bytes over the first utf16Length(text) UTF-8 bytes of the text.
    static std::string computeSHA512DigestForString(const std::string& text);
    // Length of a UTF-8 text in UTF-16 code units (invalid bytes count one each).
    static std::size_t utf16Length(const std::string& utf8);
};

}  // namespace model
