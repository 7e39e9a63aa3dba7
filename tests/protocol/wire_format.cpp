#include "protocol/wire_format.h"

#include <gtest/gtest.h>

#include "protocol/separator_bytes.h"
#include "protocol/tag_map.h"

#define FS "\x01"
#define FE "\x03"
#define FX "\x02"
#define COL "\x05"
#define ROW "\x06"
#define SEC "\x07"

using namespace protocol;

TEST(WireFormat, SeparatorBytesHaveTheirValues) {
    EXPECT_EQ(FrameStartByte, '\x01');
    EXPECT_EQ(FrameEndByte, '\x02');
    EXPECT_EQ(FieldEndByte, '\x03');
    EXPECT_EQ(TickFieldByte, '\x04');
    EXPECT_EQ(ColumnByte, '\x05');
    EXPECT_EQ(RowByte, '\x06');
    EXPECT_EQ(SectionByte, '\x07');
}

TEST(WireFormat, FramesABodyWithItsLength) {
    std::string body;
    appendField(body, 10, std::string_view("1018"));
    std::uint64_t length = 0;
    EXPECT_EQ(frameMessage(body, &length), std::string(FS "8" FE "10=1018" FE FX));
    EXPECT_EQ(length, 8u);
}

TEST(WireFormat, MissingEmptyAndEqualsValues) {
    std::string body;
    appendField(body, 23, nullptr);
    const std::string empty;
    appendField(body, 103, &empty);
    appendField(body, 27, std::string_view("QUJD=="));
    EXPECT_EQ(body, std::string("23=(null)" FE "103=" FE "27=QUJD==" FE));
}

TEST(WireFormat, LengthIsUtf16CountNotBytes) {
    // "é" is two bytes and one unit; the emoji is four bytes and two units.
    const std::string body = "17=caf\xC3\xA9 \xF0\x9F\x98\x80" FE;
    EXPECT_EQ(body.size(), 14u);
    EXPECT_EQ(utf16Length(body), 11u);
    EXPECT_EQ(frameMessage(body), std::string(FS "11" FE) + body + FX);
    // A stray byte counts one.
    EXPECT_EQ(utf16Length("a\xFF" "b"), 3u);
    EXPECT_FALSE(isValidUtf8("a\xFF" "b"));
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));       // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));   // surrogate
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));       // cut short
    EXPECT_TRUE(isValidUtf8("\xE2\x82\xAC"));
}

TEST(WireFormat, SeparatorChecksForPlainAndRecordValues) {
    EXPECT_TRUE(isSafePlainValue("plain text = fine"));
    for (char c = 0x01; c <= 0x07; ++c) {
        EXPECT_FALSE(isSafePlainValue(std::string("a") + c)) << int(c);
    }
    EXPECT_TRUE(isSafePlainValue(std::string("a\x08\x1F")));
    EXPECT_TRUE(isSafeRecordValue("1" COL "2" ROW SEC));
    EXPECT_FALSE(isSafeRecordValue("1" COL "2" FE));
    EXPECT_FALSE(isSafeRecordValue("1\x04"));
    for (int tag : {91, 159, 505, 583, 1059}) EXPECT_TRUE(isRecordTag(tag)) << tag;
    for (int tag : {10, 17, 27, 535, 1050}) EXPECT_FALSE(isRecordTag(tag)) << tag;
}

TEST(RecordWriter, AssemblesRecordsAndRefusesSeparatorsInFields) {
    // A bulk order's tag 91: account, quantity, request id per record.
    RecordWriter bulk;
    for (int account : {101, 102, 103}) bulk.field(account).column().fixed6(1.5).column().field(42).row();
    EXPECT_EQ(bulk.value(), std::string("101" COL "1.500000" COL "42" ROW "102" COL "1.500000" COL "42" ROW
                                        "103" COL "1.500000" COL "42" ROW));

    RecordWriter bad;
    bad.field("room").column().field("id" COL "injected").row();
    EXPECT_FALSE(bad.ok());
    EXPECT_FALSE(bad.value().has_value());
    EXPECT_FALSE(bad.error().empty());

    EXPECT_EQ(chatAcknowledgementValue("lobby", "m-7"), std::string("lobby" COL "m-7"));
    EXPECT_FALSE(chatAcknowledgementValue("lob" FE "by", "m-7").has_value());
    EXPECT_EQ(userAccountAccessRow(12, 3456, 1), std::string("12" COL "3456" COL "1" COL ROW));
}

