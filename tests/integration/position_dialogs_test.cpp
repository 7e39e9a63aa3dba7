// The close/cancel and modify/edit sheets against the simulator, opened from
// the main window's position tables: a Market order's position partly closed, refused, bracketed and
// closed; a Limit order edited and cancelled. Saves screenshots.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <functional>

#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "shell/app_delegate.h"
#include "integration/app_window_fixture.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "support/session_test_access.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;
using trading::ClosendCancelPositionWindowController;
using trading::ModifyPositionWindowController;

using integration::refusal;
using integration::tr;

class PositionDialogsSimTest : public integration::LoggedInWindowTest {
protected:
    PositionDialogsSimTest() : LoggedInWindowTest("position_dialogs_sim") {}
    void SetUp() override {
        LoggedInWindowTest::SetUp();
        if (HasFatalFailure()) return;
        manager = delegate->session().orderManager();
        prefs->set("Theme", std::int64_t{0});
    }
    // The row of `id` in the mode's collection, as the tables would pass it.
    int rowOf(const std::string& id, bool pending) {
        const auto rows = pending ? state::viewOf(*session).getPendingOrderCollection() : state::viewOf(*session).getOpenOrderCollection();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if ((pending ? rows[i]->PendingOrderId : rows[i]->OpenPositionId) == id) return static_cast<int>(i);
        return -1;
    }
    std::shared_ptr<model::Order> find(const std::string& id, bool pending) {
        for (const auto& o : pending ? state::viewOf(*session).getPendingOrderCollection() : state::viewOf(*session).getOpenOrderCollection())
            if ((pending ? o->PendingOrderId : o->OpenPositionId) == id) return o;
        return nullptr;
    }
    // The dialog a table row opens (each table keeps its own), once it shows.
    template <class Dialog>
    Dialog* openFromRow(const std::string& id, bool pending, const std::function<void(int)>& click) {
        const int row = rowOf(id, pending);
        kit::TableControllerBase* table = pending ? static_cast<kit::TableControllerBase*>(main->pendingOrders())
                                                    : main->openPositions();
        if (!runUntil([&] { return row >= 0 && table->model()->rowCount() > row; }, 5000)) return nullptr;
        click(row);
        Dialog* shown = nullptr;
        runUntil([&] {
            for (Dialog* d : main->window()->findChildren<Dialog*>())
                if (d->isVisible()) shown = d;
            return shown != nullptr;
        });
        return shown;
    }
    ClosendCancelPositionWindowController* close(const std::string& id) {
        return openFromRow<ClosendCancelPositionWindowController>(
            id, false, [&](int row) { main->openPositions()->closePositionButtonClicked(row); });
    }
    ClosendCancelPositionWindowController* cancel(const std::string& id) {
        return openFromRow<ClosendCancelPositionWindowController>(
            id, true, [&](int row) { main->pendingOrders()->cancelOrderButtonClicked(row); });
    }
    ModifyPositionWindowController* modify(const std::string& id) {
        return openFromRow<ModifyPositionWindowController>(
            id, false, [&](int row) { main->openPositions()->modifyBracketOrderButtonClicked(row); });
    }
    ModifyPositionWindowController* edit(const std::string& id) {
        return openFromRow<ModifyPositionWindowController>(
            id, true, [&](int row) { main->pendingOrders()->editOrderButtonClicked(row); });
    }
    void shoot(trading::PositionDialog* dialog, const QString& name) {
        for (const std::int64_t theme : {1, 0}) {
            prefs->set("Theme", theme);
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            dialog->windowDidAppear();
            kit::testing::runFor(150);
            saveScreenshot(dialog, name + (theme ? "-light" : "-dark"));
        }
    }
    model::OrderInfo gold(int type, const std::string& qty) {
        model::OrderInfo o;
        o.itemCode = "GOLD";
        o.accountNo = 1001;
        o.orderType = type;
        o.deliveryMode = o.timeinForce = 1;
        o.quantity = qty;
        o.deviation = -1;
        return o;
    }

    orders::OrderMananger* manager = nullptr;
};

