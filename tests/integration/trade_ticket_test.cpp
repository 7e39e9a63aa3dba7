// The order ticket against the simulator, opened from the main window and from
// a watchlist row: offers, live prices and depth, a confirmed simple-mode buy,
// an advanced Limit order, a refusal. Saves screenshots.
#include <gtest/gtest.h>


#include <QMessageBox>
#include <QTest>

#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "shell/app_delegate.h"
#include "charts/chart_controller.h"
#include "charts/chart_view_controller.h"
#include "integration/app_window_fixture.h"
#include "model/language_string.h"
#include "support/session_test_access.h"
#include "trading/buy_market_depth_table_controller.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/ticket_image_button.h"
#include "trading/core/ticket_offers.h"
#include "trading/sell_market_depth_table_controller.h"
#include "trading/trade_ticket_window_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;
using trading::TradeTicketWindowController;

using integration::refusal;
using integration::tr;

class TradeTicketSimTest : public integration::LoggedInWindowTest {
protected:
    TradeTicketSimTest() : LoggedInWindowTest("ticket_sim") {}
    void SetUp() override {
        LoggedInWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(runUntil([&] { return !state::SessionTestAccess::referenceData(*session).selectedSymbols().empty(); }, 10000));
    }
    TradeTicketWindowController* ticket() {
        return dynamic_cast<TradeTicketWindowController*>(main->keptWindow("TradeTicketWindowController"));
    }
    // In the application's order: the theme is stored and applied, then the
    // ticket opens on its instrument; `state` brings back what was shown.
    void shoot(TradeTicketWindowController* t, const QString& name, const std::function<void()>& state = {}) {
        const std::string code = t->itemCode();
        for (const int pass : {0, 1, 2}) {  // the last one puts the dark theme back
            const std::int64_t theme = pass == 1 ? 1 : 0;
            prefs->set("Theme", theme);
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            ASSERT_TRUE(main->openWindow("TradeTicketWindowController", kit::itemRequest(code)));
            if (state) state();
            ASSERT_TRUE(runUntil([&] { return t->TradeChart->graph() && !t->TradeChart->graph()->plots().empty(); },
                                 10000));
            EXPECT_EQ(t->TradeChart->symbolName(), code);
            EXPECT_EQ(t->TradeChart->graph()->theme(),
                      theme ? charts::plot::GraphTheme::PlainWhite : charts::plot::GraphTheme::PlainBlack);
            kit::testing::runFor(100);
            if (pass < 2) saveScreenshot(t, name + (theme ? "-light" : "-dark"));
        }
    }

};

