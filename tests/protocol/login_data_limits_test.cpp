// The login data's ceilings: the stated size against its form's ceiling and
// against the stream's size, and the XML form's elements against the reader's cap.
#include <gtest/gtest.h>

#include <string>

#include "model/base64.h"
#include "platform/log.h"
#include "protocol/login_data_limits.h"
#include "protocol/payload_prefix.h"

namespace protocol {
namespace {

using Unit = LoginDataTooLarge::Unit;

std::string field(std::size_t stated, const std::string& stream) {
    return *model::Base64::encodeBase64WithData(testing::payloadPrefix(stated) + stream);
}

class LoginDataLimits : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
    }
    void TearDown() override { platform::Log::setSink(nullptr); }
};

TEST_F(LoginDataLimits, StatedSizeHeldAgainstTheCeilingAndTheStreamsSize) {
    const std::string text(1000, 'q');
    const std::string stream = *model::DataAdditions::gzipDeflate(text);
    const std::size_t byRatio = stream.size() * kMaxLoginCompressionRatio;
    const struct {
        const char* what;
        bool packed;
        std::size_t stated;
        bool kept;
        std::optional<LoginDataTooLarge> tooLarge;
    } cases[] = {
        {"its true size", true, text.size(), true, std::nullopt},
        {"at the most its stream may state", true, byRatio, true, std::nullopt},
        {"past what its stream may state", true, byRatio + kMaxLoginCompressionRatio, false, std::nullopt},
        {"compact, past the ceiling", true, kMaxPackedLoginDataSize + 1, false,
         LoginDataTooLarge{Unit::Bytes, kMaxPackedLoginDataSize + 1, kMaxPackedLoginDataSize}},
        {"XML, past the ceiling", false, kMaxXmlLoginDataSize + 1, false,
         LoginDataTooLarge{Unit::Bytes, kMaxXmlLoginDataSize + 1, kMaxXmlLoginDataSize}},
        {"XML, at the compact ceiling", false, kMaxPackedLoginDataSize, false,
         LoginDataTooLarge{Unit::Bytes, kMaxPackedLoginDataSize, kMaxXmlLoginDataSize}},
        {"XML, at its ceiling but far past its stream", false, kMaxXmlLoginDataSize, false, std::nullopt},
    };
    for (const auto& c : cases) {
        const LoginPayload out = inflateLoginData(field(c.stated, stream), c.packed);
        EXPECT_EQ(out.text.has_value(), c.kept) << c.what;
        if (c.kept) {
            EXPECT_EQ(*out.text, text) << c.what;
        }
        EXPECT_EQ(out.tooLarge, c.tooLarge) << c.what;
    }
}

TEST_F(LoginDataLimits, XmlElementsHeldAgainstTheReadersCap) {
    const auto repeated = [](const std::string& piece, std::size_t times) {
        std::string out;
        out.reserve(piece.size() * times);
        for (std::size_t i = 0; i < times; ++i) out += piece;
        return out;
    };
    const std::size_t cap = kMaxXmlLoginElements;
    const struct {
        const char* what;
        std::string document;
        std::optional<LoginDataTooLarge> tooLarge;
    } cases[] = {
        {"elements at the cap", repeated("<a>", cap), std::nullopt},
        {"one element past it", repeated("<a>", cap + 1), LoginDataTooLarge{Unit::Entries, cap + 1, cap}},
        {"closing tags, comments and declarations do not count", "<?x?>" + repeated("</a><!---->", cap + 1),
         std::nullopt},
        {"attributes past the cap", "<a " + repeated("b='' ", cap + 1), LoginDataTooLarge{Unit::Entries, cap + 1, cap}},
        {"elements after a NUL byte do not count", std::string("<a>\0", 4) + repeated("<a>", cap + 1), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(xmlLoginOverCeiling(c.document), c.tooLarge) << c.what;
}

}  // namespace
}  // namespace protocol
