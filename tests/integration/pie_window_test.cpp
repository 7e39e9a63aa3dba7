// The main window's pie pane against the simulator: the current account's
// profit/loss pie read as the tick left it, the margin pie after a segment
// switch, redrawn on the tick and on "PieChartUpdateNotification". Saves
// screenshots in both themes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <cstdio>
#include <map>

#include "charts/pie_chart_view_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "kit/theme_manager.h"
#include "shell/main_window_controller.h"
#include "state/session_view.h"

namespace shell {
namespace {

using kit::testing::runUntil;

std::string twoPlaces(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

class PieWindowTest : public integration::LoggedInWindowTest {
protected:
    PieWindowTest() : LoggedInWindowTest("pie_window") {}
    const state::SessionView& view() { return state::viewOf(*session); }
    std::vector<std::string> legend() {
        std::vector<std::string> out;
        for (const auto& e : main->pieChartController->pieChartController()->legendEntries())
            out.push_back(e.title.toStdString());
        return out;
    }
    // "code: sum" per instrument of the current account, as the positions hold their P/L now.
    std::vector<std::string> expectedProfitLoss() {
        std::vector<std::string> codes;
        std::map<std::string, double> sums;
        for (const auto& o : view().getOpenOrderCollection()) {
            if (o->AccountNumber != std::to_string(view().currentAccountSelected())) continue;
            if (!sums.count(o->ItemCode)) codes.push_back(o->ItemCode);
            sums[o->ItemCode] += o->UnrealisedPL;
        }
        std::vector<std::string> out;
        for (const auto& c : codes) out.push_back(c + ": " + twoPlaces(sums[c]));
        return out;
    }
};

TEST_F(PieWindowTest, PaneShowsTheCurrentAccountsPies) {
    charts::PieChartViewController* panel = main->pieChartController;
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->parentWidget(), main->pieChartPane);
    main->toggleLeftViewSelectedIndex(1);  // collapsed at first
    main->window()->resize(1500, 860);
    main->window()->show();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pieChartController()->title().toStdString(), integration::tr("0168"));

    // The first ticks draw the P/L pie, one slice per instrument of the account.
    const std::size_t instruments = expectedProfitLoss().size();
    ASSERT_GE(instruments, 2u);
    ASSERT_TRUE(runUntil([&] { return legend().size() == instruments; }, 5000));
    // Between ticks a refresh reads the positions and writes none of them.
    std::vector<double> before;
    for (const auto& o : view().getOpenOrderCollection()) before.push_back(o->UnrealisedPL);
    panel->reloadData();
    std::vector<double> after;
    for (const auto& o : view().getOpenOrderCollection()) after.push_back(o->UnrealisedPL);
    EXPECT_EQ(after, before);
    EXPECT_EQ(legend(), expectedProfitLoss());
    bothThemes(main->pieChartPane, "pie-profit-loss", nullptr, 250);

    // The switch retitles at once; the slices follow the tick.
    panel->pieSegmentedControl()->button(1)->click();
    EXPECT_FALSE(panel->isProfitLossPieChart());
    EXPECT_EQ(panel->pieChartController()->title().toStdString(), integration::tr("0128"));
    EXPECT_EQ(legend().size(), instruments);
    ASSERT_TRUE(runUntil([&] { return legend().size() == instruments + 1; }, 5000));
    const auto account = view().selectedAccount();
    ASSERT_TRUE(account);
    EXPECT_EQ(legend().back(), "Avl.Mgn: " + twoPlaces(account->AvailableMargin / account->Equity * 100));
    // The order manager refreshed each instrument's hedge margin first.
    bool gold = false;
    for (const auto& [key, value] : view().hedgeMargins()) gold = gold || key.rfind("GOLD#", 0) == 0;
    EXPECT_TRUE(gold);
    bothThemes(main->pieChartPane, "pie-margin", nullptr, 250);

    // The notification redraws between ticks: the P/L pie again, at once.
    main->ticker().stop();
    panel->pieSegmentedControl()->button(0)->click();
    EXPECT_EQ(legend().size(), instruments + 1);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kPieChartUpdate);
    EXPECT_EQ(legend(), expectedProfitLoss());
}

}  // namespace
}  // namespace shell