TEST_F(TradeTicketSimTest, OpensLiveAndPlacesOrders) {
    const auto& watchlist = state::SessionTestAccess::referenceData(*session).selectedSymbols();
    // The main window's chart panes follow the ticker once their bars arrived.
    ASSERT_TRUE(runUntil([&] {
        for (const auto* pane : main->chartViewControllers)
            if (!pane->chartController()->graph()) return false;
        return true;
    }, 10000));
    const std::size_t refreshes = main->ticker().subscriberCount();
    ASSERT_TRUE(main->runCommand("TradeTicketButtonClicked"));
    TradeTicketWindowController* t = ticket();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->isVisible());
    EXPECT_TRUE(t->windowFlags() & Qt::Tool);
    EXPECT_EQ(t->itemCode(), watchlist.front());
    const auto offered = trading::accountsOffered(*session, t->itemCode());
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(t->accountDetails(), offered.front());
    EXPECT_EQ(t->AccountComboBox->count(), static_cast<int>(offered.size()));
    // Only what account and instrument both allow.
    const auto item = *state::SessionTestAccess::referenceData(*session).ItemCollection().find(t->itemCode());
    const auto types = trading::orderTypesOffered(offered.front()->availableOrderTypes, item->availableOrderTypes);
    ASSERT_EQ(t->OrderTypeComboBox->count(), static_cast<int>(types.size()));
    for (std::size_t i = 0; i < types.size(); ++i)
        EXPECT_EQ(t->OrderTypeComboBox->itemText(static_cast<int>(i)).toStdString(), types[i]);

    // Prices move every refresh; the depth shows five levels a side.
    const QString low = t->LowTextLabel->text(), spread = t->SpreadTextLabel->text();
    const double ask = item->Ask;
    ASSERT_TRUE(runUntil(
        [&] {
            sim->command("tick " + t->itemCode());
            return item->Ask != ask && !t->buyIndicatorImageView->pixmap().isNull();
        },
        10000));
    EXPECT_FALSE(t->TimeTextLabel->text().isEmpty());
    ASSERT_TRUE(runUntil([&] { return t->buyMarketDepthTableController->rowCount() == 5; }, 10000));
    EXPECT_EQ(t->sellMarketDepthTableController->rowCount(), 5);
    // The small chart: bid and ask ticks of the instrument.
    EXPECT_TRUE(runUntil([&] { return t->TradeChart->graph() != nullptr; }, 10000));
    EXPECT_EQ(main->ticker().subscriberCount(), refreshes + 2);  // the ticket and its chart, on the login's ticker
    shoot(t, "ticket-sim-depth", [&] { t->toggleRightDrawer(); });
    t->toggleRightDrawer();

    // Simple mode: Buy confirms, the confirmed order comes back as a position.
    ASSERT_GT(t->QuantityComboBox->count(), 1);
    t->QuantityComboBox->setCurrentIndex(1);
    t->comboBoxSelectionDidChange(t->QuantityComboBox);
    const std::string bought = placed(false, t->itemCode(), t->QuantityComboBox->currentText().toStdString(), [&] {
        t->buyButton->click();
        QMessageBox* sheet = t->confirmation();
        ASSERT_NE(sheet, nullptr);
        saveScreenshot(sheet, "ticket-sim-confirmation-dark");
        sheet->defaultButton()->click();
    });
    ASSERT_FALSE(bought.empty());

    // Advanced: a Limit order goes out at once and comes back pending.
    const auto advancedLimit = [&] {
        t->TradeTicketRadioGroup->button(TradeTicketWindowController::kAdvancedMode)->click();
        const int limit = t->OrderTypeComboBox->findText("Limit");
        ASSERT_GE(limit, 0);
        t->OrderTypeComboBox->setCurrentIndex(limit);
        t->comboBoxSelectionDidChange(t->OrderTypeComboBox);
    };
    advancedLimit();
    const std::string working = placed(true, t->itemCode(), t->QuantityComboBox->currentText().toStdString(), [&] {
        t->placeOrderButtonClicked();
        EXPECT_EQ(t->confirmation(), nullptr);
    });
    ASSERT_FALSE(working.empty()) << (refusal() ? refusal()->informativeText().toStdString() : "no refusal") << " at "
                                  << t->PriceTextField->text().toStdString() << ", ask " << item->Ask << " bid "
                                  << item->Bid;
    shoot(t, "ticket-sim-advanced", [&] {
        advancedLimit();
        if (t->TakeProfitCheckBox->isEnabled() && t->TakeProfitCheckBox->isVisible()) t->TakeProfitCheckBox->click();
        if (t->StopLossCheckBox->isEnabled() && t->StopLossCheckBox->isVisible()) t->StopLossCheckBox->click();
        t->UpdateValuesinTimer();
    });

    // A refused order: its text under "10980", the ticket stays open.
    t->QuantityComboBox->setEditText("99999999");
    t->placeOrderButtonClicked();
    ASSERT_TRUE(runUntil([&] { return refusal() != nullptr; }));
    EXPECT_TRUE(t->isVisible());
    refusal()->close();

    // A watchlist row opens the ticket on its instrument.
    t->TradeTicketRadioGroup->button(TradeTicketWindowController::kSimpleMode)->click();
    ASSERT_TRUE(main->openWindow("TradeTicketWindowController", kit::itemRequest(watchlist.back())));
    EXPECT_EQ(ticket(), t);
    EXPECT_EQ(t->itemCode(), watchlist.back());
    EXPECT_EQ(t->mode(), TradeTicketWindowController::kSimpleMode);
    shoot(t, "ticket-sim-simple");
}

// The multi-account drawer as `trader`: 1001 and 1002 (1003 only views), one
// confirmation, one bulk order, a position for each.
TEST_F(TradeTicketSimTest, DrawerSendsOneBulkOrderForTheTickedAccounts) {
    ASSERT_TRUE(main->openWindow("TradeTicketWindowController", kit::itemRequest("GOLD")));
    TradeTicketWindowController* t = ticket();
    ASSERT_NE(t, nullptr);
    ASSERT_FALSE(t->multitradeButton->isHidden());
    const auto fill = [&] {
        t->multitradeButton->click();
        t->multiAccountSelectAllCheckBox->click();
        QAbstractItemModel* model = t->multitradeTableView->model();
        model->setData(model->index(0, 2), "1", Qt::EditRole);
        model->setData(model->index(1, 2), "0.5", Qt::EditRole);
    };
    shoot(t, "ticket-sim-drawer", fill);
    std::vector<std::int32_t> accounts;
    for (std::size_t i = 0; i < t->multiTradeRows().size(); ++i)
        accounts.push_back(t->multiTradeRows().row(i).accountDet->AccountId);
    EXPECT_EQ(accounts, (std::vector<std::int32_t>{1001, 1002}));
    EXPECT_EQ(t->QuantityComboBox->currentText(), "1.5");
    const std::size_t before = state::viewOf(*session).getOpenOrderCollection().size();
    t->buyButton->click();
    QMessageBox* sheet = t->confirmation();
    ASSERT_NE(sheet, nullptr);
    sheet->defaultButton()->click();
    EXPECT_TRUE(runUntil([&] { return state::viewOf(*session).getOpenOrderCollection().size() == before + 2; }, 10000));
}

