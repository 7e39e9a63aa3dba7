#include "platform/property_list.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/paths.h"
#include "platform/test_env.h"

using namespace platform;

namespace {

const char* kLogin = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>General</key>
	<dict>
		<key>ProductName</key>
		<string>Demo &amp; Co &#x263A;</string>
		<key>LiveModeAvailable</key>
		<true/>
		<key>Show account currency</key>
		<false/>
		<key>BaseCurrencyAvailable</key>
		<string>YES</string>
		<!-- a comment -->
		<key>Empty</key>
		<string/>
	</dict>
	<key>LiveMode</key>
	<dict>
		<key>IPAddress</key>
		<string>127.0.0.1</string>
		<key>PortNo</key>
		<string>5000</string>
	</dict>
	<key>SimulationMode</key>
	<dict>
		<key>PortNo</key>
		<integer>17001</integer>
		<key>Ratio</key>
		<real>-2.5e1</real>
		<key>Blob</key>
		<data>
		AAEC/w==
		</data>
		<key>When</key>
		<date>2024-01-02T03:04:05Z</date>
		<key>List</key>
		<array><string>a</string><integer>2</integer><array/></array>
	</dict>
</dict>
</plist>
)";

}  // namespace

TEST(PropertyList, ReadsEveryKindWithThePlatformReadings) {
    PlistValue root = PropertyList::parse(kLogin);
    ASSERT_EQ(root.type, PlistValue::Type::Dict);
    const PlistValue& general = root["General"];
    EXPECT_EQ(general["ProductName"].stringValue(), "Demo & Co \xE2\x98\xBA");
    EXPECT_TRUE(general["LiveModeAvailable"].boolValue());
    EXPECT_FALSE(general["Show account currency"].boolValue());
    EXPECT_TRUE(general["BaseCurrencyAvailable"].boolValue());
    EXPECT_EQ(general["Empty"].type, PlistValue::Type::String);
    EXPECT_EQ(general["Empty"].stringValue(), "");
    EXPECT_EQ(root["LiveMode"]["PortNo"].integerValue(), 5000);
    EXPECT_EQ(root["LiveMode"]["IPAddress"].stringValue(), "127.0.0.1");
    const PlistValue& sim = root["SimulationMode"];
    EXPECT_EQ(sim["PortNo"].integerValue(), 17001);
    EXPECT_EQ(sim["PortNo"].stringValue(), "17001");
    EXPECT_DOUBLE_EQ(sim["Ratio"].doubleValue(), -25.0);
    EXPECT_EQ(sim["Ratio"].integerValue(), -25);
    EXPECT_EQ(sim["Blob"].text, std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(sim["When"].stringValue(), "2024-01-02T03:04:05Z");
    ASSERT_EQ(sim["List"].array.size(), 3u);
    EXPECT_EQ(sim["List"].array[1].integerValue(), 2);
    EXPECT_EQ(sim["List"].array[2].type, PlistValue::Type::Array);
}

TEST(PropertyList, MissingSectionKeyOrFileGivesEmptyNoAndZero) {
    PlistValue root = PropertyList::parse(kLogin);
    const PlistValue& missing = root["NoSection"]["NoKey"];
    EXPECT_TRUE(missing.isNone());
    EXPECT_EQ(missing.stringValue(), "");
    EXPECT_FALSE(missing.boolValue());
    EXPECT_EQ(missing.integerValue(), 0);
    EXPECT_TRUE(root["General"]["ProductName"]["deeper"].isNone());
    EXPECT_TRUE(PropertyList::readFile("/nonexistent/LoginPropertyList.plist").isNone());
}

TEST(PropertyList, InputThatIsNotAPropertyListGivesNone) {
    const char* bad[] = {
        "",
        "PortNo=5000",
        "<plist><dict><key>a</key><string>x</dict></plist>",       // mismatched close
        "<plist><dict><key>a</key></dict></plist>",                // key without value
        "<plist><dict><string>x</string></dict></plist>",          // value without key
        "<plist><string>a &bogus; b</string></plist>",             // unknown entity
        "<plist><string>unterminated",                             // truncated
        "<plist><data>@@@@</data></plist>",                        // not Base64
        "<plist><string>x</string></plist><plist/>",               // trailing content
        "<plist><unknown>1</unknown></plist>",
    };
    for (const char* doc : bad) EXPECT_TRUE(PropertyList::parse(doc).isNone()) << doc;
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    EXPECT_TRUE(PropertyList::parse(deep).isNone());
}

TEST(PropertyList, FileIsReadAgainOnEveryLookup) {
    platform::testing::TempDir dir;
    std::string path = dir / "LoginPropertyList.plist";
    ASSERT_TRUE(Paths::writeFileAtomically(path, "<plist><dict><key>PortNo</key><string>5000</string></dict></plist>"));
    EXPECT_EQ(PropertyList::readFile(path)["PortNo"].integerValue(), 5000);
    ASSERT_TRUE(Paths::writeFileAtomically(path, "<plist><dict><key>PortNo</key><integer>6000</integer></dict></plist>"));
    EXPECT_EQ(PropertyList::readFile(path)["PortNo"].integerValue(), 6000);
}

TEST(PropertyList, SerializeReadsBack) {
    PlistValue root = PropertyList::parse(kLogin);
    PlistValue again = PropertyList::parse(PropertyList::serialize(root));
    EXPECT_EQ(again["General"]["ProductName"].stringValue(), "Demo & Co \xE2\x98\xBA");
    EXPECT_EQ(again["SimulationMode"]["Blob"].text, std::string("\x00\x01\x02\xff", 4));
    EXPECT_DOUBLE_EQ(again["SimulationMode"]["Ratio"].doubleValue(), -25.0);
    EXPECT_TRUE(again["General"]["LiveModeAvailable"].boolValue());
}

TEST(Readings, BooleanReading) {
    for (const char* yes : {"YES", "yes", "true", "T", "1", " 007", "  +0007", "-1", "9", "\t\nY"})
        EXPECT_TRUE(readBool(yes)) << yes;
    for (const char* no : {"", "0", "no", "NO", "false", "000", " +0", "abc", "+", "-0x"})
        EXPECT_FALSE(readBool(no)) << no;
}

TEST(Readings, IntegerReadingStopsAtTheFirstNonDigitAndClamps) {
    EXPECT_EQ(readInteger("5000"), 5000);
    EXPECT_EQ(readInteger("  -42abc"), -42);
    EXPECT_EQ(readInteger("+7"), 7);
    EXPECT_EQ(readInteger("12.9"), 12);
    EXPECT_EQ(readInteger("abc"), 0);
    EXPECT_EQ(readInteger(""), 0);
    EXPECT_EQ(readInteger("999999999999999999"), 999999999999999999);
    EXPECT_EQ(readInteger("-999999999999999999x"), -999999999999999999);
    EXPECT_EQ(readInteger("0000000000000000000000042"), 42);
    EXPECT_EQ(readInteger("-"), 0);
    EXPECT_EQ(readInteger("1000000000000000000"), 1000000000000000000);
    EXPECT_EQ(readInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(readInteger("9223372036854775808"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(readInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(readInteger("-99999999999999999999"), std::numeric_limits<std::int64_t>::min());
}

TEST(Readings, DoubleReading) {
    EXPECT_DOUBLE_EQ(readDouble(" 1.5"), 1.5);
    EXPECT_DOUBLE_EQ(readDouble("-2.25xyz"), -2.25);
    EXPECT_DOUBLE_EQ(readDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(readDouble("5."), 5.0);
    EXPECT_DOUBLE_EQ(readDouble("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(readDouble("1e"), 1.0);
    EXPECT_DOUBLE_EQ(readDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(readDouble("."), 0.0);
    EXPECT_EQ(readDouble("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readDouble("1e-999"), 0.0);
}
