#include "model/crypto.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using model::Crypto;

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

// The deployment's salt rule, written out independently of the code under test.
std::string saltHex(std::size_t n) {
    std::string salt;
    for (std::size_t i = 0; i < n; ++i) salt += static_cast<char>((i * 31 + 7) % 256);
    return hex(salt);
}

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    pclose(pipe);
    return out;
}

bool haveOpenssl() {
    return std::system("openssl version > /dev/null 2>&1") == 0;
}

// Key bytes (hex) from the openssl tool's PBKDF2.
std::string opensslKey(const std::string& passwordBytes, std::size_t saltLength) {
    std::string out =
        run("openssl kdf -keylen 32 -kdfopt digest:SHA1 -kdfopt hexpass:" + hex(passwordBytes) +
            " -kdfopt hexsalt:" + saltHex(saltLength) + " -kdfopt iter:1000 PBKDF2 2>/dev/null");
    std::string key;
    for (char c : out) {
        if (std::isxdigit(static_cast<unsigned char>(c))) key += static_cast<char>(std::tolower(c));
    }
    return key;
}

std::string opensslEncrypt(const std::string& plain, const std::string& keyHex, bool pad = true) {
    char dir[] = "/tmp/crypto_testXXXXXX";
    if (mkdtemp(dir) == nullptr) return {};
    const std::string in = std::string(dir) + "/in";
    std::ofstream(in, std::ios::binary) << plain;
    const std::string out = run("openssl enc -aes-256-cbc -K " + keyHex + " -iv " + keyHex.substr(0, 32) +
                                (pad ? "" : " -nopad") + " -in " + in + " 2>/dev/null");
    std::remove(in.c_str());
    rmdir(dir);
    return out;
}

TEST(Crypto, BlockSizesAndRoundTrip) {
    const auto empty = Crypto::encrypt("", "secret");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 16u);
    EXPECT_EQ(Crypto::decrypt(*empty, "secret"), std::string());

    const std::string sixteen = "0123456789abcdef";
    const auto enc = Crypto::encrypt(sixteen, "secret");
    ASSERT_TRUE(enc);
    EXPECT_EQ(enc->size(), 32u);
    EXPECT_EQ(Crypto::decrypt(*enc, "secret"), sixteen);
    EXPECT_EQ(Crypto::encrypt(sixteen, "secret"), enc);  // deterministic

    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    EXPECT_EQ(Crypto::decrypt(*Crypto::encrypt(binary, "k"), "k"), binary);
}

TEST(Crypto, WrongPasswordOrDamageNeverGivesThePlaintext) {
    const std::string plain =
        "35=32\x03"
        "553=user\x03"
        "554=pass\x03";
    const auto enc = Crypto::encrypt(plain, "right key");
    ASSERT_TRUE(enc);
    for (const char* wrong : {"wrong key", "right ke", "right key ", "", "Right key"}) {
        const auto dec = Crypto::decrypt(*enc, wrong);
        if (dec) {
            EXPECT_NE(*dec, plain) << wrong;
        }
    }
    EXPECT_FALSE(Crypto::decrypt(enc->substr(0, 17), "right key"));  // not whole blocks
    EXPECT_FALSE(Crypto::decrypt("", "right key"));
    EXPECT_FALSE(Crypto::transformData(plain, 1, Crypto::kEncrypt, "k"));  // only AES is offered
    EXPECT_FALSE(Crypto::transformData(plain, Crypto::kAlgorithmAES, 2, "k"));
    // The thread's cipher context keeps nothing of a failure for its next use.
    EXPECT_EQ(Crypto::decrypt(*enc, "right key"), plain);
    EXPECT_EQ(Crypto::encrypt(plain, "right key"), enc);
}

TEST(Crypto, MatchesTheOpensslTool) {
    if (!haveOpenssl()) GTEST_SKIP() << "openssl tool not installed";
    const std::string password = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";
    const std::string key = opensslKey(password, password.size() + 1);
    ASSERT_EQ(key.size(), 64u);
    EXPECT_EQ(hex(Crypto::keyBySaltingPassword(password, unhex(saltHex(33)), 32, 1000)), key);

    const std::string plain =
        "\x01"
        "10=1018\x03"
        "20=7\x03\x02 and some more text over a few blocks";
    EXPECT_EQ(hex(*Crypto::encrypt(plain, password)), hex(opensslEncrypt(plain, key)));

    // A block that decrypts to a last byte of 0 has no valid padding.
    const std::string badPadding = opensslEncrypt(std::string(15, 'a') + std::string(1, '\0'), key, false);
    ASSERT_EQ(badPadding.size(), 16u);
    EXPECT_FALSE(Crypto::decrypt(badPadding, password));
}

TEST(Crypto, NonAsciiPasswordTakesTheUtf16CountOfUtf8Bytes) {
    const std::string password = "p\xC3\xA4ssw\xC3\xB6rd";  // 8 UTF-16 units, 10 UTF-8 bytes
    EXPECT_EQ(Crypto::utf16Length(password), 8u);
    EXPECT_EQ(Crypto::utf16Length("\xF0\x9F\x98\x80"), 2u);  // outside the basic plane
    EXPECT_EQ(Crypto::utf16Length("\xFF\xFE"), 2u);          // invalid bytes count one each
    // Only the first 8 bytes enter: a password that differs after them derives the same key.
    EXPECT_EQ(Crypto::encrypt("x", password), Crypto::encrypt("x", "p\xC3\xA4ssw\xC3\xB6zz"));
    if (!haveOpenssl()) GTEST_SKIP() << "openssl tool not installed";
    const std::string key = opensslKey(password.substr(0, 8), 9);
    ASSERT_EQ(key.size(), 64u);
    EXPECT_EQ(hex(*Crypto::encrypt("hello", password)), hex(opensslEncrypt("hello", key)));
}

TEST(Crypto, KnownDigests) {
    // RFC 6070, PBKDF2-HMAC-SHA1, 4096 rounds.
    EXPECT_EQ(hex(Crypto::keyBySaltingPassword("password", "salt", 20, 4096)),
              "4b007901b765489abead49d926f721d065a429c1");
    EXPECT_EQ(hex(Crypto::computeSHA512DigestForString("")),
              "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
              "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e");
    EXPECT_EQ(hex(Crypto::computeSHA512DigestForString("abc")).substr(0, 32),
              "ddaf35a193617abacc417349ae204131");
    EXPECT_EQ(hex(Crypto::generateSalt(4)), "07264564");
}

TEST(Crypto, ConcurrentCallersGetTheSameBytes) {
    std::vector<std::string> passwords = {"a", "bb", "ccc", "dddd"};
    std::vector<std::string> expected;
    for (const auto& p : passwords) expected.push_back(*Crypto::encrypt("payload " + p, p));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const std::size_t k = static_cast<std::size_t>((i + t) % 4);
                const auto enc = Crypto::encrypt("payload " + passwords[k], passwords[k]);
                if (!enc || *enc != expected[k]) ++mismatches[static_cast<std::size_t>(t)];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
}

}  // namespace