// The server goes away while a confirmation is open, on each road to it: the
// confirmed order is refused as a click would be, nothing is added or journaled.
TEST_F(TradeTicketSimTest, AnOrderConfirmedAfterTheServerWentAwayIsRefused) {
    const std::function<void(TradeTicketWindowController*)> roads[] = {
        [](TradeTicketWindowController* t) { t->buyButton->click(); },
        [](TradeTicketWindowController* t) {
            t->TradeTicketRadioGroup->button(TradeTicketWindowController::kAdvancedMode)->click();
            t->placeOrderButtonClicked();  // Market, the first type offered
        },
        [](TradeTicketWindowController* t) {
            t->multitradeButton->click();
            t->multiAccountSelectAllCheckBox->click();
            QAbstractItemModel* model = t->multitradeTableView->model();
            for (int row = 0; row < model->rowCount(); ++row) model->setData(model->index(row, 2), "1", Qt::EditRole);
            t->buyButton->click();
        },
    };
    for (std::size_t road = 0; road < std::size(roads); ++road) {
        SCOPED_TRACE(road);
        if (road > 0) {  // a server and a login of its own
            TearDown();
            SetUp();
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(main->openWindow("TradeTicketWindowController", kit::itemRequest("GOLD")));
        TradeTicketWindowController* t = ticket();
        ASSERT_NE(t, nullptr);
        ASSERT_GT(t->QuantityComboBox->count(), 1);
        t->QuantityComboBox->setCurrentIndex(1);
        t->comboBoxSelectionDidChange(t->QuantityComboBox);
        roads[road](t);
        QMessageBox* sheet = t->confirmation();
        ASSERT_NE(sheet, nullptr) << (refusal() ? refusal()->informativeText().toStdString() : "no refusal");
        const std::size_t pending = state::viewOf(*session).getPendingOrderCollection().size();
        const std::size_t journal = state::SessionTestAccess::journal(*session).JournalDataCollection().size();
        sim->killHard();
        ASSERT_TRUE(runUntil([&] { return !state::viewOf(*session).isNetworkAvailable(); }, 10000));
        if (t->confirmation()) t->confirmation()->defaultButton()->click();
        EXPECT_TRUE(refusedWith("1007"));
        kit::testing::runFor(100);
        EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), pending);
        EXPECT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), journal);
    }
}

// Locked, nothing leaves: not the ticket's button or keys, not a cancel sheet
// already open. The unlock brings the main window back with its sheet and the ticket.
TEST_F(TradeTicketSimTest, NoOrderLeavesWhileLocked) {
    ASSERT_TRUE(main->runCommand("TradeTicketButtonClicked"));
    TradeTicketWindowController* t = ticket();
    ASSERT_NE(t, nullptr);
    t->TradeTicketRadioGroup->button(TradeTicketWindowController::kAdvancedMode)->click();
    const int limit = t->OrderTypeComboBox->findText("Limit");
    ASSERT_GE(limit, 0);
    t->OrderTypeComboBox->setCurrentIndex(limit);
    t->comboBoxSelectionDidChange(t->OrderTypeComboBox);
    const std::set<std::string> pending = ids(true), open = ids(false);
    ASSERT_FALSE(pending.empty());
    const std::string working = *pending.begin();
    ASSERT_TRUE(main->openWindow("ClosendCancelPositionWindowController", kit::recordRequest(working, kit::kPendingMode)));
    auto* cancel = dynamic_cast<trading::ClosendCancelPositionWindowController*>(
        main->keptWindow("ClosendCancelPositionWindowController"));
    ASSERT_NE(cancel, nullptr);
    ASSERT_TRUE(cancel->isVisible());

    delegate->lockAppMenuItemClicked();
    EXPECT_FALSE(main->window()->isVisible());
    EXPECT_FALSE(t->isVisible());
    EXPECT_FALSE(cancel->isVisible());
    t->PlaceOrderButton->click();
    QTest::keyClick(t->PlaceOrderButton, Qt::Key_Space);
    QTest::keyClick(t, Qt::Key_Return);
    cancel->CloseandCancelButton->click();
    QTest::keyClick(cancel, Qt::Key_Return);
    kit::testing::runFor(1500);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), pending.size());
    EXPECT_EQ(ids(true), pending);
    EXPECT_EQ(ids(false), open);

    LockWindow* lock = delegate->unLockWindow();
    lock->lockPasswordTextField->setText("secret1");
    lock->unlockButton->click();
    EXPECT_TRUE(main->window()->isVisible());
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_TRUE(t->isVisible());
    cancel->CloseandCancelButton->click();
    EXPECT_TRUE(runUntil([&] { return !ids(true).count(working); }, 10000));
}

}  // namespace
}  // namespace shell
