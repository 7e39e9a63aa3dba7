// The close/cancel and modify/edit sheets against the simulator, shown on the
// main window: a Market order's position partly closed, refused, bracketed and
// closed; a Limit order edited and cancelled. Saves screenshots.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/kit/theme_manager.h"
#include "app/qt_test_app.h"
#include "app/shell/app_delegate.h"
#include "integration/app_window_fixture.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "state/business_base.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"

namespace shell {
namespace {

using app::testing::runUntil;
using app::testing::saveScreenshot;
using trading::ClosendCancelPositionWindowController;
using trading::ModifyPositionWindowController;
using trading::PositionDialog;

class PositionDialogsSimTest : public integration::AppWindowTest {
protected:
    PositionDialogsSimTest() : AppWindowTest("position_dialogs_sim") {}
    void SetUp() override {
        AppWindowTest::SetUp();
        if (HasFatalFailure()) return;
        AppDelegate::Parts parts = recordedParts();
        parts.mainWindow.refreshInterval = std::chrono::milliseconds(100);
        ASSERT_TRUE(startAndLogIn(std::move(parts)));
        main = delegate->mWindowController();
        session = delegate->session().businessbase();
        manager = delegate->session().orderManager();
        trading::PositionDialogHost host;
        host.session = [this] { return delegate->session().businessbase(); };
        host.orderManager = [this] { return delegate->session().orderManager(); };
        host.selectedLanguage = [] { return std::int64_t{0}; };
        host.theme = [this] { return prefs->integerForKey("Theme"); };
        host.showAlert = [this](const std::string& m, const std::string&) { alerts.push_back(m); };
        host.refreshInterval = std::chrono::milliseconds(100);
        // The main window owns them once they are shown as its sheets.
        closer = new ClosendCancelPositionWindowController(host, main->window());
        modifier = new ModifyPositionWindowController(host, main->window());
    }
    void TearDown() override {
        QApplication::setPalette(app::ThemeManager::palette(0));
        AppWindowTest::TearDown();
    }
    // The row of `id` in the mode's collection, as the tables would pass it.
    std::string rowOf(const std::string& id, bool pending) {
        const auto rows = pending ? session->getPendingOrderCollection() : session->getOpenOrderCollection();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if ((pending ? rows[i]->PendingOrderId : rows[i]->OpenPositionId) == id) return std::to_string(i);
        return "-1";
    }
    std::shared_ptr<model::Order> find(const std::string& id, bool pending) {
        for (const auto& o : pending ? session->getPendingOrderCollection() : session->getOpenOrderCollection())
            if ((pending ? o->PendingOrderId : o->OpenPositionId) == id) return o;
        return nullptr;
    }
    // The tables' opening steps, then the main window's sheet.
    void open(PositionDialog* dialog, std::int32_t mode, const std::string& row) {
        dialog->setDialogMode(mode);
        dialog->setValue(row, "OrderIndex");
        dialog->StartTimerandNotification();
        dialog->windowDidAppear();
        main->showCustomSheet(dialog);
    }
    void shoot(PositionDialog* dialog, const QString& name) {
        for (const std::int64_t theme : {1, 0}) {
            prefs->set("Theme", theme);
            QApplication::setPalette(app::ThemeManager::palette(theme));
            dialog->windowDidAppear();
            app::testing::runFor(150);
            saveScreenshot(dialog, name + (theme ? "-light" : "-dark"));
        }
    }
    // The id new in the collection after `place` ran.
    std::string placed(bool pending, const std::function<void()>& place) {
        std::set<std::string> before;
        for (const auto& o : pending ? session->getPendingOrderCollection() : session->getOpenOrderCollection())
            before.insert(pending ? o->PendingOrderId : o->OpenPositionId);
        place();
        std::string id;
        runUntil(
            [&] {
                for (const auto& o : pending ? session->getPendingOrderCollection() : session->getOpenOrderCollection())
                    if (const auto& i = pending ? o->PendingOrderId : o->OpenPositionId; !before.count(i)) id = i;
                return !id.empty();
            },
            10000);
        return id;
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

    MainWindowController* main = nullptr;
    std::shared_ptr<state::BusinessBase> session;
    orders::OrderMananger* manager = nullptr;
    ClosendCancelPositionWindowController* closer = nullptr;
    ModifyPositionWindowController* modifier = nullptr;
    std::vector<std::string> alerts;
};

TEST_F(PositionDialogsSimTest, ClosesModifiesEditsAndCancels) {
    const auto& item = **session->referenceData().ItemCollection.find("GOLD");
    const std::string position = placed(false, [&] { manager->PlaceOrder(gold(1, "3")); });
    ASSERT_FALSE(position.empty());
    model::OrderInfo limit = gold(2, "2");
    limit.price = model::Formatter::formatDecimal(item.Ask - 50, item.DecimalPlaces);
    const std::string working = placed(true, [&] { manager->PlaceOrder(limit); });
    ASSERT_FALSE(working.empty());

    // Close: the position's values and live price; a partial close reduces it and ends the sheet.
    open(closer, 0, rowOf(position, false));
    ASSERT_TRUE(closer->hasRecord());
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
    closer->QuantityComboField->setEditText("1");
    closer->CloseandCancelButton->click();
    EXPECT_FALSE(closer->isVisible());
    EXPECT_FALSE(closer->hasTimer());
    EXPECT_FALSE(main->isSheetAttached());
    ASSERT_TRUE(runUntil([&] { return find(position, false) && find(position, false)->RemainingQty == "2"; }, 10000));

    // A quantity above the position: refused behind an alert, the sheet stays and refreshes.
    open(closer, 0, rowOf(position, false));
    closer->QuantityComboField->setEditText("99");
    closer->CloseandCancelButton->click();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].rfind(model::LanguageString::stringforSelectedLanguage(0, "1030"), 0), 0u) << alerts[0];
    EXPECT_TRUE(closer->isVisible());
    EXPECT_TRUE(closer->hasTimer());
    closer->notNowButton->click();
    EXPECT_FALSE(main->isSheetAttached());

