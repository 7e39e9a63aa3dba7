// Ticks, market depth and status messages of the price feed, decoded and applied.
#include "state/price_feed.h"
#include "state/tick_cut.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "state/byte_scan_tick_mask.h"
#include "state/double_tick_decoder.h"

namespace state {
namespace {

std::string tick(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "\x04" : "") + fields[i];
    return out;
}

class PriceFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* code : {"EURUSD", "GOLD", "12345"}) {
            auto item = std::make_shared<model::ItemDetails>();
            item->Code = code;
            items[code] = item;
        }
    }
    // Decodes one feed text and applies what it carries, as the session does.
    void checkZMQNewMessage(std::string_view text) {
        PriceFeed::Values values = PriceFeed::decode(text);
        if (auto* tick = std::get_if<model::PriceUpdate>(&values)) {
            auto it = items.find(tick->ItemCode);
            if (it != items.end()) PriceFeed::UpdateItemCollection(*it->second, *tick);
        } else if (auto* d = std::get_if<MarketDepthUpdate>(&values)) {
            depth.push_back(std::move(*d));
        } else if (auto* status = std::get_if<StatusFrame>(&values)) {
            statusFrames.push_back(status->frame);
        }
    }
    model::ItemDetails& item(const std::string& code) { return *items.at(code); }
    void setPrices(const std::string& code, double v) {
        auto& i = item(code);
        i.Last = i.Bid = i.Ask = i.High = i.Low = i.Open = i.PrevClose = i.DayOpen = v;
    }

    std::map<std::string, std::shared_ptr<model::ItemDetails>> items;
    std::vector<MarketDepthUpdate> depth;
    std::vector<std::string> statusFrames;
};

// The eleven fields of a whole tick: code, 2 January 2024 10:30:00, base 1,
// seven prices scaled by 10^4, and the decimal count 4.
const std::string kEurusd =
    "EURUSD\x04" "20240102103000\x04" "1\x04" "835\x04" "830\x04" "840\x04" "900\x04" "800\x04" "810\x04" "820\x04" "4";

TEST_F(PriceFeedTest, AWholeTickMovesEveryPriceButDayOpen) {
    item("EURUSD").DayOpen = 7.0;
    checkZMQNewMessage(kEurusd);
    const auto& i = item("EURUSD");
    EXPECT_EQ(i.UpdateTime, "01/02/2024 10:30:00");
    EXPECT_DOUBLE_EQ(i.Last, 1.0835);
    EXPECT_DOUBLE_EQ(i.Bid, 1.083);
    EXPECT_DOUBLE_EQ(i.Ask, 1.084);
    EXPECT_DOUBLE_EQ(i.High, 1.09);
    EXPECT_DOUBLE_EQ(i.Low, 1.08);
    EXPECT_DOUBLE_EQ(i.Open, 1.081);
    EXPECT_DOUBLE_EQ(i.PrevClose, 1.082);
    EXPECT_DOUBLE_EQ(i.DayOpen, 7.0);
    EXPECT_TRUE(i.isPriceUpdateReceived);
    EXPECT_FALSE(item("GOLD").isPriceUpdateReceived);
}

TEST_F(PriceFeedTest, DecodedFieldsAndScaling) {
    auto p = PriceFeed::PriceUpdateDecode(kEurusd);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ItemCode, "EURUSD");
    EXPECT_DOUBLE_EQ(p->DotPosition, 10000.0);
    // Days the quick path leaves to the formatter.
    p = PriceFeed::PriceUpdateDecode(tick({"X", "20240131235959", "0", "5", "0"}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Time, "01/31/2024 23:59:59");
    EXPECT_DOUBLE_EQ(p->Last, 5.0);
    // The server's null dates show no time.
    for (const char* null : {"00010101000000", "00000101000000"})
        EXPECT_EQ(PriceFeed::PriceUpdateDecode(tick({"X", null, "0", "5", "0"}))->Time, "") << null;
    // Fields between index 9 and the last are ignored; the last is the decimal count.
    p = PriceFeed::PriceUpdateDecode(
        tick({"X", "20240102103000", "0", "1", "2", "3", "4", "5", "6", "7", "999", "999", "1"}));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->Last, 0.1);
    EXPECT_DOUBLE_EQ(p->PreviousClose, 0.7);
    // The base is added unscaled; six decimals after the division and after the base.
    p = PriceFeed::PriceUpdateDecode(tick({"X", "20240102103000", "100.25", "1234567", "1", "7"}));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->Last, 100.373457);  // 0.1234567 -> 0.123457, + 100.25
}

