// The account pies' slices: the profit/loss pie read from each position's
// UnrealisedPL, the margin pie as shares of the equity.
#include <gtest/gtest.h>

#include "charts/core/pie_data.h"

namespace charts {
namespace {

struct Row {
    const char* account;
    const char* code;
    double pl;
};

Positions positions(const std::vector<Row>& rows) {
    Positions out;
    for (const Row& r : rows) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = r.account;
        o->ItemCode = r.code;
        o->UnrealisedPL = r.pl;
        out.push_back(o);
    }
    return out;
}

using Titles = std::vector<std::string>;
using Values = std::vector<double>;

TEST(PieData, ProfitLossPerInstrumentOfTheAccountInFirstAppearanceOrder) {
    const struct {
        std::vector<Row> rows;
        Titles titles;
        Values values;
    } cases[] = {
        {{}, {}, {}},
        {{{"7", "GOLD", -10}, {"7", "GOLD", -2.5}}, {"GOLD"}, {-12.5}},
        {{{"7", "EURUSD", 4}, {"8", "GOLD", 100}, {"7", "GOLD", 1}, {"7", "EURUSD", 2}}, {"EURUSD", "GOLD"}, {6, 1}},
        // Account numbers that do not read as the account's.
        {{{"07x", "GOLD", 1}, {"", "GOLD", 1}, {"70", "GOLD", 1}}, {}, {}},
    };
    for (const auto& c : cases) {
        const Positions all = positions(c.rows);
        const auto pie = profitLossPie(positionsOfAccount(all, 7));
        EXPECT_EQ(pie.PieChartTitle, c.titles);
        EXPECT_EQ(pie.PieChartData, c.values);
        for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i]->UnrealisedPL, c.rows[i].pl);
    }
}

// Kept slices sum the positions' profit or loss as it is at each refresh.
TEST(PieData, KeptSlicesReadTheCurrentProfitLoss) {
    const Positions all = positions({{"7", "GOLD", 1}, {"7", "EURUSD", 2}, {"8", "GOLD", 4}, {"7", "GOLD", 8}});
    const InstrumentSlices slices = slicesOf(positionsOfAccount(all, 7));
    EXPECT_EQ(slices.titles, (Titles{"GOLD", "EURUSD"}));
    all[0]->UnrealisedPL = -16;
    all[2]->UnrealisedPL = 32;
    const auto pie = profitLossPie(slices);
    EXPECT_EQ(pie.PieChartTitle, slices.titles);
    EXPECT_EQ(pie.PieChartData, (Values{-8, 2}));
}

TEST(PieData, MarginSharesOfTheEquity) {
    const HedgeMargins margins = {{"GOLD#0", "50.00"}, {"EURUSD#0", "x"}, {"GOLD#1", "25.00"}, {"GOLDX#0", "9"}};
    const Positions two = positions({{"7", "GOLD", 0}, {"7", "EURUSD", 0}});
    const struct {
        bool hasAccount;
        double equity;
        int status;
        Positions rows;
        Titles titles;
        Values values;
    } cases[] = {
        {true, 1000, 0, {}, {"Avl.Mgn"}, {40}},
        {true, 1000, 0, two, {"GOLD", "EURUSD", "Avl.Mgn"}, {7.5, 0, 40}},
        // Equity hit: no margin slices, the available margin still.
        {true, 1000, model::AccountDetails::kStatusEquityHit, two, {"GOLD", "EURUSD", "Avl.Mgn"}, {0, 0, 40}},
        // No equity to divide by, or no account: zeros, never inf or nan.
        {true, 0, 0, two, {"GOLD", "EURUSD", "Avl.Mgn"}, {0, 0, 0}},
        {true, -50, 0, two, {"GOLD", "EURUSD", "Avl.Mgn"}, {0, 0, 0}},
        {false, 0, 0, two, {"GOLD", "EURUSD", "Avl.Mgn"}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        model::AccountDetails account;
        account.Equity = c.equity;
        account.AvailableMargin = 400;
        account.tradingStatus = c.status;
        const auto pie = marginPie(positionsOfAccount(c.rows, 7), c.hasAccount ? &account : nullptr, margins);
        EXPECT_EQ(pie.PieChartTitle, c.titles);
        EXPECT_EQ(pie.PieChartData, c.values) << c.equity;
    }
}

TEST(PieData, AnInstrumentKeepsOneColourInPiesSideBySide) {
    using Colours = std::vector<std::vector<std::size_t>>;
    const struct {
        std::vector<Titles> pies;
        Colours colours;
    } cases[] = {
        {{{"A", "B", "C"}, {"B", "D"}}, {{0, 1, 2}, {1, 3}}},
        // Every colour taken: a new instrument takes one its pie does not show.
        {{{"A", "B", "C", "D", "E"}, {"F", "A"}}, {{0, 1, 2, 3, 4}, {1, 0}}},
        {{{"A", "B", "C", "D", "E", "F"}}, {{0, 1, 2, 3, 4, 0}}},
        {{{}, {"X"}}, {{}, {0}}},
    };
    for (const auto& c : cases) EXPECT_EQ(sharedSliceColours(c.pies, 5), c.colours) << c.pies.size();
}

}  // namespace
}  // namespace charts
