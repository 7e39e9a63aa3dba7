// Received frames: de-framing of byte chunks, field parsing, value reading,
// login-information codes.
#include <gtest/gtest.h>

#include "protocol/frame_decoder.h"
#include "protocol/login_info_message.h"
#include "protocol/message_base.h"
#include "protocol/message_cracker.h"
#include "protocol/wire_format.h"

#define FS "\x01"
#define FE "\x03"
#define FX "\x02"

using namespace protocol;

TEST(MessageCracker, GetMessageValue) {
    EXPECT_EQ(MessageCracker::GetMessageValue("10=18", "="), "18");
    EXPECT_EQ(MessageCracker::GetMessageValue("34=", "34="), "");
    EXPECT_EQ(MessageCracker::GetMessageValue("abc", "="), std::nullopt);
    EXPECT_EQ(MessageCracker::GetMessageValue("", "="), std::nullopt);
    // The value is the rest of the field, and a key must start the field.
    EXPECT_EQ(MessageCracker::GetMessageValue("2=12=5", "2="), "12=5");
    EXPECT_EQ(MessageCracker::GetMessageValue("27=QUJD==", "27="), "QUJD==");
    EXPECT_EQ(MessageCracker::GetMessageValue("112=abc", "12="), std::nullopt);
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

TEST(FrameDecoder, SplitsChunksIntoFrames) {
    FrameDecoder dec;
    EXPECT_EQ(dec.feed("A" FX FS "B"), std::vector<std::string>{"A"});
    EXPECT_EQ(dec.tail(), FS "B");
    EXPECT_EQ(dec.feed("C" FX), std::vector<std::string>{"BC"});
    EXPECT_EQ(dec.tail(), "");

    // Two frames in one chunk, then a frame cut in three.
    EXPECT_EQ(dec.feed(FS "1" FE "x" FX FS "2" FE "y" FX), (std::vector<std::string>{"1" FE "x", "2" FE "y"}));
    EXPECT_TRUE(dec.feed(FS "8" FE "10=").empty());
    EXPECT_TRUE(dec.feed("10").empty());
    EXPECT_EQ(dec.feed("18" FE FX), std::vector<std::string>{"8" FE "10=1018" FE});
}

TEST(FrameDecoder, TailEndingInStartByteKeepsTheNextFrameIntact) {
    FrameDecoder dec;
    // The complete frame is delivered; the lone start byte stays as the tail.
    EXPECT_EQ(dec.feed(FS "A" FX FS), std::vector<std::string>{"A"});
    EXPECT_EQ(dec.tail(), FS);
    EXPECT_EQ(dec.feed("B" FX), std::vector<std::string>{"B"});
    // A chunk that starts with a start byte after a tail of one.
    EXPECT_TRUE(dec.feed(FS).empty());
    EXPECT_EQ(dec.feed(FS "C" FX), std::vector<std::string>{"C"});
}

TEST(FrameDecoder, TextWithoutStartByteWaitsWhole) {
    FrameDecoder dec;
    EXPECT_TRUE(dec.feed("partial").empty());
    EXPECT_EQ(dec.tail(), "partial");
    EXPECT_EQ(dec.feed(" text" FX), std::vector<std::string>{"partial text"});
}

TEST(FrameDecoder, UtfSequenceSplitAcrossChunks) {
    FrameDecoder dec;
    std::vector<MessageBase> got;
    auto sink = [&](MessageBase&& m) { got.push_back(std::move(m)); };
    dec.feedMessages(FS "0" FE "10=603" FE "17=caf\xC3", sink);
    EXPECT_TRUE(got.empty());
    dec.feedMessages("\xA9" FE FX, sink);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].messagetype(), 603);
    EXPECT_EQ(*got[0].messageDataDictionary().find(17), "caf\xC3\xA9");
}

TEST(FrameDecoder, EmptyPiecesAndStrayEndBytesAreDropped) {
    FrameDecoder dec;
    EXPECT_EQ(dec.feed(FS FS "A" FX FX FS FX), std::vector<std::string>{"A"});
    EXPECT_EQ(dec.tail(), "");
}

TEST(FrameDecoder, TailCapJustUnderAndOver) {
    FrameDecoder dec(16);
    const std::string sixteen = FS + std::string(15, 'a');
    EXPECT_TRUE(dec.feed(sixteen).empty());
    EXPECT_EQ(dec.tail().size(), 16u);
    EXPECT_EQ(dec.feed(FX), std::vector<std::string>{std::string(15, 'a')});

    EXPECT_TRUE(dec.feed(sixteen).empty());
    EXPECT_TRUE(dec.feed("b").empty());  // 17 bytes: dropped
    EXPECT_EQ(dec.tail(), "");
    // The rest of the dropped frame is skipped up to the next start byte.
    EXPECT_EQ(dec.feed("ccc" FX "ddd" FS "E" FX), std::vector<std::string>{"E"});
}

TEST(FrameDecoder, LargeFrameInSmallChunks) {
    FrameDecoder dec;
    std::string payload(200000, 'x');
    const std::string frame = FS "0" FE "1050=" + payload + FE FX;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < frame.size(); i += 1000) {
        auto part = dec.feed(std::string_view(frame).substr(i, 1000));
        out.insert(out.end(), part.begin(), part.end());
    }
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), frame.size() - 2);
}

TEST(LoginInfoMessage, DefinedCodes) {
    for (int code : {1, 15, 101, 103, 201, 202, 301, 401, 406, 1001}) EXPECT_TRUE(LoginInfoMessage::isEnumDefined(code));
    for (int code : {0, -1, 16, 100, 104, 200, 203, 300, 302, 400, 407, 1000, 1002})
        EXPECT_FALSE(LoginInfoMessage::isEnumDefined(code)) << code;
    LoginInfoMessage r;
    r.ErrorCode = 10;
    EXPECT_TRUE(r.isEnumDefined(r.ErrorCode));
}

TEST(FrameDecoder, RefusesToBeFedFromItsOwnCallback) {
    FrameDecoder dec;
    std::vector<std::string> got;
    dec.feed(FS "A" FX FS "B" FX, [&](std::string_view f) {
        got.emplace_back(f);
        dec.feed(FS "X" FX, [&](std::string_view g) { got.emplace_back(g); });
    });
    EXPECT_EQ(got, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dec.feed(FS "C" FX), std::vector<std::string>{"C"});
}

TEST(FrameDecoder, ChunkBoundariesDoNotChangeTheFrames) {
    // Well-formed streams cut at random places give the frames of the whole stream.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFu;
    };
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        std::vector<std::string> expected;
        const int frames = 1 + static_cast<int>(next() % 6);
        for (int f = 0; f < frames; ++f) {
            std::string body;
            const int len = 1 + static_cast<int>(next() % 40);
            for (int i = 0; i < len; ++i) {
                char c = static_cast<char>(next() % 256);
                if (c == '\x01' || c == '\x02') c = 'z';
                body.push_back(c);
            }
            expected.push_back(body);
            stream += FS + body + FX;
        }
        FrameDecoder dec;
        std::vector<std::string> got;
        std::size_t pos = 0;
        while (pos < stream.size()) {
            const std::size_t n = std::min<std::size_t>(stream.size() - pos, 1 + next() % 17);
            for (auto& f : dec.feed(std::string_view(stream).substr(pos, n))) got.push_back(f);
            pos += n;
        }
        ASSERT_EQ(got, expected) << "round " << round;
        EXPECT_EQ(dec.tail(), "");
    }
}
