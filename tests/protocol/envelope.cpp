// Envelopes against the cipher, the session key and compressed payloads.
// Digests, Base64 and deflate for the expected values come straight from
// OpenSSL and zlib, not from the code under test.
#include <openssl/evp.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "fake_app_context.h"
#include "protocol/envelope.h"
#include "protocol/frame_decoder.h"
#include "protocol/login_data_limits.h"
#include "protocol/message_base.h"
#include "protocol/payload_prefix.h"
#include "protocol/session_key.h"

#define FS "\x01"
#define FE "\x03"
#define FX "\x02"

using namespace protocol;
using protocol::testing::FakeAppContext;
using protocol::testing::payloadPrefix;

namespace {

std::string rawBase64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string rawSha512(const std::string& text) {
    unsigned char digest[64];
    unsigned int n = 0;
    EVP_Digest(text.data(), text.size(), digest, &n, EVP_sha512(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), n);
}

// windowBits 31: gzip header; 15: zlib header.
std::string rawDeflate(const std::string& text, int windowBits) {
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, text.size()) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    s.avail_in = static_cast<uInt>(text.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// Splits a sent frame into its length digits and body.
void unframe(const std::string& frame, std::string& digits, std::string& body) {
    ASSERT_GE(frame.size(), 3u);
    ASSERT_EQ(frame.front(), '\x01');
    ASSERT_EQ(frame.back(), '\x02');
    const std::size_t fe = frame.find('\x03');
    digits = frame.substr(1, fe - 1);
    body = frame.substr(fe + 1, frame.size() - fe - 2);
}

void buildPing(MessageBase& m) {
    m.setMessagetype(1018);
    m.messageDataDictionary().setNumber(10, 1018);
    m.messageDataDictionary().setNumber(20, 42);
    m.messageDataDictionary().set(21, "20261207101500");
    m.BuildMessage();
}

}  // namespace

TEST(Envelope, PingEnvelopeEndsWithTag27AndOpensToTheInnerFrame) {
    FakeAppContext ctx;
    MessageBase m(&ctx);
    buildPing(m);
    ASSERT_EQ(ctx.sent.size(), 1u);
    std::string digits, body;
    unframe(ctx.sent[0].message, digits, body);
    EXPECT_EQ(digits, std::to_string(body.size()));
    EXPECT_EQ(m.messageLength(), body.size());
    ASSERT_EQ(body.rfind("10=76" FE "27=", 0), 0u);
    ASSERT_EQ(body.back(), '\x03');
    const std::string tag27 = body.substr(9, body.size() - 10);
    EXPECT_EQ(tag27.find('\x03'), std::string::npos);
    const auto inner = openEnvelope(tag27, *ctx.key);
    ASSERT_TRUE(inner);
    EXPECT_EQ(*inner, FS "32" FE "10=1018" FE "20=42" FE "21=20261207101500" FE FX);
}

TEST(Envelope, InitialEnvelopeCarries1153And1132) {
    FakeAppContext ctx;
    MessageBase m(&ctx);
    m.setMessagetype(32);
    m.messageDataDictionary().setNumber(10, 32);
    m.BuildMessage();
    ASSERT_EQ(ctx.sent.size(), 1u);
    std::string digits, body;
    unframe(ctx.sent[0].message, digits, body);
    const std::string tail = FE "1153=2" FE "1132=2" FE;
    ASSERT_GT(body.size(), tail.size());
    EXPECT_EQ(body.substr(body.size() - tail.size()), tail);
    // The envelope's own length counts its own body only.
    EXPECT_EQ(digits, std::to_string(body.size()));
    const std::string tag27 = body.substr(9, body.size() - 9 - tail.size());
    const auto inner = openEnvelope(tag27, *ctx.key);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->front(), '\x01');
    EXPECT_EQ(inner->back(), '\x02');
    EXPECT_NE(inner->find("10=32" FE "23=(null)"), std::string::npos);
}

TEST(Envelope, PasswordIsReadForEveryEnvelope) {
    FakeAppContext ctx;
    MessageBase m(&ctx);
    buildPing(m);
    const std::string shipped = *ctx.key;
    ctx.key = GenerateNewEncryptionKey("trader1", "pw", "REF9", "20261207101455");
    buildPing(m);
    ASSERT_EQ(ctx.sent.size(), 2u);
    auto tag27Of = [](const std::string& frame) {
        const std::size_t start = frame.find("27=") + 3;
        return frame.substr(start, frame.find('\x03', start) - start);
    };
    EXPECT_TRUE(openEnvelope(tag27Of(ctx.sent[0].message), shipped));
    EXPECT_TRUE(openEnvelope(tag27Of(ctx.sent[1].message), *ctx.key));
    EXPECT_FALSE(openEnvelope(tag27Of(ctx.sent[1].message), shipped));
    EXPECT_FALSE(openEnvelope("not base64!", shipped));
}

