// The close/cancel and modify/edit sheets offscreen over a session of one
// account and one instrument: fills, refresh, the row followed by id, verdicts,
// deviation, bracket legs, missing records.
#include <QTest>

#include "kit/fake_context.h"
#include "kit/qt_test_app.h"
#include "kit/window_registry.h"
#include "orders/order_fixture.h"
#include "support/order_book_test_access.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"
#include "trading/register_windows.h"
#include "trading/ticket_stepper.h"

namespace trading {
namespace {

using orders::testing::tr;
using Strings = std::vector<std::string>;
constexpr auto items = kit::testing::comboItems;

class PositionDialogsTest : public orders::testing::OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        item->Name = "Gold spot";
        account->accountSettings = 0x02;
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session,
                                                           std::chrono::milliseconds(20));
        closer = std::make_unique<ClosendCancelPositionWindowController>(fake->context);
        modifier = std::make_unique<ModifyPositionWindowController>(fake->context);
    }
    void TearDown() override {
        closer.reset();
        modifier.reset();
        fake.reset();
        OrderFixture::TearDown();
    }
    // The tables' opening steps.
    static void open(PositionDialog* dialog, std::int32_t mode, const std::string& row) {
        dialog->setDialogMode(mode);
        dialog->setValue(row, "OrderIndex");
        dialog->StartTimerandNotification();
        dialog->windowDidAppear();
        dialog->open();
    }
    static std::string str(const QLineEdit* f) { return f->text().toStdString(); }

    std::unique_ptr<kit::testing::FakeContext> fake;
    Strings& alerts() { return fake->ui.alerts; }
    std::unique_ptr<ClosendCancelPositionWindowController> closer;
    std::unique_ptr<ModifyPositionWindowController> modifier;
};

TEST_F(PositionDialogsTest, CloseFillsRefreshesFollowsItsPositionAndEndsWhenItGoes) {
    auto position = openPosition(0, "5", "1001", "P1");
    for (const char* qty : {"2", "1"}) {
        auto closing = addOrder(false, 1, qty);
        closing->OrderQty = qty;
        closing->setLiqudateOrderNumber("P1");
    }
    open(closer.get(), 0, "0");
    ASSERT_TRUE(closer->hasRecord());
    EXPECT_EQ(closer->ClosenadCancelBox->title().toStdString(), tr("0250") + " #\u2068P1\u2069");
    EXPECT_EQ(closer->QuantityComboField->currentText(), "2");
    EXPECT_EQ(items(closer->QuantityComboField), (Strings{"1", "2"}));
    EXPECT_EQ(str(closer->QuantityDescriptionTextField), "2 x 100.00 = 200.00");
    EXPECT_EQ(str(closer->OrderPriceTextField), "50.00");
    EXPECT_EQ(str(closer->CurrentPriceTextField), "50.00");  // a buy closes at the Bid
    EXPECT_EQ(str(closer->EstimatedPLTextField), "0.00");
    const auto title = [](const char* quantity) {
        return tr("90590") + " #P1 (" + tr("0010") + " " + quantity + " GOLD @ " + tr("0068") + ")";
    };
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(), title("2"));
    kit::testing::runFor(20);
    const int width = closer->CloseandCancelButton->width();
    EXPECT_FALSE(closer->DeviationCheckBox->isHidden());

    // A choice rebuilds the texts; the timer the price and profit, on the same position
    // after another is put ahead of it.
    closer->QuantityComboField->setCurrentIndex(0);
    closer->comboBoxSelectionIsChanging(0);
    EXPECT_EQ(str(closer->QuantityDescriptionTextField), "1 x 100.00 = 100.00");
    // One wording and one width, whatever the quantity.
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(), title("1"));
    kit::testing::runFor(20);
    EXPECT_EQ(closer->CloseandCancelButton->width(), width);
    QTest::keyClicks(closer->QuantityComboField->lineEdit(), ".25");
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(), title("1.25"));
    kit::testing::runFor(20);
    EXPECT_EQ(closer->CloseandCancelButton->width(), width);
    for (int i = 0; i < 3; ++i) QTest::keyClick(closer->QuantityComboField->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(), title("1"));
    auto& positions = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
    openPosition(1, "9", "1001", "P0");
    std::rotate(positions.begin(), positions.end() - 1, positions.end());
    item->Bid = 50.5;
    ASSERT_TRUE(kit::testing::runUntil([&] { return str(closer->CurrentPriceTextField) == "50.50"; }));
    EXPECT_EQ(str(closer->EstimatedPLTextField), "50.00");
    EXPECT_TRUE(closer->EstimatedPLTextField->styleSheet().endsWith("color: #009900; }"));
    item->Bid = 49;
    ASSERT_TRUE(kit::testing::runUntil([&] { return str(closer->EstimatedPLTextField) == "-100.00"; }));
    EXPECT_TRUE(closer->EstimatedPLTextField->styleSheet().endsWith("color: #e60026; }"));
    EXPECT_EQ(closer->rowId(), "P1");

    // Deviation ticked and emptied: "1076", nothing sent.
    closer->DeviationCheckBox->click();
    EXPECT_EQ(str(closer->DeviationTextField), "0");
    closer->DeviationTextField->clear();
    closer->CloseandCancelButton->click();
    EXPECT_EQ(alerts(), Strings{tr("10980") + ": " + tr("1076")});
    EXPECT_EQ(sent, 0);
    // Sent: "AbortModal" ends the sheet, its timer and its observation.
    closer->DeviationCheckBox->click();
    closer->QuantityComboField->setEditText("1");
    closer->CloseandCancelButton->click();
    EXPECT_EQ(sent, 1);
    EXPECT_NE(body().find("P1"), std::string::npos);
    EXPECT_FALSE(closer->isVisible());
    EXPECT_FALSE(closer->hasTimer());
    EXPECT_EQ(fake->ticker.subscriberCount(), 0u);
    EXPECT_FALSE(closer->isObserving());

    // Reopened, then the position is closed meanwhile: the sheet ends by itself.
    open(closer.get(), 0, "1");
    ASSERT_EQ(closer->rowId(), "P1");
    EXPECT_TRUE(closer->CloseandCancelButton->isEnabled());
    positions.erase(positions.begin() + 1);
    ASSERT_TRUE(kit::testing::runUntil([&] { return !closer->isVisible(); }));
    EXPECT_FALSE(closer->hasTimer());
    EXPECT_FALSE(closer->CloseandCancelButton->isEnabled());
    EXPECT_FALSE(closer->hasRecord());
    // An index past the end: no record, the action disabled.
    closer->setValue("7", "OrderIndex");
    EXPECT_FALSE(closer->hasRecord());
    EXPECT_FALSE(closer->CloseandCancelButton->isEnabled());
}