TEST_F(PositionDialogsSimTest, ClosesModifiesEditsAndCancels) {
    const auto& item = **state::SessionTestAccess::referenceData(*session).ItemCollection().find("GOLD");
    const std::string position = placed(false, "GOLD", "3", [&] { manager->PlaceOrder(gold(1, "3")); });
    ASSERT_FALSE(position.empty());
    model::OrderInfo limit = gold(2, "2");
    limit.price = model::Formatter::formatDecimal(item.Ask - 50, item.DecimalPlaces);
    const std::string working = placed(true, "GOLD", "2", [&] { manager->PlaceOrder(limit); });
    ASSERT_FALSE(working.empty());

    // Close: the position's values and live price; a partial close reduces it and ends the sheet.
    ClosendCancelPositionWindowController* closer = close(position);
    ASSERT_NE(closer, nullptr);
    EXPECT_TRUE(main->isSheetAttached());
    EXPECT_EQ(closer->rowId(), position);
    EXPECT_EQ(closer->QuantityComboField->currentText(), "3");
    EXPECT_EQ(closer->QuantityComboField->count(), 3);
    ASSERT_TRUE(runUntil(
        [&] {
            sim->command("tick GOLD");
            return closer->CurrentPriceTextField->text().toStdString() ==
                   model::Formatter::formatDecimal(item.Bid, item.DecimalPlaces);
        },
        5000));
    shoot(closer, "close-dialog-position");
    // Still the fill's title: showing and focus changes are no edit.
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(),
              tr("0246") + " #" + position + " (" + tr("0010") + " 3 GOLD @ " + tr("0068") + ")");
    closer->QuantityComboField->setEditText("1");
    closer->CloseandCancelButton->click();
    EXPECT_FALSE(closer->isVisible());
    EXPECT_FALSE(closer->hasTimer());
    EXPECT_FALSE(main->isSheetAttached());
    ASSERT_TRUE(runUntil([&] { return find(position, false) && find(position, false)->RemainingQty == "2"; }, 10000));

    // A quantity above the position: refused behind an alert, the sheet stays and refreshes.
    ASSERT_EQ(close(position), closer);  // the table's kept dialog
    closer->QuantityComboField->setEditText("99");
    closer->CloseandCancelButton->click();
    ASSERT_TRUE(runUntil([&] { return refusal() != nullptr; }));
    EXPECT_TRUE(refusal()->informativeText().startsWith(QString::fromStdString(tr("1030"))) ||
                refusal()->text().contains(QString::fromStdString(tr("1030"))));
    refusal()->close();
    EXPECT_TRUE(closer->isVisible());
    EXPECT_TRUE(closer->hasTimer());
    closer->notNowButton->click();
    EXPECT_FALSE(main->isSheetAttached());

    // Modify: a take-profit leg set on the position.
    ModifyPositionWindowController* modifier = modify(position);
    ASSERT_NE(modifier, nullptr);
    ASSERT_FALSE(modifier->takeProfitCheckBox->isHidden());
    modifier->takeProfitCheckBox->click();
    ASSERT_FALSE(modifier->TakeProfitTextField->text().isEmpty());
    shoot(modifier, "modify-dialog-position");
    modifier->ModifyButton->click();
    EXPECT_FALSE(modifier->isVisible());
    ASSERT_TRUE(runUntil([&] { return !find(position, false)->LimitPrice.empty(); }, 10000));

    // Edit: the Limit order down to one lot.
    ModifyPositionWindowController* editor = edit(working);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor, modifier);  // one kept dialog by name, now in the order's mode
    EXPECT_TRUE(editor->QuantityComboField->isEnabled());
    editor->QuantityComboField->setEditText("1");
    editor->UpdateValueFields();
    shoot(editor, "modify-dialog-order");
    editor->ModifyButton->click();
    ASSERT_TRUE(runUntil([&] { return find(working, true) && find(working, true)->RemainingQty == "1"; }, 10000));

    // Cancel: the order goes.
    ClosendCancelPositionWindowController* canceller = cancel(working);
    ASSERT_NE(canceller, nullptr);
    EXPECT_EQ(canceller->OrderTypeTextField->text(), "Limit");
    shoot(canceller, "close-dialog-order");
    canceller->CloseandCancelButton->click();
    EXPECT_FALSE(canceller->isVisible());
    ASSERT_TRUE(runUntil([&] { return find(working, true) == nullptr; }, 10000));

    // The rest of the position closed: it goes and a settlement is recorded.
    const auto settled = state::viewOf(*session).getSettledOrderCollection().size();
    ASSERT_EQ(close(position), closer);
    closer->QuantityComboField->setEditText("2");
    closer->CloseandCancelButton->click();
    // The position's status and its settlement are two messages: wait for both.
    ASSERT_TRUE(runUntil([&] { return find(position, false) == nullptr; }, 10000));
    EXPECT_TRUE(runUntil([&] { return state::viewOf(*session).getSettledOrderCollection().size() > settled; }, 10000));
    EXPECT_EQ(refusal(), nullptr);
}

TEST_F(PositionDialogsSimTest, OpenedByRecordIdTheDialogFollowsThatRecordThroughAResort) {
    const std::string small = placed(false, "GOLD", "3", [&] { manager->PlaceOrder(gold(1, "3")); });
    const std::string large = placed(false, "GOLD", "4", [&] { manager->PlaceOrder(gold(1, "4")); });
    ASSERT_FALSE(small.empty() || large.empty());
    const auto sortByQuantity = [&](bool ascending) {
        state::commandsOf(*session).sortOpenOrderCollection(
            std::vector<state::SortDescriptor>{{"OrderQty", ascending, state::SortDescriptor::Comparison::Numeric}});
    };
    const char* dialog = views::OpenPositionTableController::kCloseDialog;
    sortByQuantity(true);
    ASSERT_TRUE(main->openWindow(dialog, kit::recordRequest(small, kit::kPositionMode)));
    auto* closer = dynamic_cast<ClosendCancelPositionWindowController*>(main->keptWindow(dialog));
    ASSERT_NE(closer, nullptr);
    sortByQuantity(false);  // the rows swap under the open sheet
    closer->UpdateValuesinWindow();
    EXPECT_EQ(closer->rowId(), small);
    EXPECT_EQ(closer->QuantityComboField->currentText(), "3");
    closer->notNowButton->click();

    // A record no longer in its collection opens nothing.
    EXPECT_FALSE(main->openWindow(dialog, kit::recordRequest("no-such-position", kit::kPositionMode)));
    EXPECT_FALSE(main->isSheetAttached());
}

}  // namespace
}  // namespace shell