TEST_F(PriceFeedTest, MissingEmptyAndMarkerFieldsLeaveThePrice) {
    setPrices("EURUSD", 2.0);
    // Empty bid, non-numeric ask, last whose scaled value prints as -1.000000.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "5", "-1", "", "abc", "3", "0", "", "", "0"}));
    const auto& i = item("EURUSD");
    EXPECT_DOUBLE_EQ(i.Last, 2.0);  // the marker is not -1 + 5
    EXPECT_DOUBLE_EQ(i.Bid, 2.0);
    EXPECT_DOUBLE_EQ(i.Ask, 2.0);
    EXPECT_DOUBLE_EQ(i.High, 8.0);
    EXPECT_DOUBLE_EQ(i.Low, 5.0);  // 0 + base is a price
    EXPECT_DOUBLE_EQ(i.Open, 2.0);
    EXPECT_DOUBLE_EQ(i.PrevClose, 2.0);
    // A price past the largest double with its base is no price either.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "1e308", "1e308", "0"}));
    EXPECT_DOUBLE_EQ(i.Last, 2.0);
    // The feed reader's conflation sees the same prices: high and low only (bits 3 and 4).
    EXPECT_EQ(PriceFeed::tickPriceFields(tick({"EURUSD", "20240102103000", "5", "-1", "", "abc", "3", "0", "", "",
                                               "0"})),
              0b11000u);
    EXPECT_EQ(PriceFeed::tickPriceFields("no tick"), 0u);
}

