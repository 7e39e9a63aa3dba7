// The main window's history tabs against the simulator: a partly filled order
// cancelled from the pending table, a close settled with its totals, and the
// executed positions searched by date, refused and reset. Saves screenshots.
#include <gtest/gtest.h>

#include <QTabWidget>

#include "integration/app_window_fixture.h"
#include "kit/qt_test_app.h"
#include "kit/theme_manager.h"
#include "model/text_value.h"
#include "orders/order_mananger.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "views/cancelled_order_table_controller.h"
#include "views/core/position_cells.h"
#include "views/executed_position_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/settled_position_table_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
using trading::ClosendCancelPositionWindowController;
namespace col = views::position_column;

class HistoryTablesSimTest : public integration::LoggedInWindowTest {
protected:
    HistoryTablesSimTest() : LoggedInWindowTest("history_sim") {}

    // The texts of a column, row by row.
    static std::vector<std::string> column(kit::TableControllerBase& t, const char* id) {
        std::vector<std::string> out;
        for (int r = 0; r < t.model()->rowCount(); ++r)
            out.push_back(t.model()->index(r, t.columnWithIdentifier(id)).data().toString().toStdString());
        return out;
    }
    static int rowOf(kit::TableControllerBase& t, const char* id, const std::string& value) {
        const auto values = column(t, id);
        const auto it = std::find(values.begin(), values.end(), value);
        return it == values.end() ? -1 : static_cast<int>(it - values.begin());
    }
    // Opens the close/cancel sheet from a row and confirms it with `quantity`.
    bool confirm(kit::TableControllerBase& table, const char* id, const std::string& value,
                 const std::function<void(int)>& click, const std::string& quantity = "") {
        if (!runUntil([&] { return rowOf(table, id, value) >= 0; }, 5000)) return false;
        click(rowOf(table, id, value));
        ClosendCancelPositionWindowController* dialog = nullptr;
        runUntil([&] {
            for (auto* d : main->window()->findChildren<ClosendCancelPositionWindowController*>())
                if (d->isVisible()) dialog = d;
            return dialog != nullptr;
        });
        if (!dialog) return false;
        if (!quantity.empty()) dialog->QuantityComboField->setEditText(QString::fromStdString(quantity));
        dialog->CloseandCancelButton->click();
        return !dialog->isVisible();
    }
};

TEST_F(HistoryTablesSimTest, CancelledSettledAndExecutedTabs) {
    views::CancelledOrderTableController& cancelled = *main->cancelledOrders();
    views::SettledPositionTableController& settled = *main->settledPositions();
    views::ExecutedPositionTableController& executed = *main->executedPositions();

    // A working order partly filled, then cancelled: the rest is what was cancelled.
    ASSERT_EQ(sim->command("partial-fill 50010 0.4"), "ok");
    views::PendingOrderTableController& pending = *main->pendingOrders();
    ASSERT_TRUE(runUntil([&] { return rowOf(pending, col::kRemaining, "0.6") >= 0; }, 10000));
    ASSERT_TRUE(confirm(pending, col::kOrderId, "50010", [&](int row) { pending.cancelOrderButtonClicked(row); }));
    ASSERT_TRUE(runUntil([&] { return rowOf(cancelled, col::kOrderId, "50010") >= 0; }, 10000));
    EXPECT_EQ(column(cancelled, col::kQuantity)[std::size_t(rowOf(cancelled, col::kOrderId, "50010"))], "0.6");

    // A close is settled and the totals follow.
    const std::string before = settled.statusLabel()->text().toStdString();
    const int settlements = settled.rowCount();
    orders::OrderMananger& manager = *delegate->session().orderManager();
    model::OrderInfo market;
    market.itemCode = "GOLD";
    market.accountNo = 1001;
    market.orderType = market.deliveryMode = market.timeinForce = 1;
    market.quantity = "3";
    market.deviation = -1;
    const std::string position = placed(false, "GOLD", "3", [&] { manager.PlaceOrder(market); });
    ASSERT_FALSE(position.empty());
    views::OpenPositionTableController& open = *main->openPositions();
    ASSERT_TRUE(confirm(open, col::kPositionId, position, [&](int row) { open.closePositionButtonClicked(row); }, "3"));
    ASSERT_TRUE(runUntil([&] { return settled.rowCount() == settlements + 1; }, 10000));
    EXPECT_NE(settled.statusLabel()->text().toStdString(), before);
    EXPECT_EQ(settled.statusLabel()->text().toStdString().rfind(integration::tr("0027") + " : ", 0), 0u);

    // Executed: the open positions and the one closed in this session.
    ASSERT_TRUE(runUntil([&] { return rowOf(executed, col::kPositionId, position) >= 0; }, 5000));
    const std::vector<std::string> all = column(executed, col::kPositionId);
    for (const char* id : {"70001", "70002", "70003"}) EXPECT_NE(rowOf(executed, col::kPositionId, id), -1) << id;

    // A search for one day replaces them with that day's; a refused search empties the table.
    executed.searchDatePicker()->setDateTime(QDateTime(QDate(2026, 12, 4), QTime(10, 0, 0)));
    executed.searchButton()->click();
    ASSERT_TRUE(runUntil([&] { return column(executed, col::kPositionId) == std::vector<std::string>{"70001"}; }, 10000));
    ASSERT_EQ(sim->command("fault ds-answer error"), "ok");
    executed.searchButton()->click();
    ASSERT_TRUE(runUntil([&] { return executed.rowCount() == 0; }, 10000));

    executed.resetButton()->click();
    EXPECT_EQ(column(executed, col::kPositionId), all);
    EXPECT_EQ(executed.searchDatePicker()->dateTime(), QDateTime(QDate::currentDate(), QTime(0, 0)));

    const std::array<std::pair<kit::TableControllerBase*, QString>, 3> shots = {
        {{&settled, "settled-positions-sim-"}, {&cancelled, "cancelled-orders-sim-"}, {&executed, "executed-positions-sim-"}}};
    for (const std::int64_t theme : {0, 1}) {
        prefs->set("Theme", theme);
        QApplication::setPalette(kit::ThemeManager::palette(theme));
        main->applyTheme();
        for (const auto& [table, name] : shots) {
            main->mainTabView->setCurrentWidget(table);
            kit::testing::runFor(50);
            kit::testing::saveScreenshot(main->mainTabView, name + (theme ? "light" : "dark"));
        }
    }
    EXPECT_EQ(integration::refusal(), nullptr);
}

}  // namespace
}  // namespace shell
