// The views' Qt-free rules: watchlist cell texts, price marks, the tick's
// columns, the header menu, the row-menu guard, double clicks and icons.
#include <gtest/gtest.h>

#include "views/core/price_marks.h"
#include "views/core/watchlist_actions.h"
#include "views/core/watchlist_cells.h"
#include "views/watchlist_fixture.h"

namespace views {
namespace {

namespace col = watchlist_column;

class WatchlistCellsTest : public ::testing::Test {
protected:
    std::string cell(const char* id) { return watchlistCellText(id, item.get(), *s.session); }
    testing::WatchlistSession s;
    std::shared_ptr<model::ItemDetails> item = s.item("GOLD", 1.25, 1.45);
};

TEST_F(WatchlistCellsTest, TextsByIdentifier) {
    struct Case {
        const char* id;
        std::function<void(model::ItemDetails&)> set;
        const char* text;
    } cases[] = {
        {col::kSpread, [](auto& i) { i.Bid = 1.0, i.Ask = 1.2, i.priceTick = 0.01; }, "20"},
        {col::kSpread, [](auto& i) { i.Bid = 1.0, i.Ask = 1.25, i.priceTick = 0.1; }, "2.5"},
        {col::kSpread, [](auto& i) { i.priceTick = 0; }, "0"},
        {col::kSpread, [](auto& i) { i.Bid = i.Ask = 3, i.priceTick = 0.5; }, "0"},
        {col::kOpen, [](auto& i) { i.Open = 2.5, i.DecimalPlaces = 0; }, "2.50"},
        {col::kHigh, [](auto& i) { i.High = 2.5, i.DecimalPlaces = 3; }, "2.500"},
        {col::kLast, [](auto& i) { i.Last = 7, i.DecimalPlaces = 1; }, "7.0"},
        {col::kTime, [](auto&) {}, "14:30:05"},
        {col::kTime, [](auto& i) { i.UpdateTime = ""; }, ""},
        {col::kTime, [](auto& i) { i.UpdateTime = "garbage"; }, ""},
        {col::kSession, [](auto& i) { i.CurrentTradeSessionSettingId = 2; }, "Closed"},
        {col::kSession, [](auto& i) { i.CurrentTradeSessionSettingId = 9; }, ""},
        {col::kStatus, [](auto& i) { i.instrumentTradingStatus = 0; }, "Unknown"},
        {col::kStatus, [](auto& i) { i.instrumentTradingStatus = 4; }, "Disabled"},
        {col::kStatus, [](auto& i) { i.instrumentTradingStatus = 7; }, ""},
        {col::kTypeName, [](auto& i) { i.InstrumentTypeId = 2, i.InstrumentTypeName = "Shares"; }, "Currencies"},
        {col::kTypeName, [](auto& i) { i.InstrumentTypeId = 99; }, ""},
        {col::kCode, [](auto&) {}, "GOLD"},
        {col::kBid, [](auto&) {}, ""},  // drawn by the decoration
        {col::kIcon, [](auto&) {}, ""},
        {"9999", [](auto&) {}, ""},
    };
    for (const Case& c : cases) {
        model::ItemDetails saved = *item;
        c.set(*item);
        EXPECT_EQ(cell(c.id), c.text) << c.id << " -> " << c.text;
        *item = saved;
    }
    EXPECT_EQ(watchlistCellText(col::kCode, nullptr, *s.session), "");  // a code without a record
    EXPECT_EQ(spreadText(1.0 / 0.0, 1, 1), "");                           // never "inf"
    EXPECT_EQ(spreadText(1.0, 1.25, 0.01), "-25");
}

TEST(PriceMarks, EachViewComparesWithWhatItShowed) {
    LastShownPrices mine, other;
    EXPECT_EQ(mine.show("A", 1.5, 1.6).bid, PriceMove::Rise);  // first drawing against 0
    EXPECT_EQ(mine.show("A", 1.5, 1.6).ask, PriceMove::Unchanged);
    const auto fall = mine.show("A", 1.4, 1.7);
    EXPECT_EQ(fall.bid, PriceMove::Fall);
    EXPECT_EQ(fall.ask, PriceMove::Rise);
    // Another view drawing the same record sees its own change.
    EXPECT_EQ(other.show("A", 1.4, 1.7).bid, PriceMove::Rise);
    EXPECT_EQ(mine.show("B", -1, 0).bid, PriceMove::Fall);

    EXPECT_EQ(moveColor(PriceMove::Rise), (model::RGBAColor{0, 0.6, 0, 1}));
    EXPECT_EQ(moveColor(PriceMove::Fall), (model::RGBAColor{230 / 255.0, 0, 38 / 255.0, 1}));
    EXPECT_FALSE(moveColor(PriceMove::Unchanged));
    EXPECT_EQ(priceTextColor(0), (model::RGBAColor{1, 1, 1, 0.9}));
    EXPECT_EQ(priceTextColor(1), (model::RGBAColor{0, 0, 0, 0.7}));
    EXPECT_FALSE(priceTextColor(2));
    // On the mark colours and dark session colours white text, on light ones black.
    const model::RGBAColor white{1, 1, 1, 1};
    EXPECT_EQ(readableTextOn(*moveColor(PriceMove::Rise)), white);
    EXPECT_EQ(readableTextOn(*moveColor(PriceMove::Fall)), white);
    EXPECT_EQ(readableTextOn(model::RGBAColor::fromRGB(0xFF0000)), white);
    EXPECT_NE(readableTextOn(model::RGBAColor::fromRGB(0xFFA500)), white);
    EXPECT_NE(readableTextOn(model::RGBAColor::fromRGB(0xFFFF00)), white);
}

TEST(PriceMarks, CodeCellShowsSessionsFromTwoUp) {
    model::SessionSettings s;
    s.sessionColor = model::RGBAColor::fromRGB(0xFF0000);
    EXPECT_FALSE(codeCellColor(nullptr));
    for (std::uint64_t id : {0u, 1u, 2u}) {
        s.settingsID = id;
        EXPECT_EQ(codeCellColor(&s), id < 2 ? std::nullopt : s.sessionColor) << id;
    }
}

TEST(WatchlistActions, DoubleClickOutcomes) {
    model::ItemDetails active, closed;
    active.instrumentTradingStatus = 1;
    closed.instrumentTradingStatus = 2;
    const std::string icon = "0", bid = "0192";
    using D = WatchlistDoubleClick;
    struct Case {
        DoubleClickPlace place;
        const model::ItemDetails* record;
        D outcome;
    } cases[] = {
        {{true, &bid, 0, 3}, &active, D::Nothing},    // on the header
        {{false, nullptr, 0, 3}, &active, D::Nothing},  // outside the columns
        {{false, &icon, -1, 3}, nullptr, D::Details},
        {{false, &bid, 0, 3}, &active, D::Ticket},
        {{false, &bid, 0, 3}, &closed, D::NotTradable},
        {{false, &bid, 0, 3}, nullptr, D::NotTradable},  // a code without a record
        {{false, &bid, -1, 3}, &active, D::Nothing},      // nothing selected
        {{false, &bid, 0, 0}, &active, D::Nothing},       // an empty watchlist
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(watchlistDoubleClick(cases[i].place, cases[i].record), cases[i].outcome) << i;
}

}  // namespace
}  // namespace views