TEST_F(PriceFeedTest, IntegerReadingAndTheConflationMaskAgreeWithReadingDoubles) {
    const std::string t = "20240102103000";
    const std::vector<std::vector<std::string>> rows = {
        {"EURUSD", t, "1", "835", "830", "840", "900", "800", "810", "820", "4"},
        {"EURUSD", t, "5", "-1", "", "abc", "3", "0", "", "", "0"},
        {"EURUSD", t, "1e308", "1e308", "0"},
        {"EURUSD", t, "0", "0", "1e308", "1e308", "0"},
        {"EURUSD", t, "n/a", "835", "4"},
        {"EURUSD", t, "0", "5", "400"},
        {"EURUSD", t, "0", "5", "-3"},
        {"X", t, "100.25", "1234567", "1", "7"},
        // Longest plain integers, one digit past them, leading zeros.
        {"X", t, "0", "999999999999999", "9999999999999999", "00042", "0", "15"},
        {"X", t, "999999999999999", "1", "0", "", "6"},
        // Plain integers divided without rounding again: the largest at each count up to six.
        {"X", t, "7", "999999999999999", "123456789012345", "1", "6"},
        {"X", t, "0", "999999999999999", "9007199254740993", "3"},
        {"X", t, "0.5", "999999999999999", "1", "5"},
        {"X", t, "0", std::string(400, '7'), "5", "0"},
        {"X", t, std::string(400, '7'), "5", "0"},
        // Zero fields with and without a base; prices under a millionth.
        {"X", t, "0", "0", "0", "4", "7"},
        {"X", t, "3", "0", "0", "4", "7"},
        {"X", t, "", "0", "5", "6"},
        // Signs, spaces, fractions and exponents in every place.
        {"X", t, "-2", "+5", " 7", "-0", "1.5", "2e3", "4.0"},
        {"X", t, "1.5", "5", "-0"},
        {"X", t, "0", "5", "16"},
        {"X", t, "0", "5", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0"},
        {"X"},
        {"X", t},
    };
    for (std::size_t d = 0; d <= 16; ++d) {
        std::vector<std::string> row = {"X", t, "2", "123456789", "", "1", "999999999999999", "333333", std::to_string(d)};
        EXPECT_TRUE(test::agreesWithDoubles(tick(row))) << "decimals " << d;
    }
    for (const auto& row : rows) EXPECT_TRUE(test::agreesWithDoubles(tick(row))) << tick(row);
}

// The mask from either cut of the tick is that of one pass through its bytes.
TEST(TickMask, BothCutsAgreeWithOnePassThroughTheBytes) {
    std::vector<std::string> texts;
    for (const auto& entry : std::filesystem::directory_iterator(TC_SOURCE_DIR "/tests/fuzz/corpus/feed_decoder")) {
        std::ifstream in(entry.path(), std::ios::binary);
        texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Every tick of up to 12 fields from these pieces, fields 2 onwards drawn
    // by a fixed generator: empty, zeros, signs, lengths 15 and 16, other bytes.
    const std::string pieces[] = {"", "0", "00", "7", "05", "50", "-1", "1.5", "x", " 3", "999999999999999",
                                  "1000000000000000", "6", "7", "16", std::string(1, '\0')};
    std::uint64_t x = 12345;
    for (int n = 0; n < 20000; ++n) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        std::vector<std::string> fields = {"X", "20240102103000"};
        for (std::size_t f = 0, count = x % 11; f < count; ++f) fields.push_back(pieces[(x >> (4 + 4 * f)) % 16]);
        texts.push_back(tick(fields));
        texts.push_back(tick(fields) + "\x04");
    }
    for (const char* odd : {"", "\x04", "\x04\x04\x04\x04", "X\x04t\x04\x04\x04\x04", "no tick"}) texts.emplace_back(odd);
    for (const std::string& text : texts) {
        EXPECT_EQ(PriceFeed::tickPriceFields(text), test::byteScanTickMask(text)) << tick({text});
        // From each of its first 16 bytes on: every length and alignment of the blocks' tail.
        for (std::size_t from = 0; from <= std::min<std::size_t>(text.size(), 16); ++from)
            EXPECT_TRUE(tick::cutByBlocks(std::string_view(text).substr(from)) ==
                        tick::cutPortable(std::string_view(text).substr(from)))
                << tick({text}) << " from " << from;
    }
}

TEST_F(PriceFeedTest, ScaledPricesBelowHalfAMillionthAreZero) {
    auto p = PriceFeed::PriceUpdateDecode(tick({"X", "20240102103000", "0", "4", "6", "7"}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Last, 0.0);  // 0.0000004 prints as 0.000000
    EXPECT_DOUBLE_EQ(p->Bid, 0.000001);
}

TEST_F(PriceFeedTest, ADigitsOnlyCodeIsKept) {
    checkZMQNewMessage(tick({"12345", "20240102103000", "0", "15", "1"}));
    EXPECT_DOUBLE_EQ(item("12345").Last, 1.5);
}

TEST_F(PriceFeedTest, BidZeroCopiesTheAskWithoutSpread) {
    auto& i = item("EURUSD");
    i.Spreadtype = model::ItemDetails::kSpreadTopup;
    i.BidSpread = 2;
    i.AskSpread = 2;
    i.priceTick = 0.001;
    i.Bid = 1.5;
    // An empty field is no price; "0" would be the base.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "1", "", "", "840", "", "", "", "", "4"}));
    EXPECT_DOUBLE_EQ(i.Ask, 1.084);
    EXPECT_DOUBLE_EQ(i.Bid, 1.5);
    // Both sides: the spread applies.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "1", "0", "830", "840", "4"}));
    EXPECT_DOUBLE_EQ(i.Bid, 1.083 - 0.002);
    EXPECT_DOUBLE_EQ(i.Ask, 1.084 + 0.002);
    // A spread that takes a price past the largest double leaves it as it was.
    i.priceTick = 1e308;
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "0", "0", "1e308", "1e308", "0"}));
    EXPECT_DOUBLE_EQ(i.Ask, 1.084 + 0.002);
}

