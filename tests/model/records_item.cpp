// Instrument record: spread rules, tick correction and name tables.
#include <gtest/gtest.h>

#include <cmath>

#include "model/item_details.h"

using model::ItemDetails;
using model::PriceUpdate;

namespace {

PriceUpdate tick(const char* code, double bid, double ask) {
    PriceUpdate p;
    p.ItemCode = code;
    p.Bid = bid;
    p.Ask = ask;
    return p;
}

ItemDetails instrument(int spreadType, int bidSpread, int askSpread, double tickSize, double priceTick) {
    ItemDetails i;
    i.Code = "GOLD";
    i.Spreadtype = spreadType;
    i.BidSpread = bidSpread;
    i.AskSpread = askSpread;
    i.TickSize = tickSize;
    i.priceTick = priceTick;
    return i;
}

}  // namespace

TEST(TickCorrection, RoundsToTheTickHalfDown) {
    ItemDetails i;
    i.TickSize = 0.5;
    EXPECT_DOUBLE_EQ(i.DoMidPriceTickCorrection(101.2), 101.0);
    EXPECT_DOUBLE_EQ(i.DoMidPriceTickCorrection(101.3), 101.5);
    EXPECT_DOUBLE_EQ(i.DoMidPriceTickCorrection(101.25), 101.0);
    EXPECT_DOUBLE_EQ(i.DoMidPriceTickCorrection(101.5), 101.5);
}

TEST(TickCorrection, NoTickSizeMeansNoCorrection) {
    ItemDetails i;
    for (double t : {0.0, -0.5, std::nan("")}) {
        i.TickSize = t;
        const double v = i.DoMidPriceTickCorrection(101.2);
        EXPECT_FALSE(std::isnan(v)) << t;
        EXPECT_EQ(v, 101.2) << t;
    }
}

TEST(ApplySpread, FixedSpreadAroundTheCorrectedMid) {
    const ItemDetails i = instrument(1, 2, 3, 0.25, 0.25);
    PriceUpdate p = tick("GOLD", 100.0, 100.5);
    i.ApplySpread(p);
    EXPECT_DOUBLE_EQ(p.Bid, 99.75);
    EXPECT_DOUBLE_EQ(p.Ask, 101.0);

    const ItemDetails noUnit = instrument(1, 2, 3, 0.25, 0.0);
    p = tick("GOLD", 100.0, 100.5);
    noUnit.ApplySpread(p);
    EXPECT_DOUBLE_EQ(p.Bid, 100.25);
    EXPECT_DOUBLE_EQ(p.Ask, 100.25);

    // Without a tick size the mid is not corrected, and no NaN comes out.
    const ItemDetails noTick = instrument(1, 1, 1, 0.0, 0.1);
    p = tick("GOLD", 100.0, 100.3);
    noTick.ApplySpread(p);
    EXPECT_DOUBLE_EQ(p.Bid, 100.05);
    EXPECT_DOUBLE_EQ(p.Ask, 100.25);
}

TEST(ApplySpread, OnlyForOwnTicksWithBothPrices) {
    const ItemDetails i = instrument(1, 2, 3, 0.25, 0.25);
    PriceUpdate other = tick("SILVER", 100.0, 100.5);
    i.ApplySpread(other);
    EXPECT_EQ(other.Bid, 100.0);
    EXPECT_EQ(other.Ask, 100.5);

    for (int type : {1, 2, 3}) {
        const ItemDetails t = instrument(type, 2, 3, 0.25, 0.25);
        PriceUpdate noBid = tick("GOLD", 0.0, 100.5);
        t.ApplySpread(noBid);
        EXPECT_EQ(noBid.Bid, 0.0);
        EXPECT_EQ(noBid.Ask, 100.5);
        PriceUpdate noAsk = tick("GOLD", 100.0, 0.0);
        t.ApplySpread(noAsk);
        EXPECT_EQ(noAsk.Bid, 100.0);
        EXPECT_EQ(noAsk.Ask, 0.0);
    }
}

