// The main window's rules without a display: the account strip, the network
// status and server time, the idle quit, the toolbar's tabs and the chart panes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include <unistd.h>

#include "shell/core/account_strip.h"
#include "shell/core/chart_panes.h"
#include "shell/core/idle_time_checker.h"
#include "shell/core/main_commands.h"
#include "shell/core/network_status.h"
#include "model/account_details.h"
#include "platform/idle_time.h"
#include "platform/preferences.h"

namespace shell {
namespace {

TEST(AccountStrip, FiguresAreGroupedWithTwoDecimalsAndKeepTheirSign) {
    struct Case {
        double amount;
        const char* shown;
    };
    for (const Case& c : {Case{1234.5, ": 1,234.50"}, Case{-1234.5, ": -1,234.50"}, Case{1234567.891, ": 1,234,567.89"},
                          Case{0.004, ": 0.00"}, Case{-0.001, ": 0.00"}, Case{-0.006, ": -0.01"},
                          Case{std::numeric_limits<double>::quiet_NaN(), ": 0.00"}})
        EXPECT_EQ(stripAmount(c.amount), c.shown) << c.amount;

    model::AccountDetails account;
    account.AccountId = 1001;
    account.Equity = 50123.4;
    account.UnrealisedPL = -87.25;
    const AccountStrip rows = accountStripRows(&account);
    EXPECT_EQ(rows[0].value, ": 1001");
    EXPECT_EQ(rows[1].value, ": 50,123.40");
    EXPECT_EQ(rows[3].value, ": -87.25");
    // No account: account 0 and 0.00 figures.
    for (const AccountStripRow& row : accountStripRows(nullptr))
        EXPECT_TRUE(row.value == ": 0" || row.value == ": 0.00") << row.labelKey << " " << row.value;
}

TEST(NetworkStatus, GradesAndServerTime) {
    const auto poor = networkStatusFor(3);
    ASSERT_TRUE(poor);
    EXPECT_STREQ(poor->speedImage, "Network_Speed_Poor");
    EXPECT_STREQ(poor->connectionImage, "network-status-offline");
    EXPECT_STREQ(poor->textKey, "1007");
    EXPECT_STREQ(networkStatusFor(0)->connectionImage, "network-status-online");
    EXPECT_STREQ(networkStatusFor(1)->connectionImage, "network-status-online");
    EXPECT_STREQ(networkStatusFor(2)->textKey, "0051");
    EXPECT_FALSE(networkStatusFor(7));  // the status stays as it was
    EXPECT_FALSE(networkStatusFor(-1));

    EXPECT_EQ(serverTimeText("20240105143000"), "Jan 05, 2024 14:30:00");
    // The calendar year: 30 December 2024 belongs to week 1 of 2025.
    EXPECT_EQ(serverTimeText("20241230235959"), "Dec 30, 2024 23:59:59");
    for (const char* bad : {"", "2024010514300", "20240105143000x", "2024-01-05 14:3", "20241305143000"})
        EXPECT_FALSE(serverTimeText(bad)) << bad;
    // The language's month names, taken as they are: quotes and pattern letters are text.
    model::MonthNames names = model::englishMonthNames();
    names[0] = "янв.";
    names[11] = "d'MMM yy";
    EXPECT_EQ(serverTimeText("20240105143000", names), "янв. 05, 2024 14:30:00");
    EXPECT_EQ(serverTimeText("20241230235959", names), "d'MMM yy 30, 2024 23:59:59");
    EXPECT_EQ(serverTimeText("20240305143000", model::monthNamesOf([](const std::string& key) {
                  return key == "90742" ? std::string("3月") : key;
              })), "3月 05, 2024 14:30:00");
}

class IdleQuit : public ::testing::Test {
protected:
    void TearDown() override {
        platform::IdleTime::setSource(nullptr);
        std::filesystem::remove(path);
    }
    // Whether one check with this limit stored and this idle time quits.
    bool quits(std::int64_t limit, double idle) {
        platform::Preferences prefs(path);
        prefs.set(IdleTimeChecker::kIdleTimeKey, limit);
        platform::IdleTime::setSource([idle] { return idle; });
        bool quit = false;
        IdleTimeChecker::startCheckingIdleTime(prefs, [&] { quit = true; });
        return quit;
    }
    std::string path = (std::filesystem::temp_directory_path() / ("idle_quit_" + std::to_string(::getpid()))).string();
};

TEST_F(IdleQuit, QuitsOnceTheIdleSecondsReachTheLimit) {
    struct Case {
        std::int64_t limit;
        double idle;
        bool quits;
    };
    for (const Case& c : {
             Case{300, 299.0, false},
             Case{300, 300.0, true},
             Case{300, 301.7, true},  // a skipped tick: already past the limit
             Case{300, 3600.0, true},
             Case{120, 120.0, true},  // not one of the offered choices, still applied
             Case{0, 1e9, false},     // never
             Case{-1, 1e9, false},
         })
        EXPECT_EQ(quits(c.limit, c.idle), c.quits) << c.limit << " " << c.idle;
}

TEST(IdleTimeoutChoices, StoredValuesShowTheirChoiceOthersShowNever) {
    // English, and Arabic, which says دقائق up to ten minutes and دقيقة above.
    constexpr std::int64_t kArabic = 5;
    for (const auto& [language, expected] : std::vector<std::pair<std::int64_t, std::array<std::string, 5>>>{
             {0, {"Never", "5 minutes", "10 minutes", "30 minutes", "60 minutes"}},
             {kArabic, {"أبدًا", "5 دقائق", "10 دقائق", "30 دقيقة", "60 دقيقة"}}})
        EXPECT_EQ(idleTimeoutChoices(language), expected) << language;
    for (const auto& [stored, position] :
         std::vector<std::pair<std::int64_t, int>>{{0, 0}, {300, 1}, {600, 2}, {1800, 3}, {3600, 4}, {120, 0}, {-1, 0}})
        EXPECT_EQ(idleTimeoutPosition(stored), position) << stored;
}

TEST(MainCommands, ToolbarItemsSelectTheTabOfTheirIndex) {
    EXPECT_EQ(toolbarTabIndex("2", 8), 2);
    for (const char* bad : {"", "x", "8", "-1", "2a"}) EXPECT_FALSE(toolbarTabIndex(bad, 8)) << bad;
}

TEST(ChartPanes, FirstWatchlistCodeThenDropsChangeOnePane) {
    ChartPanes panes;
    panes.getChartSymbolDetails({});
    EXPECT_TRUE(panes.pane(0).itemDetails.empty());
    panes.getChartSymbolDetails({"EURUSD", "XAUUSD"});
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(panes.pane(i).itemDetails, "EURUSD");
        EXPECT_EQ(panes.pane(i).chartType, ChartPanes::kCandlestick);
        EXPECT_EQ(panes.pane(i).intervalType, i + 1);
    }
    EXPECT_EQ(panes.ReloadDataforChart({"XAUUSD", "Chart3"}), 2u);
    EXPECT_EQ(panes.pane(2).itemDetails, "XAUUSD");
    EXPECT_EQ(panes.pane(2).intervalType, 3u);  // type and interval kept
    EXPECT_EQ(panes.pane(1).itemDetails, "EURUSD");
    EXPECT_FALSE(panes.ReloadDataforChart({"XAUUSD", "Chart9"}));
    EXPECT_FALSE(panes.ReloadDataforChart({"XAUUSD"}));
    EXPECT_EQ(panes.pane(0).itemDetails, "EURUSD");
}

}  // namespace
}  // namespace shell