TEST_F(PriceFeedTest, ShortAndBrokenTicksTakeNoPriceFromTheWrongField) {
    setPrices("EURUSD", 2.0);
    setPrices("GOLD", 3.0);
    // A missing or non-numeric base counts as 0, not as -1.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "n/a", "835", "4"}));
    EXPECT_DOUBLE_EQ(item("EURUSD").Last, 0.0835);
    // The decimal count of a short tick is not read as a price.
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "1", "835", "830", "4"}));
    EXPECT_DOUBLE_EQ(item("EURUSD").Bid, 1.083);
    EXPECT_DOUBLE_EQ(item("EURUSD").Ask, 2.0);
    // No time, a one-field tick, an absurd decimal count: dropped.
    checkZMQNewMessage("EURUSD");
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "0", "5", "400"}));
    checkZMQNewMessage(tick({"EURUSD", "20240102103000", "0", "5", "-3"}));
    EXPECT_DOUBLE_EQ(item("EURUSD").Last, 1.0835);  // unchanged since the short tick
    // An unknown instrument and a 1 MB tick change nothing else.
    checkZMQNewMessage(tick({"SILVER", "20240102103000", "0", "5", "0"}));
    checkZMQNewMessage("EURUSD\x04" + std::string(1 << 20, '9'));
    checkZMQNewMessage(std::string(1 << 20, '\x04'));
    EXPECT_DOUBLE_EQ(item("GOLD").Last, 3.0);
    EXPECT_FALSE(item("GOLD").isPriceUpdateReceived);
}

TEST_F(PriceFeedTest, DepthLevelsAreStoredPerCode) {
    checkZMQNewMessage("MD_GOLD;1800.5,10|1800.4,5|;1800.7,3");
    ASSERT_EQ(depth.size(), 1u);
    EXPECT_EQ(depth[0].code, "GOLD");
    EXPECT_EQ(depth[0].buy, (std::vector<std::string>{"1800.5,10", "1800.4,5"}));
    EXPECT_EQ(depth[0].sell, (std::vector<std::string>{"1800.7,3"}));
    // Without buy and sell levels, or without a code: dropped.
    checkZMQNewMessage("MD_GOLD");
    checkZMQNewMessage("MD_GOLD;1800.5,10");
    checkZMQNewMessage("MD_;1,2;3,4");
    EXPECT_EQ(depth.size(), 1u);
    // Empty sides are stored empty.
    checkZMQNewMessage("MD_GOLD;;");
    ASSERT_EQ(depth.size(), 2u);
    EXPECT_TRUE(depth[1].buy.empty());
    EXPECT_TRUE(depth[1].sell.empty());
}

TEST_F(PriceFeedTest, StatusTextsPassTheirFrameOnAndBroadcastsAreIgnored) {
    const std::string frame = "\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "574=3\x03\x02";
    checkZMQNewMessage("IS;" + frame + ";trailing");
    checkZMQNewMessage("IS;");
    checkZMQNewMessage("*#bm#*:GOLD\x04" "20240102103000\x04" "0\x04" "5\x04" "0");
    EXPECT_EQ(statusFrames, std::vector<std::string>{frame});
    EXPECT_FALSE(item("GOLD").isPriceUpdateReceived);
}

TEST_F(PriceFeedTest, StatusChangeSetsTheTradeSessionSetting) {
    auto lookup = [this](const std::string& code) -> model::ItemDetails* {
        auto it = items.find(code);
        return it == items.end() ? nullptr : it->second.get();
    };
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"10=1049", "12=GOLD", "572=1", "574=3", ""}, lookup);
    EXPECT_EQ(item("GOLD").CurrentTradeSessionSettingId, 3);
    // 0, missing, out of range, unknown instrument: nothing changes.
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"10=1049", "12=GOLD", "574=0"}, lookup);
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"10=1049", "12=GOLD"}, lookup);
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"10=1049", "12=GOLD", "574=99999999999"}, lookup);
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"10=1049", "12=NONE", "574=5"}, lookup);
    EXPECT_EQ(item("GOLD").CurrentTradeSessionSettingId, 3);
    // The last value of a repeated tag counts.
    PriceFeed::messageCrackerOnInstrumentStatusChange(FieldList{"12=EURUSD", "574=4", "12=GOLD", "574=6"}, lookup);
    EXPECT_EQ(item("GOLD").CurrentTradeSessionSettingId, 6);
    EXPECT_EQ(item("EURUSD").CurrentTradeSessionSettingId, 0);
}

TEST(PriceFeedRounding, MatchesPrintfAtTheHalves) {
    for (double v : {0.0000005, 0.0000015, 1.0000005, 2.5e-7, 123456.1234565, -0.0000004, 1e13 + 0.5, 0.1 + 0.2}) {
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%f", v);
        EXPECT_EQ(PriceFeed::roundAsPrinted(v), std::strtod(buffer, nullptr)) << buffer;
    }
}

}  // namespace
}  // namespace state
