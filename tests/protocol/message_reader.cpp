// Received frames: field parsing, value reading, login-information codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/byte_walk_fields.h"
#include "protocol/frame_decoder.h"
#include "protocol/login_info_message.h"
#include "protocol/message_base.h"
#include "protocol/message_cracker.h"
#include "protocol/wire_format.h"

#define FE "\x03"

using namespace protocol;

TEST(MessageCracker, GetMessageValue) {
    EXPECT_EQ(MessageCracker::GetMessageValue("10=18", "="), "18");
    EXPECT_EQ(MessageCracker::GetMessageValue("34=", "34="), "");
    EXPECT_EQ(MessageCracker::GetMessageValue("abc", "="), std::nullopt);
    EXPECT_EQ(MessageCracker::GetMessageValue("", "="), std::nullopt);
    // The value is the rest of the field, and a key must start the field.
    EXPECT_EQ(MessageCracker::GetMessageValue("2=12=5", "2="), "12=5");
    EXPECT_EQ(MessageCracker::GetMessageValue("27=QUJD==", "27="), "QUJD==");
    EXPECT_EQ(MessageCracker::GetMessageValue("112=abc", "12="), "abc");
}

TEST(MessageCracker, SplitFieldAndIntegerValue) {
    std::int64_t tag = -1;
    std::string_view value;
    ASSERT_TRUE(MessageCracker::splitField("27=a=b", tag, value));
    EXPECT_EQ(tag, 27);
    EXPECT_EQ(value, "a=b");
    EXPECT_FALSE(MessageCracker::splitField("novalue", tag, value));
    EXPECT_FALSE(MessageCracker::splitField("=5", tag, value));
    EXPECT_FALSE(MessageCracker::splitField("1a=5", tag, value));
    EXPECT_FALSE(MessageCracker::splitField("1234567890123456789012=5", tag, value));
    EXPECT_EQ(MessageCracker::integerValue("18"), 18);
    EXPECT_EQ(MessageCracker::integerValue(" -7x"), -7);
    EXPECT_EQ(MessageCracker::integerValue("x"), 0);
    EXPECT_EQ(MessageCracker::integerValue("99999999999999999999999"), INT64_MAX);
}

TEST(DecodeFrame, ReadsTypeAndTags) {
    const auto m = MessageBase::decodeFrame("31" FE "10=18" FE "20=5" FE "27=QUJD==" FE "23=" FE);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->messagetype(), 18);
    const TagMap& d = m->messageDataDictionary();
    EXPECT_EQ(*d.find(10), "18");
    EXPECT_EQ(*d.find(20), "5");
    EXPECT_EQ(*d.find(27), "QUJD==");
    EXPECT_EQ(*d.find(23), "");
    EXPECT_EQ(d.size(), 4u);
    const auto fields = m->messageArray();
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "10=18");
    EXPECT_EQ(fields[4], "");
}

TEST(DecodeFrame, RepeatedTagKeepsTheLaterValue) {
    const auto m = MessageBase::decodeFrame("0" FE "10=62" FE "23=first" FE "23=second" FE);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m->messageDataDictionary().find(23), "second");
}

// Reading stays linear: a 2,000-field message costs a bounded number of tag
// comparisons, and a repeated tag still takes the later value in its first place.
TEST(DecodeFrame, LongMessagesCostABoundedNumberOfComparisons) {
    constexpr std::size_t kFields = 2000;
    std::string frame = "0" FE "10=62" FE;
    for (std::size_t t = 1; t < kFields; ++t) frame += std::to_string(100 + t * 7) + "=" + std::to_string(t) + FE;
    frame += "107=again" FE;
    const auto m = MessageBase::decodeFrame(frame);
    ASSERT_TRUE(m);
    const TagMap& d = m->messageDataDictionary();
    EXPECT_EQ(d.size(), kFields);
    EXPECT_LE(d.setComparisons(), 4 * kFields);
    EXPECT_EQ(*d.find(107), "again");
    EXPECT_EQ(std::next(d.begin())->first, 107);
    EXPECT_EQ(*d.find(100 + 1999 * 7), "1999");
}

TEST(DecodeFrame, MalformedFieldIsSkippedAndLaterFieldsRead) {
    const auto m = MessageBase::decodeFrame("0" FE "10=62" FE "garbage" FE "x1=2" FE "73=74" FE "2=12=5" FE);
    ASSERT_TRUE(m);
    const TagMap& d = m->messageDataDictionary();
    EXPECT_EQ(*d.find(73), "74");
    EXPECT_EQ(*d.find(2), "12=5");
    EXPECT_EQ(d.size(), 3u);
}