TEST(Envelope, ReceivedEnvelopeDecodesThroughTheDeframer) {
    FakeAppContext ctx;
    MessageBase m(&ctx);
    buildPing(m);
    FrameDecoder outer;
    std::vector<MessageBase> got;
    outer.feedMessages(ctx.sent[0].message, [&](MessageBase&& msg) { got.push_back(std::move(msg)); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].messagetype(), 76);
    const auto inner = openEnvelope(*got[0].messageDataDictionary().find(27), *ctx.key);
    ASSERT_TRUE(inner);
    FrameDecoder plain;
    std::vector<MessageBase> innerMessages;
    plain.feedMessages(*inner, [&](MessageBase&& msg) { innerMessages.push_back(std::move(msg)); });
    ASSERT_EQ(innerMessages.size(), 1u);
    EXPECT_EQ(innerMessages[0].messagetype(), 1018);
    EXPECT_EQ(*innerMessages[0].messageDataDictionary().find(20), "42");
}

TEST(SessionKey, PadsShortInputToThirtyTwoCharacters) {
    // 8 + 8 + 1 + 14 = 31 characters: one pad character.
    const std::string key31 = GenerateNewEncryptionKey("trader01", "secret12", "1", "20261207101455");
    EXPECT_EQ(key31, rawBase64(rawSha512("trader01secret12120261207101455*")));
    EXPECT_EQ(key31.size(), 88u);
    // 32 characters: none.
    EXPECT_EQ(GenerateNewEncryptionKey("trader01", "secret12", "12", "20261207101455"),
              rawBase64(rawSha512("trader01secret121220261207101455")));
    // Short input fills up to 32.
    EXPECT_EQ(GenerateNewEncryptionKey("a", "b", "c", "d"), rawBase64(rawSha512("abcd" + std::string(28, '*'))));
}

TEST(SessionKey, FromTheContext) {
    FakeAppContext ctx;
    EXPECT_EQ(GenerateNewEncryptionKey(ctx), GenerateNewEncryptionKey("trader1", "pw", "REF9", "20261207101455"));
    ctx.server.reset();
    EXPECT_FALSE(GenerateNewEncryptionKey(ctx));
}

TEST(DecompressData, InflatesGzipAndZlibAfterThePrefix) {
    const std::string text = "Table1\x07r\xC3\xA9sum\xC3\xA9";
    for (int bits : {31, 15}) {
        const std::string payload = rawBase64(payloadPrefix(text.size()) + rawDeflate(text, bits));
        EXPECT_EQ(decompressData(payload, kMaxPackedLoginDataSize), text) << bits;
    }
}

TEST(DecompressData, ShortCutOffOrBadPayloadsGiveNothing) {
    const std::string stream = rawDeflate(std::string(5000, 'q'), 31);
    const std::string cut = rawBase64(payloadPrefix(5000) + stream.substr(0, stream.size() / 2));
    EXPECT_FALSE(decompressData(cut, kMaxPackedLoginDataSize));
    EXPECT_FALSE(decompressData(rawBase64("abc"), kMaxPackedLoginDataSize));
    EXPECT_FALSE(decompressData("", kMaxPackedLoginDataSize));
    EXPECT_FALSE(decompressData("@@@@", kMaxPackedLoginDataSize));
    EXPECT_FALSE(decompressData(rawBase64(payloadPrefix(2) + rawDeflate("\xFF\xFE", 31)), kMaxPackedLoginDataSize));
}

// The prefix is held against the cap before inflating, and the stream may
// not inflate past its prefix.
TEST(DecompressData, PrefixWithinTheCapAndStreamWithinThePrefix) {
    constexpr std::size_t kCap = 1000;
    const struct {
        const char* what;
        std::size_t prefix;
        std::size_t inflated;
        bool kept;
    } cases[] = {
        {"exactly at the cap", kCap, kCap, true},
        {"shorter than its prefix", kCap, 10, true},
        {"prefix one past the cap", kCap + 1, 10, false},
        {"prefix far past the cap", 0xFFFFFFFF, 10, false},
        {"one byte past its prefix", kCap - 1, kCap, false},
        {"any byte past a zero prefix", 0, 1, false},
    };
    for (const auto& c : cases) {
        const std::string text(c.inflated, 'q');
        const std::string payload = rawBase64(payloadPrefix(c.prefix) + rawDeflate(text, 31));
        EXPECT_EQ(decompressData(payload, kCap).has_value(), c.kept) << c.what;
    }
}