TEST_F(PositionDialogsTest, CancelShowsTheOrderSideAndVerdictsDecide) {
    auto order = addOrder(false, 0, "4", "1001", "W7");
    order->orderType = 2;
    order->OrderPrice = "49";
    open(closer.get(), 1, "0");
    EXPECT_EQ(closer->ClosenadCancelBox->title().toStdString(), tr("10968") + " #\u2068W7\u2069");
    EXPECT_EQ(str(closer->OrderTypeTextField), "Limit");
    EXPECT_EQ(closer->CloseandCancelButton->text().toStdString(), tr("0252") + " #\u2068W7\u2069");
    EXPECT_EQ(str(closer->CurrentPriceTextField), "50.10");  // a buy order's Ask
    EXPECT_FALSE(closer->QuantityComboField->isEnabled());
    EXPECT_TRUE(closer->EstimatedPLTextField->isHidden());

    // No object or another text: the sheet stays; "AbortModal" closes it.
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(orders::kPlaceOrderNotification);
    manager->sendNotification("refused here", nullptr);
    EXPECT_EQ(alerts(), Strings{tr("10980") + ": refused here"});
    EXPECT_TRUE(closer->isVisible());
    closer->CloseandCancelButton->click();
    EXPECT_EQ(sent, 1);
    EXPECT_FALSE(closer->isVisible());
    EXPECT_FALSE(closer->hasTimer());
    // Not observing once closed.
    manager->sendNotification("late", nullptr);
    EXPECT_EQ(alerts().size(), 1u);
}

TEST_F(PositionDialogsTest, ModifyKeepsItsRecordsAndSendsTheBracket) {
    auto position = openPosition(1, "3", "1001", "P1");
    position->LimitPrice = "45";
    account->availableOrderTypes = 0xE3;  // no stop loss for the account
    open(modifier.get(), 0, "0");
    ASSERT_TRUE(modifier->hasRecord());
    EXPECT_EQ(modifier->EditOrderBox->title().toStdString(), tr("0282") + " #P1");
    EXPECT_TRUE(modifier->takeProfitCheckBox->isChecked());
    EXPECT_EQ(str(modifier->TakeProfitTextField), "45.00");
    EXPECT_FALSE(modifier->stopLossCheckBox->isChecked());
    EXPECT_TRUE(modifier->StopLossTextField->text().isEmpty());
    EXPECT_TRUE(modifier->stopLossCheckBox->isHidden());
    EXPECT_FALSE(modifier->QuantityComboField->isEnabled());
    EXPECT_EQ(items(modifier->QuantityComboField), (Strings{"1", "2", "3"}));
    EXPECT_EQ(modifier->takeProfitStepper->increment(), 0.01);
    // The hidden leg ticked: the suggestion for a sell position's stop loss at market.
    modifier->stopLossCheckBox->click();
    EXPECT_EQ(str(modifier->StopLossTextField), manager->UpdateTakeProfitandStopLoss(0, "GOLD", false, 1001, 1, "", false));
    EXPECT_EQ(modifier->stopLossStepper->value(), std::stod(str(modifier->StopLossTextField)));

    // Re-sorted and the position gone from the list: it still sends for its own.
    openPosition(0, "1", "1001", "P0");
    auto& held = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
    std::reverse(held.begin(), held.end());
    modifier->ModifyButton->click();
    EXPECT_EQ(sent, 1);
    EXPECT_NE(body().find("P1"), std::string::npos);
    EXPECT_FALSE(modifier->isVisible());
    EXPECT_FALSE(modifier->isObserving());

    // An index past the end: nothing filled, nothing sent.
    open(modifier.get(), 0, "9");
    EXPECT_FALSE(modifier->hasRecord());
    EXPECT_FALSE(modifier->ModifyButton->isEnabled());
    modifier->ModifyButtonClicked();
    EXPECT_EQ(sent, 1);
    modifier->closeModal();
}