TEST(DecodeFrame, CompressedPayloadEndingInItsOwnKeyStaysWhole) {
    const auto m = MessageBase::decodeFrame("0" FE "10=105" FE "1050=QUJD1050=" FE);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m->messageDataDictionary().find(1050), "QUJD1050=");
    EXPECT_EQ(compressedPayloadOfField(m->messageArray()[1]), "QUJD1050=");
}

TEST(DecodeFrame, TypeFieldWithAnotherTagStillGivesTheType) {
    const auto m = MessageBase::decodeFrame("0" FE "11=33" FE);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->messagetype(), 33);
    const auto noEquals = MessageBase::decodeFrame("0" FE "junk" FE "20=1" FE);
    ASSERT_TRUE(noEquals);
    EXPECT_EQ(noEquals->messagetype(), 0);
}

TEST(DecodeFrame, FramesWithoutFieldsOrNotUtf8AreDropped) {
    EXPECT_FALSE(MessageBase::decodeFrame("12"));
    EXPECT_FALSE(MessageBase::decodeFrame("0" FE));
    EXPECT_FALSE(MessageBase::decodeFrame(""));
    EXPECT_FALSE(MessageBase::decodeFrame("0" FE "10=18" FE "17=\xFF" FE));
    const auto nonAscii = MessageBase::decodeFrame("0" FE "10=603" FE "17=caf\xC3\xA9" FE);
    ASSERT_TRUE(nonAscii);
    EXPECT_EQ(*nonAscii->messageDataDictionary().find(17), "caf\xC3\xA9");
}

TEST(DecodeFrame, ReadsWhatTheByteWalkRead) {
    std::vector<std::string> frames;
    FrameDecoder decoder;
    for (const auto& entry : std::filesystem::directory_iterator(TC_SOURCE_DIR "/tests/fuzz/corpus/frame_decoder")) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (std::string& f : decoder.feed(bytes)) frames.push_back(std::move(f));
        decoder.reset();
    }
    // Fields from these pieces, drawn by a fixed generator: tags of 18 and 19
    // digits, empty tags and values, signs, "=" in values, bytes above 0x7F.
    const char* pieces[] = {"10=62", "123456789012345678=x", "1234567890123456789=y", "=5", "7=", "x1=2", "2=1=5",
                            "", "-3=4", "55=caf\xC3\xA9", "56=\xFF", "9", "0099=z", "12 =3", "8=a b"};
    std::uint64_t x = 7;
    for (int n = 0; n < 5000; ++n) {
        std::string frame = "0" FE;
        for (int f = 0; f < 6; ++f) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            frame.append(pieces[x % std::size(pieces)]);
            if (f < 5 || x % 2) frame.append(FE);
        }
        frames.push_back(frame);
    }
    for (const std::string& frame : frames) {
        const auto m = MessageBase::decodeFrame(frame);
        const std::size_t cut = frame.find(FE[0]);
        if (cut == std::string::npos) continue;
        const auto expected = test::byteWalkFields(std::string_view(frame).substr(cut + 1));
        ASSERT_EQ(m.has_value(), expected.has_value() && frame.size() > cut + 1 && frame[cut + 1] != FE[0]) << frame;
        if (!m) continue;
        const std::vector<TagMap::Entry> got(m->messageDataDictionary().begin(), m->messageDataDictionary().end());
        EXPECT_EQ(got, std::vector<TagMap::Entry>(expected->begin(), expected->end())) << frame;
    }
}

TEST(SetMessage, ParsesFieldListsLikeDecodeFrame) {
    MessageBase m;
    m.setMessage(std::vector<std::string>{"10=1024", "151=getopenpositions", "oops", "1050=H4sI==", ""});
    EXPECT_EQ(*m.messageDataDictionary().find(151), "getopenpositions");
    EXPECT_EQ(*m.messageDataDictionary().find(1050), "H4sI==");
    EXPECT_EQ(m.messageDataDictionary().size(), 3u);
}

TEST(LoginInfoMessage, DefinedCodes) {
    for (int code : {1, 15, 101, 103, 201, 202, 301, 401, 406, 1001}) EXPECT_TRUE(LoginInfoMessage::isEnumDefined(code));
    for (int code : {0, -1, 16, 100, 104, 200, 203, 300, 302, 400, 407, 1000, 1002})
        EXPECT_FALSE(LoginInfoMessage::isEnumDefined(code)) << code;
    LoginInfoMessage r;
    r.ErrorCode = 10;
    EXPECT_TRUE(r.isEnumDefined(r.ErrorCode));
}

