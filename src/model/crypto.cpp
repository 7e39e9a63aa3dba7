#include "model/crypto.h"

#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "model/deployment_constants.h"

namespace model {

namespace {

constexpr int kRounds = 1000;
constexpr std::size_t kKeySize = 32;  // AES-256
constexpr std::size_t kIvSize = 16;   // one AES block
constexpr std::size_t kMaxDerivedKeySize = 1024;
// Enough for the product key, the session key and a few stored passwords;
// beyond it the cache starts over rather than growing without bound.
constexpr std::size_t kMaxCachedPasswords = 64;

struct KeyMaterial {
    std::array<unsigned char, kKeySize> key{};
    std::array<unsigned char, kIvSize> iv{};
};

class KeyCache {
  public:
    std::shared_ptr<const KeyMaterial> get(const std::string& password) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = entries_.find(password);
            if (it != entries_.end()) return it->second;
        }
        // Derive outside the lock: PBKDF2 is the slow part.
        auto material = derive(password);
        if (!material) return nullptr;
        std::lock_guard<std::mutex> lock(mutex_);
        if (entries_.size() >= kMaxCachedPasswords) entries_.clear();
        entries_.emplace(password, material);
        return material;
    }

  private:
    static std::shared_ptr<const KeyMaterial> derive(const std::string& password) {
        const std::string salt = Crypto::generateSalt(Crypto::utf16Length(password) + 1);
        const std::string key = Crypto::keyBySaltingPassword(password, salt, kKeySize, kRounds);
        if (key.size() != kKeySize) return nullptr;
        auto material = std::make_shared<KeyMaterial>();
        std::memcpy(material->key.data(), key.data(), kKeySize);
        // The IV is the same derivation cut to the block size: its first bytes.
        std::memcpy(material->iv.data(), key.data(), kIvSize);
        return material;
    }

    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const KeyMaterial>> entries_;
};

KeyCache& keyCache() {
    static KeyCache cache;
    return cache;
}

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

// One context per thread, reset by every init.
EVP_CIPHER_CTX* threadCipherContext() {
    thread_local std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> ctx(EVP_CIPHER_CTX_new());
    return ctx.get();
}

// Fetched once and kept for the process: an init with EVP_aes_256_cbc()
// looks the cipher up in the provider again each time.
const EVP_CIPHER* aes256Cbc() {
    static const EVP_CIPHER* const fetched = EVP_CIPHER_fetch(nullptr, "AES-256-CBC", nullptr);
    return fetched ? fetched : EVP_aes_256_cbc();
}

}  // namespace

std::size_t Crypto::utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 0;
        std::size_t width = 1;
        if (c < 0x80) {
            len = 1;
        } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            len = 4;
            width = 2;  // outside the basic plane: a surrogate pair
        }
        bool valid = len > 0 && i + len <= n;
        for (std::size_t k = 1; valid && k < len; ++k) {
            valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            units += 1;
            i += 1;
            continue;
        }
        units += width;
        i += len;
    }
    return units;
}

std::string Crypto::generateSalt(std::size_t length) {
    return deployment::makeSalt(length);
}

std::string Crypto::keyBySaltingPassword(const std::string& password, const std::string& salt,
                                         std::size_t keySize, int rounds) {
    if (keySize == 0 || keySize > kMaxDerivedKeySize || rounds <= 0) return {};
    const std::size_t take = std::min(utf16Length(password), password.size());
    std::string out(keySize, '\0');
    const int ok = PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(take),
                                     reinterpret_cast<const unsigned char*>(salt.data()),
                                     static_cast<int>(salt.size()), rounds, EVP_sha1(),
                                     static_cast<int>(keySize), reinterpret_cast<unsigned char*>(out.data()));
    if (ok != 1) return {};
    return out;
}

std::optional<std::string> Crypto::transformData(const std::string& data, int algorithm, int operation,
                                                 const std::string& password) {
    if (algorithm != kAlgorithmAES) return std::nullopt;
    if (operation != kEncrypt && operation != kDecrypt) return std::nullopt;
    if (data.size() > static_cast<std::size_t>(INT32_MAX) - kIvSize) return std::nullopt;

    const auto material = keyCache().get(password);
    if (!material) return std::nullopt;

    EVP_CIPHER_CTX* ctx = threadCipherContext();
    if (ctx == nullptr) return std::nullopt;
    // A context that holds the cipher already is only given the new key: no reset, no new cipher state.
    const EVP_CIPHER* cipher = EVP_CIPHER_CTX_get0_cipher(ctx) ? nullptr : aes256Cbc();
    if (EVP_CipherInit_ex(ctx, cipher, nullptr, material->key.data(), material->iv.data(),
                          operation == kEncrypt ? 1 : 0) != 1) {
        return std::nullopt;
    }
    std::string out(data.size() + kIvSize, '\0');
    auto* outBytes = reinterpret_cast<unsigned char*>(out.data());
    int written = 0;
    if (EVP_CipherUpdate(ctx, outBytes, &written, reinterpret_cast<const unsigned char*>(data.data()),
                         static_cast<int>(data.size())) != 1) {
        return std::nullopt;
    }
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx, outBytes + written, &tail) != 1) return std::nullopt;
    out.resize(static_cast<std::size_t>(written + tail));
    return out;
}

void Crypto::prepareKey(const std::string& password) {
    // An empty text's encryption derives the key and fetches the cipher.
    (void)encrypt(std::string(), password);
}

std::string Crypto::computeSHA512DigestForString(const std::string& text) {
    const std::size_t take = std::min(utf16Length(text), text.size());
    std::string digest(64, '\0');
    unsigned int size = 0;
    if (EVP_Digest(text.data(), take, reinterpret_cast<unsigned char*>(digest.data()), &size, EVP_sha512(),
                   nullptr) != 1 ||
        size != 64) {
        return {};
    }
    return digest;
}

}  // namespace model