TEST_F(PositionDialogsTest, EditOffersTheQuantityOnlyOutsideABracketAndMissingRecordsShowEmpty) {
    auto order = addOrder(false, 0, "4", "1001", "W7");
    order->orderType = 3;
    order->OrderPrice = "52";
    open(modifier.get(), 1, "0");
    EXPECT_EQ(modifier->EditOrderBox->title().toStdString(), tr("0255") + " #W7");
    EXPECT_TRUE(modifier->QuantityComboField->isEnabled());
    EXPECT_FALSE(modifier->OrderPriceTextField->isReadOnly());
    modifier->QuantityComboField->setCurrentIndex(1);
    modifier->comboBoxSelectionIsChanging(1);
    EXPECT_EQ(str(modifier->QuantityDescriptionTextField), "2 x 100.00 = 200.00");
    QTest::keyClicks(modifier->QuantityComboField->lineEdit(), "5");
    EXPECT_EQ(str(modifier->QuantityDescriptionTextField), "25 x 100.00 = 2500.00");
    EXPECT_EQ(modifier->entries().quantity, "25");
    modifier->closeModal();

    order->setRefPositionIdOfBracket("P1");
    open(modifier.get(), 1, "0");
    EXPECT_FALSE(modifier->QuantityComboField->isEnabled());
    modifier->closeModal();

    // No instrument and no account: empty or zero values, both legs hidden.
    order->ItemCode = "NOPE";
    order->AccountNumber = "404";
    open(modifier.get(), 1, "0");
    EXPECT_TRUE(modifier->SymbolDescriptionTextField->text().isEmpty());
    EXPECT_EQ(str(modifier->QuantityDescriptionTextField), "4 x 0.00 = 0.00");
    EXPECT_TRUE(modifier->takeProfitCheckBox->isHidden());
    modifier->closeModal();
    auto stray = openPosition(0, "2", "404", "P5");
    stray->ItemCode = "NOPE";
    open(closer.get(), 0, "0");
    EXPECT_TRUE(closer->CurrentPriceTextField->text().isEmpty());
    EXPECT_EQ(str(closer->EstimatedPLTextField), "0.00");
    EXPECT_TRUE(closer->DeviationCheckBox->isHidden());
    closer->closeModal();
}

// Each opening by name starts at the first field, wherever the last use of the
// kept dialog left the focus.
TEST_F(PositionDialogsTest, EachOpeningByNameStartsAtTheFirstField) {
    openPosition(0, "3", "1001", "P1");
    addOrder(false, 0, "4", "1001", "W7")->orderType = 3;
    kit::WindowRegistry registry;
    registerWindows(registry);
    struct Case {
        PositionDialog* dialog;
        const char* name;
        QComboBox* first;
        QWidget* lastFocused;
        kit::OpenRequest request;
    };
    for (const Case& c : {Case{modifier.get(), "ModifyPositionWindowController", modifier->QuantityComboField,
                               modifier->OrderPriceTextField, kit::recordRequest("W7", kit::kPendingMode)},
                          Case{closer.get(), "ClosendCancelPositionWindowController", closer->QuantityComboField,
                               closer->notNowButton, kit::recordRequest("P1", kit::kPositionMode)}}) {
        c.dialog->open();
        c.lastFocused->setFocus();
        c.dialog->reject();
        ASSERT_TRUE(registry.find(c.name)->open(c.dialog, c.request));
        c.dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.dialog));
        EXPECT_TRUE(c.dialog->focusWidget() == c.first || c.dialog->focusWidget() == c.first->lineEdit()) << c.name;
        c.dialog->reject();
    }
}

}  // namespace
}  // namespace trading