TEST(ApplySpread, MinimumSpreadIsStrict) {
    const ItemDetails i = instrument(2, 1, 1, 0.25, 0.25);
    PriceUpdate exact = tick("GOLD", 100.0, 100.5);  // 2 ticks wide
    i.ApplySpread(exact);
    EXPECT_EQ(exact.Bid, 100.0);
    EXPECT_EQ(exact.Ask, 100.5);

    PriceUpdate narrow = tick("GOLD", 100.0, 100.375);  // 1.5 ticks: mid 100.1875 -> 100.25
    i.ApplySpread(narrow);
    EXPECT_DOUBLE_EQ(narrow.Bid, 100.0);
    EXPECT_DOUBLE_EQ(narrow.Ask, 100.5);

    // No spread unit: the market spread has no size in ticks, nothing applies.
    const ItemDetails noUnit = instrument(2, 1, 1, 0.25, 0.0);
    PriceUpdate p = tick("GOLD", 100.0, 100.375);
    noUnit.ApplySpread(p);
    EXPECT_EQ(p.Bid, 100.0);
    EXPECT_EQ(p.Ask, 100.375);
}

TEST(ApplySpread, TopupWidensAndOtherRulesDoNothing) {
    const ItemDetails topup = instrument(3, 2, 1, 0.5, 0.01);
    PriceUpdate p = tick("GOLD", 100.03, 100.07);
    topup.ApplySpread(p);
    EXPECT_DOUBLE_EQ(p.Bid, 100.01);
    EXPECT_DOUBLE_EQ(p.Ask, 100.08);

    for (int type : {0, 4, 5, -1}) {
        const ItemDetails none = instrument(type, 2, 1, 0.5, 0.01);
        PriceUpdate q = tick("GOLD", 100.03, 100.07);
        none.ApplySpread(q);
        EXPECT_EQ(q.Bid, 100.03) << type;
        EXPECT_EQ(q.Ask, 100.07) << type;
    }
}

TEST(PriceUpdateSpread, AbsoluteWidthInTicks) {
    EXPECT_DOUBLE_EQ(tick("X", 100.0, 100.5).GetSpread(0.25), 2.0);
    EXPECT_DOUBLE_EQ(tick("X", 100.5, 100.0).GetSpread(0.25), 2.0);
}

TEST(ItemNames, TradingStatusAndUnits) {
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(0), "Unknown");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(1), "Active");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(2), "CloseOnly");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(3), "Expired");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(4), "Disabled");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(5), "");
    EXPECT_EQ(ItemDetails::getInstrumentTradingStatus(-1), "");

    EXPECT_EQ(ItemDetails::getUnits(0), "");
    EXPECT_EQ(ItemDetails::getUnits(1), "MegawattHours");
    EXPECT_EQ(ItemDetails::getUnits(8), "pounds");
    EXPECT_EQ(ItemDetails::getUnits(9), "TroyOunces");
    EXPECT_EQ(ItemDetails::getUnits(11), "BillionCubicFeet");
    EXPECT_EQ(ItemDetails::getUnits(12), "Bushels");
    EXPECT_EQ(ItemDetails::getUnits(20), "MillionBritishThermalUnit");
    EXPECT_EQ(ItemDetails::getUnits(22), "Bale");
    EXPECT_EQ(ItemDetails::getUnits(23), "");
}

TEST(ItemStatus, ActiveOnlyForStatusOne) {
    ItemDetails i;
    EXPECT_FALSE(i.isInstrumentTradingStatusActive());
    i.instrumentTradingStatus = ItemDetails::instrumentTradingStatusFor(1);
    EXPECT_TRUE(i.isInstrumentTradingStatusActive());
    EXPECT_EQ(ItemDetails::instrumentTradingStatusFor(4), 4);
    EXPECT_EQ(ItemDetails::instrumentTradingStatusFor(5), 0);
    EXPECT_EQ(ItemDetails::instrumentTradingStatusFor(-2), 0);
}
