// The Qt-free rules of the advanced watchlist, the editor, the accounts and
// the journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "model/account_details.h"
#include "model/item_details.h"
#include "model/language_string.h"
#include "model/trade_currency.h"
#include "views/core/account_cells.h"
#include "views/core/advanced_rows.h"
#include "views/core/journal_rows.h"
#include "views/core/status_words.h"
#include "views/core/watchlist_editor.h"

namespace views {
namespace {

TEST(AdvancedRows, TextsAndArrows) {
    struct Case {
        int places;
        double low, high, bid, ask, tick;
        const char *lowText, *highText, *spread;
    } cases[] = {
        {0, 7, 9, 8, 10.5, 1, "L : 7.00", "H : 9.00", "2.5"},
        {3, 1.2345, 1.5, 1.1, 1.2, 0, "L : 1.234", "H : 1.500", "0"},
    };
    for (const Case& c : cases) {
        model::ItemDetails item;
        item.Code = "GOLD";
        item.DecimalPlaces = c.places;
        item.Low = c.low, item.High = c.high, item.Bid = c.bid, item.Ask = c.ask, item.priceTick = c.tick;
        item.UpdateTime = "01/02/2024 14:30:05";
        const AdvancedRow row = advancedRow("GOLD", &item, {PriceMove::Fall, PriceMove::Rise});
        EXPECT_EQ(row.low, c.lowText);
        EXPECT_EQ(row.high, c.highText);
        EXPECT_EQ(row.spread, c.spread);
        EXPECT_EQ(row.time, "14:30:05");
        EXPECT_STREQ(arrowImageName(row.askMove), "banner_green_arrow");
        EXPECT_STREQ(arrowImageName(row.bidMove), "banner_red_arrow");
    }
    EXPECT_STREQ(arrowImageName(PriceMove::Unchanged), "");
    // The view's own baseline: the first drawing rises, an unchanged price has no arrow.
    LastShownPrices shown;
    EXPECT_EQ(shown.show("GOLD", 1, 2).ask, PriceMove::Rise);
    EXPECT_EQ(shown.show("GOLD", 1, 2).ask, PriceMove::Unchanged);
    const AdvancedRow empty = advancedRow("NOREC", nullptr, {});
    EXPECT_EQ(empty.code, "NOREC");
    EXPECT_TRUE(empty.ask.empty() && empty.low.empty());
    EXPECT_FALSE(empty.tradable);
}

TEST(JournalRows, SplitAndNewestFirst) {
    struct Case {
        const char *line, *time, *text;
    } cases[] = {
        {"10:00:01#$#Login", "10:00:01", "Login"},
        {"no separator", "no separator", ""},
        {"t#$#first#$#rest", "t", "first"},
        {"#$#", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(journalCell(c.line, kJournalTimeColumn), c.time) << c.line;
        EXPECT_EQ(journalCell(c.line, kJournalTextColumn), c.text) << c.line;
        EXPECT_EQ(journalCell(c.line, "0012"), "") << c.line;
    }
    EXPECT_EQ(journalLineIndex(0, 3), 2u);
    EXPECT_EQ(journalLineIndex(2, 3), 0u);
}

TEST(AccountCells, TextsColoursAndStatus) {
    namespace col = account_column;
    model::AccountDetails a;
    a.AccountId = 1001;
    a.Balance = 1234.5;
    a.tradingStatus = 1;
    a.tradeAccountType = 14;  // no such type
    a.accountaccessType = 1;
    EXPECT_EQ(accountCellText(col::kBalance, a), "1,234.50");
    EXPECT_EQ(accountCellText(col::kId, a), "1001");
    EXPECT_EQ(accountCellText(col::kType, a), "");
    const auto keyed = [](const std::string& key) { return "<" + key + ">"; };
    EXPECT_EQ(accountCellText(col::kAccess, a, keyed), "<90884>");
    EXPECT_EQ(accountCellText(col::kCurrency, a), "");
    a.tradeCurrency = std::make_shared<model::TradeCurrency>();
    a.tradeCurrency->currencyCode = "USD";
    EXPECT_EQ(accountCellText(col::kCurrency, a), "USD");
    EXPECT_EQ(accountCellText("9999", a), "");

    const model::RGBAColor green{0, 0.6, 0, 1}, red{0.6, 0, 0, 1};
    for (const char* id : {col::kProfitLoss, col::kLeverage, col::kEquity, col::kAvailableMargin}) {
        for (const auto& [value, colour] : {std::pair{0.0, green}, std::pair{-0.01, red}}) {
            a.UnrealisedPL = a.Leverage = a.Equity = a.AvailableMargin = value;
            const auto shown = accountFigureColor(id, a);
            ASSERT_TRUE(shown) << id;
            EXPECT_EQ(std::tie(shown->red, shown->green, shown->blue), std::tie(colour.red, colour.green, colour.blue));
        }
    }
    EXPECT_FALSE(accountFigureColor(col::kBalance, a));
    EXPECT_EQ(accountStatusStyle(a).pointSize, 12);
    a.tradingStatus = model::AccountDetails::kStatusEquityHit;
    EXPECT_TRUE(accountStatusStyle(a).alarm);
    EXPECT_EQ(accountStatusStyle(a).pointSize, 13);
}

// Each value the server sends reads as its English name in the English table; a
// value without a name reads as nothing, never as a word.
TEST(StatusWords, KeyedByTheValueTheServerSends) {
    using model::AccountDetails;
    struct Kind {
        const char* what;
        std::string (*key)(std::int64_t);
        std::string (*english)(std::int64_t);
    };
    const Kind kinds[] = {
        {"trading status", [](std::int64_t v) { return instrumentTradingStatusKey(std::int32_t(v)); },
         [](std::int64_t v) { return model::ItemDetails::getInstrumentTradingStatus(std::int32_t(v)); }},
        {"account status", [](std::int64_t v) { return accountStatusKey(std::int32_t(v)); },
         [](std::int64_t v) { return AccountDetails::getAccountStatus(std::int32_t(v)); }},
        {"account type", accountTypeKey,
         [](std::int64_t v) { return v < 0 ? "" : AccountDetails::getAccountType(std::uint64_t(v)); }},
        {"access", accountAccessKey,
         [](std::int64_t v) { return AccountDetails::getAccountAccessType(std::int32_t(v)); }},
    };
    const auto english = [](const std::string& key) {
        return model::LanguageString::stringforSelectedLanguage(0, key);
    };
    for (const Kind& kind : kinds)
        for (std::int64_t value = -2; value <= 15; ++value)
            EXPECT_EQ(statusWordText(kind.key(value), english), kind.english(value)) << kind.what << value;
}

TEST(AccountCells, ButtonsFollowTheBitsOfAnyAccount) {
    struct Case {
        std::vector<std::int64_t> settings;
        bool deposit, withdrawal;
    } cases[] = {{{0x01, 0x02}, false, false}, {{0x10}, true, false}, {{0x20}, false, true}, {{0x10, 0x20}, true, true}};
    for (const Case& c : cases) {
        std::vector<std::shared_ptr<model::AccountDetails>> accounts{nullptr};
        for (const auto bits : c.settings) {
            accounts.push_back(std::make_shared<model::AccountDetails>());
            accounts.back()->accountSettings = bits;
        }
        const AccountButtons shown = accountButtons(accounts);
        EXPECT_EQ(shown.deposit, c.deposit);
        EXPECT_EQ(shown.withdrawal, c.withdrawal);
    }
}

class EditorTest : public ::testing::Test {
protected:
    // GOLD is both a commodity and a metal; NOREC has no record.
    static state::SymbolTypeMap lists() {
        state::SymbolTypeMap l;
        l.set("Commodities", "GOLD:Gold spot,OIL:Crude: light,NOREC:Gone");
        l.set("Metals", "GOLD:Gold spot,SILVER:Silver");
        return l;
    }
    const state::SymbolTypeMap typeLists = lists();
    WatchlistEditor editor{typeLists};
    std::function<bool(const std::string&)> hasRecord = [](const std::string& code) { return code != "NOREC"; };
};

TEST_F(EditorTest, TypesSearchAndEntries) {
    EXPECT_EQ(editor.typeNames(), (std::vector<std::string>{"Commodities", "Metals"}));
    EXPECT_FALSE(editor.chooseType(0, typeLists));  // the group row
    EXPECT_TRUE(editor.shown().empty());
    ASSERT_TRUE(editor.chooseType(2, typeLists));
    EXPECT_EQ(editor.shown().size(), 2u);
    editor.search("gold", typeLists);
    EXPECT_EQ(editor.shown(), (std::vector<std::string>{"GOLD:Gold spot", "GOLD:Gold spot"}));
    editor.search("LIGHT", typeLists);  // a name
    EXPECT_EQ(editor.shown(), (std::vector<std::string>{"OIL:Crude: light"}));
    editor.search("", typeLists);
    EXPECT_EQ(editor.shown(), (std::vector<std::string>{"GOLD:Gold spot", "SILVER:Silver"}));
    EXPECT_EQ(entryCode("OIL:Crude: light"), "OIL");
    EXPECT_EQ(entryName("OIL:Crude: light"), "Crude");
    EXPECT_EQ(entryName("PLAIN"), "");
}

TEST_F(EditorTest, MarksBySenderAndSavedInCollectionOrder) {
    ASSERT_TRUE(editor.chooseType(1, typeLists));  // GOLD, OIL, NOREC
    editor.setMarks({"SILVER"});
    struct Case {
        int tag;
        std::vector<int> rows;
        std::vector<std::string> saved;
    } cases[] = {
        {100, {1, 0}, {"GOLD", "OIL", "SILVER"}},
        {100, {0}, {"GOLD", "OIL", "SILVER"}},  // already marked: unchanged
        {200, {1}, {"GOLD", "SILVER"}},
        {0, {0, 1}, {"OIL", "SILVER"}},         // toggles
        {100, {2, 7, -1}, {"OIL", "SILVER"}},   // no record, no row
        {0, {}, {"OIL", "SILVER"}},
    };
    const std::vector<std::string> collection = {"SILVER", "OIL", "GOLD", "NOREC"};
    for (const Case& c : cases) {
        editor.change(markChangeForTag(c.tag), c.rows, hasRecord);
        auto saved = editor.savedCodes(collection);
        std::sort(saved.begin(), saved.end());
        EXPECT_EQ(saved, c.saved) << c.tag;
    }
    EXPECT_EQ(editor.savedCodes(collection), (std::vector<std::string>{"SILVER", "OIL"}));
    EXPECT_FALSE(editor.isMarked("NOREC"));
}

}  // namespace
}  // namespace views