    // Modify: a take-profit leg set on the position.
    open(modifier, 0, rowOf(position, false));
    ASSERT_TRUE(modifier->hasRecord());
    ASSERT_FALSE(modifier->takeProfitCheckBox->isHidden());
    modifier->takeProfitCheckBox->click();
    ASSERT_FALSE(modifier->TakeProfitTextField->text().isEmpty());
    shoot(modifier, "modify-dialog-position");
    modifier->ModifyButton->click();
    EXPECT_FALSE(modifier->isVisible());
    ASSERT_TRUE(runUntil([&] { return !find(position, false)->LimitPrice.empty(); }, 10000));

    // Edit: the Limit order down to one lot.
    open(modifier, 1, rowOf(working, true));
    EXPECT_TRUE(modifier->QuantityComboField->isEnabled());
    modifier->QuantityComboField->setEditText("1");
    modifier->UpdateValueFields();
    shoot(modifier, "modify-dialog-order");
    modifier->ModifyButton->click();
    ASSERT_TRUE(runUntil([&] { return find(working, true) && find(working, true)->RemainingQty == "1"; }, 10000));

    // Cancel: the order goes.
    open(closer, 1, rowOf(working, true));
    EXPECT_EQ(closer->OrderTypeTextField->text(), "Limit");
    shoot(closer, "close-dialog-order");
    closer->CloseandCancelButton->click();
    EXPECT_FALSE(closer->isVisible());
    ASSERT_TRUE(runUntil([&] { return find(working, true) == nullptr; }, 10000));

    // The rest of the position closed: it goes and a settlement is recorded.
    const auto settled = session->getSettledOrderCollection().size();
    open(closer, 0, rowOf(position, false));
    closer->QuantityComboField->setEditText("2");
    closer->CloseandCancelButton->click();
    ASSERT_TRUE(runUntil([&] { return find(position, false) == nullptr; }, 10000));
    EXPECT_GT(session->getSettledOrderCollection().size(), settled);
    EXPECT_EQ(alerts.size(), 1u);
}

}  // namespace
}  // namespace shell