TEST(WireFormat, CompressedPayloadLosesOnlyItsLeadingPrefix) {
    EXPECT_EQ(compressedPayloadOfField("1050=H4sIAAAA"), "H4sIAAAA");
    EXPECT_EQ(compressedPayloadOfField("1050=QUJD1050="), "QUJD1050=");
    EXPECT_EQ(compressedPayloadOfField("QUJD"), "QUJD");
}

TEST(TagMap, ReplacesKeepsOrderAndWritesNumbers) {
    TagMap m;
    m.set(23, "a");
    m.setNumber(10, 1018);
    m.set(23, "b");
    m.setNumber(1038, 100.5);
    m.setNumber(1060, 0.0);
    m.setNumber(564, 250.0);
    m.setNumber(145, 18446744073709551615ull);
    EXPECT_EQ(*m.find(23), "b");
    EXPECT_EQ(*m.find(10), "1018");
    EXPECT_EQ(*m.find(1038), "100.5");
    EXPECT_EQ(*m.find(1060), "0");
    EXPECT_EQ(*m.find(564), "250");
    EXPECT_EQ(*m.find(145), "18446744073709551615");
    EXPECT_EQ(m.begin()->first, 23);
    EXPECT_EQ(m.find(99), nullptr);
    m.erase(23);
    EXPECT_FALSE(m.contains(23));
    EXPECT_EQ(m.size(), 5u);
}

// Past the scanned size: every tag on one filter bit, one replaced, one erased.
TEST(TagMap, LargeMapsKeepOrderThroughReplaceAndErase) {
    constexpr std::int64_t kTags = 100;
    TagMap m;
    for (std::int64_t t = 0; t < kTags; ++t) m.set(t * 64, std::to_string(t));
    m.set(0, "again");
    m.erase(50 * 64);
    m.set(kTags * 64, "last");
    ASSERT_EQ(m.size(), static_cast<std::size_t>(kTags));
    std::int64_t expected = 0;
    for (const auto& [tag, value] : m) {
        if (expected == 50) ++expected;
        EXPECT_EQ(tag, expected * 64);
        EXPECT_EQ(*m.find(tag), value);
        ++expected;
    }
    EXPECT_EQ(*m.find(0), "again");
    EXPECT_FALSE(m.contains(50 * 64));
}

// Reserved room holds every tag without moving the entries, below, at and
// above the size from which the index is used, and lookups stay right.
TEST(TagMap, ReservedMapsNeitherMoveNorMisfind) {
    const std::size_t sizes[] = {5, TagMap::kIndexedFrom - 1, TagMap::kIndexedFrom, 2000};
    for (const std::size_t reserved : sizes) {
        for (const std::size_t stored : {std::size_t{3}, reserved}) {
            TagMap m;
            m.reserve(reserved);
            m.set(1, "first");
            const auto* const start = &*m.begin();
            for (std::size_t t = 2; t <= stored; ++t) m.setNumber(static_cast<std::int64_t>(t * 64), t);
            EXPECT_EQ(&*m.begin(), start) << reserved << " " << stored;
            m.erase(1);
            for (std::size_t t = 2; t <= stored; ++t)
                EXPECT_EQ(*m.find(static_cast<std::int64_t>(t * 64)), std::to_string(t)) << reserved << " " << t;
            EXPECT_FALSE(m.contains(1));
            EXPECT_FALSE(m.contains(65));
        }
    }
}
