// Received frames: field parsing, value reading, login-information codes.
#include <gtest/gtest.h>

#include <iterator>

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

