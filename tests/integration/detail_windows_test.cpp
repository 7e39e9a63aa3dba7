// The detail windows against the simulator: the watchlist's detail action
// opens the advanced window whose sessions fill in on the answer; the receipt
// of 70008 from the open and executed tables fills its bank rows on the answer.
// Saves screenshots in both themes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTableView>

#include "charts/chart_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/qt_test_app.h"
#include "kit/theme_manager.h"
#include "views/advanced_detail_window_controller.h"
#include "views/core/detail_rows.h"
#include "views/core/position_cells.h"
#include "views/core/receipt_rows.h"
#include "views/core/watchlist_cells.h"
#include "views/detail_window_controller.h"
#include "views/executed_position_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
namespace col = views::position_column;
namespace type = views::detail_type;

class DetailWindowsSimTest : public integration::LoggedInWindowTest {
protected:
    DetailWindowsSimTest() : LoggedInWindowTest("detail_sim") {}

    template <class W>
    W* shown() const {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = dynamic_cast<W*>(w); found && found->isVisible()) return found;
        return nullptr;
    }
    static int rowOf(kit::TableControllerBase& t, const char* id, const std::string& value) {
        for (int r = 0; r < t.model()->rowCount(); ++r)
            if (t.model()->index(r, t.columnWithIdentifier(id)).data().toString().toStdString() == value) return r;
        return -1;
    }
    // The receipt opened from `click`, with its bank rows filled by the answer.
    views::DetailWindowController* receiptFrom(const std::function<void()>& click) {
        click();
        views::DetailWindowController* sheet = nullptr;
        runUntil([&] { return (sheet = shown<views::DetailWindowController>()) != nullptr; }, 5000);
        if (!sheet) return nullptr;
        runUntil([&] { return sheet->rows().size() > 2 && sheet->rows()[2].value == "Example Bank"; }, 10000);
        return sheet;
    }
};

TEST_F(DetailWindowsSimTest, AdvancedWindowFromTheWatchlistAndReceiptsOfTheOpenAndExecutedPosition) {
    views::WatchlistTableController& watchlist = *main->watchlist();
    int row = -1;
    ASSERT_TRUE(runUntil([&] { return (row = rowOf(watchlist, views::watchlist_column::kCode, "GOLD")) >= 0; }, 5000))
        << "GOLD is not in the watchlist";
    // The description and exchange come with the instruments' answer after the login.
    ASSERT_TRUE(runUntil([&] { return !state::viewOf(*session).instrument("GOLD")->descriptions.empty(); }, 10000));
    watchlist.contractDetailButtonClicked(row);
    views::AdvancedDetailWindowController* window = nullptr;
    ASSERT_TRUE(runUntil([&] { return (window = shown<views::AdvancedDetailWindowController>()) != nullptr; }, 5000));
    EXPECT_EQ(window->windowTitle().toStdString(), "GOLD");
    EXPECT_EQ(window->descriptionLabel->text().toStdString(), "Gold spot (GOLD)");
    for (int t = type::kSymbol; t <= type::kDates; ++t) {
        if (t == type::kSessions) continue;
        EXPECT_FALSE(window->pane(t).rows().empty()) << t;
        EXPECT_FALSE(window->paneBox(t)->title().isEmpty()) << t;
    }
    EXPECT_EQ(window->pane(type::kSymbol).rows().at(1).value, "Ostermark Commodities");
    EXPECT_EQ(window->pane(type::kMargin).rows().at(2).value, "2035.4");
    // The sessions come with the schedule answer, asked 2.0 s after the load.
    ASSERT_TRUE(runUntil([&] { return !window->pane(type::kSessions).rows().empty(); }, 10000));
    // The simulator's week: Monday (key 0686) to Friday (0690).
    EXPECT_EQ(window->pane(type::kSessions).rows().front().label, integration::tr("0686"));
    EXPECT_EQ(window->pane(type::kSessions).rows().back().label, integration::tr("0690"));
    window->resize(1100, 720);
    bothThemes(window, "advanced-detail-GOLD", [&](auto) { window->runModalWindowForItem("GOLD"); });
    // Another instrument retitles and reloads every pane.
    ASSERT_TRUE(main->openWindow(views::WatchlistTableController::kDetailWindow, kit::itemRequest("CDVM")));
    EXPECT_EQ(window->windowTitle().toStdString(), "CDVM");
    EXPECT_EQ(window->pane(type::kContract).rows().at(6).value, "1");
    // Its market's schedule is not held yet: no sessions of the previous instrument meanwhile.
    EXPECT_TRUE(window->pane(type::kSessions).rows().empty());
    EXPECT_TRUE(runUntil([&] { return !window->pane(type::kSessions).rows().empty(); }, 10000));
    window->close();

    // The receipts of the open and the executed position.
    views::OpenPositionTableController& open = *main->openPositions();
    ASSERT_TRUE(runUntil([&] { return rowOf(open, col::kPositionId, "70008") >= 0; }, 5000));
    views::DetailWindowController* sheet =
        receiptFrom([&] { open.deliveryReceiptButtonClicked(rowOf(open, col::kPositionId, "70008")); });
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->rows().size(), std::size_t(views::kReceiptRowCount));
    EXPECT_EQ(sheet->rows()[2].value, "Example Bank");
    EXPECT_EQ(sheet->rows()[3].value, "1234");
    EXPECT_EQ(sheet->rows()[4].value, "70008");
    EXPECT_EQ(sheet->rows()[9].value, "2455 (two thousand four hundred fifty-five)");
    EXPECT_EQ(sheet->rows()[10].value, "497 (four hundred ninety-seven)");
    EXPECT_EQ(sheet->titleTextField->text().toStdString(), "Delivery Receipt:");
    bothThemes(sheet, "delivery-receipt-open", [&](auto) { sheet->showWindow(); });
    sheet->closeModal();
    ASSERT_TRUE(runUntil([&] { return shown<views::DetailWindowController>() == nullptr; }));

    views::ExecutedPositionTableController& executed = *main->executedPositions();
    ASSERT_TRUE(runUntil([&] { return rowOf(executed, col::kPositionId, "70008") >= 0; }, 10000));
    sheet = receiptFrom([&] { executed.deliveryReceiptButtonClicked(rowOf(executed, col::kPositionId, "70008")); });
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->detailViewType(), type::kExecutedReceipt);
    EXPECT_EQ(sheet->rows()[4].value, "70008");
    EXPECT_EQ(sheet->rows()[2].value, "Example Bank");
    bothThemes(sheet, "delivery-receipt-executed", [&](auto) { sheet->showWindow(); });
    sheet->closeModal();
}

}  // namespace
}  // namespace shell
