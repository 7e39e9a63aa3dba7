// The order ticket offscreen over a session of one account and one instrument:
// offers and modes, fields, deviation, placing and confirmation, refusals,
// the refresh and depth tables, lifecycle, bad input. Saves screenshots.
#include <algorithm>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QAbstractItemModelTester>
#include <QTableView>
#include <QTest>

#include "charts/chart_controller.h"
#include "kit/controls/price_label.h"
#include "kit/core/kit_payloads.h"
#include "kit/fake_context.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "kit/qt_test_app.h"
#include "orders/order_fixture.h"
#include "support/reference_data_test_access.h"
#include "trading/buy_market_depth_table_controller.h"
#include "trading/sell_market_depth_table_controller.h"
#include "trading/ticket_image_button.h"
#include "trading/ticket_stepper.h"
#include "trading/trade_ticket_window_controller.h"

namespace trading {
namespace {

using kit::testing::saveScreenshot;
using orders::testing::tr;
using Strings = std::vector<std::string>;
constexpr auto items = kit::testing::comboItems;

class TradeTicketTest : public orders::testing::OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        account->tradeAccountType = 1;
        account->accountSettings = 0x02;
        item->Name = "Gold spot";
        item->priceTick = 0.01;
        item->mostSignificantDigitLength = 2;
        item->leastSignificantDigitLength = 1;
        state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"GOLD"};
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session);
        ticket = std::make_unique<TradeTicketWindowController>(fake->context);
    }
    void TearDown() override {
        ticket.reset();
        fake.reset();
        OrderFixture::TearDown();
    }
    void open() {
        ticket->setIsTradeTicketfromWatchlist(false);
        ticket->windowDidAppear();
        ticket->runModalWindow();
    }
    void advanced() {
        ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kAdvancedMode)->click();
    }
    void choose(QComboBox* combo, const QString& text) {
        combo->setCurrentIndex(combo->findText(text));
        ticket->comboBoxSelectionDidChange(combo);
    }
    model::AccountDetails* addAccount(std::int32_t id, std::int64_t settings, std::int32_t types) {
        auto a = std::make_shared<model::AccountDetails>(*account);
        a->AccountId = id;
        a->accountSettings = settings;
        a->availableOrderTypes = types;
        return state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session))
            .set(std::to_string(id), a)
            .get();
    }
    QModelIndex cell(int row, int column) const { return ticket->multitradeTableView->model()->index(row, column); }
    QString shown(int row, int column) const { return cell(row, column).data().toString(); }
    std::vector<std::int32_t> drawerAccounts() const {
        std::vector<std::int32_t> out;
        for (std::size_t i = 0; i < ticket->multiTradeRows().size(); ++i)
            out.push_back(ticket->multiTradeRows().row(i).accountDet->AccountId);
        return out;
    }
    QColor base(const QLineEdit* field) const { return field->palette().color(QPalette::Base); }
    void shoot(const QString& name) {
        for (const std::int64_t t : {0, 1}) {
            fake->theme = t;
            QApplication::setPalette(kit::ThemeManager::palette(t));
            ticket->applyTheme();
            kit::testing::runFor(30);
            saveScreenshot(ticket.get(), name + (t ? "-light" : "-dark"));
        }
        fake->theme = 0;
        QApplication::setPalette(kit::ThemeManager::palette(0));
    }

    std::unique_ptr<kit::testing::FakeContext> fake;
    std::unique_ptr<TradeTicketWindowController> ticket;
};

TEST_F(TradeTicketTest, OffersFollowPermissionsInBothModes) {
    account->availableOrderTypes = 0x41 | 0x06;
    item->availableOrderTypes = 0xC1 | 0x06;
    gi->InitialMargin = 0;
    gi->IntradayOrderMargin = 3;
    open();
    EXPECT_EQ(items(ticket->AccountComboBox), Strings{"1001"});
    EXPECT_EQ(ticket->SymbolComboBox->currentText(), "GOLD");
    EXPECT_EQ(ticket->SymbolDescriptionTextField->text(), "Gold spot");
    EXPECT_EQ(items(ticket->OrderTypeComboBox), (Strings{"Market", "Limit"}));
    EXPECT_EQ(ticket->orderType(), 1);
    EXPECT_EQ(items(ticket->ValidityComboBox), Strings{"IntraDay"});
    EXPECT_EQ(ticket->deliveryMode(), 1);  // "Regular" stays selected
    EXPECT_EQ(items(ticket->TimeinforceComboBox), (Strings{"Day", "GTF", "GTC"}));
    EXPECT_EQ(ticket->timeinForce(), 5);
    // Simple: no side boxes, the advanced box disabled.
    EXPECT_EQ(ticket->mode(), TradeTicketWindowController::kSimpleMode);
    EXPECT_TRUE(ticket->BuyCheckBox->isHidden());
    EXPECT_FALSE(ticket->OrderTypeComboBox->isEnabled());
    EXPECT_FALSE(ticket->toggleMarketDepth());
    EXPECT_TRUE(ticket->multitradeButton->isHidden());

    struct Case {
        std::int32_t settings;
        bool buy, sell, brackets;
    };
    for (const auto& c : {Case{3, true, false, true}, Case{2, false, true, false}, Case{1, true, false, false},
                          Case{0, true, false, false}}) {
        gi->availableOrderSettings = c.settings;
        ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kSimpleMode)->click();
        advanced();
        EXPECT_EQ(ticket->BuyCheckBox->isChecked(), c.buy) << c.settings;
        EXPECT_EQ(ticket->SellCheckBox->isChecked(), c.sell) << c.settings;
        EXPECT_EQ(ticket->TakeProfitCheckBox->isEnabled(), c.brackets) << c.settings;
        EXPECT_EQ(ticket->StopLossCheckBox->isEnabled(), c.brackets) << c.settings;
    }
    // Brackets need both bits; the hidden leg is unticked and emptied.
    gi->availableOrderSettings = 3;
    account->availableOrderTypes = 0x41 | 0x02;
    ticket->LoadOrderType();
    EXPECT_FALSE(ticket->TakeProfitCheckBox->isHidden());
    EXPECT_TRUE(ticket->StopLossCheckBox->isHidden());
    EXPECT_TRUE(ticket->StopLossPriceTextField->text().isEmpty());
    // Back to simple: every box unticked, side boxes hidden.
    ticket->TakeProfitCheckBox->click();
    ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kSimpleMode)->click();
    EXPECT_FALSE(ticket->TakeProfitCheckBox->isChecked());
    EXPECT_TRUE(ticket->SellCheckBox->isHidden());
    // No type offered: "" and the pending-order controls disabled.
    account->availableOrderTypes = 0x06;
    advanced();
    EXPECT_EQ(ticket->orderType(), 0);
    EXPECT_EQ(ticket->OrderTypeComboBox->count(), 0);
    EXPECT_FALSE(ticket->PriceTextField->isEnabled());
    EXPECT_FALSE(ticket->TimeinforceComboBox->isEnabled());
    // No account offered: the combo empties, the previous account stays.
    account->tradingStatus = 4;
    ticket->LoadAccountDetails();
    EXPECT_EQ(ticket->AccountComboBox->count(), 0);
    EXPECT_EQ(ticket->accountDetails()->AccountId, 1001);
}

TEST_F(TradeTicketTest, QuantitiesPricesColoursAndDeviation) {
    gi->MaxOrderQty = 20;
    open();
    EXPECT_EQ(ticket->QuantityComboBox->currentText(), "0");
    EXPECT_EQ(ticket->QuantityComboBox->count(), 22);
    choose(ticket->QuantityComboBox, "2");
    EXPECT_EQ(ticket->QuantityDescriptionTextField->text(), "2.00 x 100.00 = 200.00");

    advanced();
    choose(ticket->OrderTypeComboBox, "Limit");
    ASSERT_EQ(ticket->orderType(), 2);
    ASSERT_TRUE(ticket->PriceTextField->isEnabled());
    const std::string hint = manager->OrderTypeChange(2, kBuySide, "GOLD", 1001, false);
    ASSERT_FALSE(hint.empty());
    EXPECT_EQ(ticket->PriceTextField->text().toStdString(), hint);
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(base(ticket->PriceTextField), QColor(0, 180, 0));
    EXPECT_FALSE(ticket->contigentpricesuggestionLabel->text().isEmpty());
    // One tick above the boundary: invalid; the refresh keeps the typed price.
    ticket->PriceStepper->up->click();
    const QString typed = ticket->PriceTextField->text();
    EXPECT_NE(typed.toStdString(), hint);
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(ticket->PriceTextField->text(), typed);
    EXPECT_EQ(base(ticket->PriceTextField), QColor(180, 0, 0));
    // Take profit: ticked fills and colours it; unticked empties and neutralises it.
    ticket->TakeProfitCheckBox->click();
    EXPECT_FALSE(ticket->TakeProfitPriceTextField->text().isEmpty());
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(base(ticket->TakeProfitPriceTextField), QColor(0, 180, 0));
    ticket->TakeProfitCheckBox->click();
    ticket->UpdateValuesinTimer();
    EXPECT_TRUE(ticket->TakeProfitPriceTextField->text().isEmpty());
    EXPECT_TRUE(ticket->takeprofitpricesuggestionLabel->text().isEmpty());
    EXPECT_NE(base(ticket->TakeProfitPriceTextField), QColor(0, 180, 0));

    // Deviation: hidden for Limit, shown for Market on an account with 0x02.
    EXPECT_TRUE(ticket->DeviationCheckBox->isHidden());
    choose(ticket->OrderTypeComboBox, "Market");
    EXPECT_FALSE(ticket->DeviationCheckBox->isHidden());
    ticket->DeviationCheckBox->click();
    EXPECT_EQ(ticket->DeviationTextField->text(), "0");
    ticket->DeviationTextField->clear();
    const int before = sent;
    ticket->placeOrderButtonClicked();
    EXPECT_EQ(fake->ui.alerts, Strings{tr("10980") + ": " + tr("1076")});
    EXPECT_EQ(sent, before);
    EXPECT_EQ(ticket->confirmation(), nullptr);
    QTest::keyClicks(ticket->DeviationTextField, "123456.");
    EXPECT_EQ(ticket->DeviationTextField->text(), "12345");
    EXPECT_EQ(ticket->CreateOrderInfoforTradeMode(0, 1001, "1").deviation, 12345);
    account->accountSettings = 0;
    ticket->LoadOrderType();
    EXPECT_TRUE(ticket->DeviationCheckBox->isHidden());
    EXPECT_EQ(ticket->CreateOrderInfoforTradeMode(0, 1001, "1").deviation, -1);
}

TEST_F(TradeTicketTest, BadInputIsRefusedByTheFields) {
    open();
    advanced();
    choose(ticket->OrderTypeComboBox, "Limit");
    for (QLineEdit* field : {ticket->QuantityComboBox->lineEdit(), ticket->PriceTextField}) {
        field->clear();
        QTest::keyClicks(field, "1.2.3");
        EXPECT_EQ(field->text(), "1.23");
        QTest::keyClicks(field, "ab");
        field->insert(QString("\x03"));
        EXPECT_EQ(field->text(), "1.23");
    }
}

TEST_F(TradeTicketTest, SimpleModeConfirmsAndTheSuppressionBoxSkipsLaterSheets) {
    gi->MaxOrderQty = 20;
    open();
    choose(ticket->QuantityComboBox, "2");
    ticket->buyButton->click();
    QMessageBox* sheet = ticket->confirmation();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->informativeText().toStdString(),
              tr("0009") + " 2 (200) GOLD @ " + tr("0068") + "\n\n" + tr("0232") + " : 50.10");
    for (const std::int64_t t : {0, 1}) {  // the application's palette, as the theme sets it
        QApplication::setPalette(kit::ThemeManager::palette(t));
        kit::testing::runFor(30);
        EXPECT_EQ(sheet->palette().color(QPalette::Window), kit::ThemeManager::palette(t).color(QPalette::Window));
        saveScreenshot(sheet, t ? "ticket-confirmation-light" : "ticket-confirmation-dark");
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
    const int before = sent;
    for (QAbstractButton* b : sheet->buttons())
        if (b->text().toStdString() == tr("0060")) b->click();
    ASSERT_TRUE(kit::testing::runUntil([&] { return ticket->confirmation() == nullptr; }));
    EXPECT_EQ(sent, before);

    model::LanguageString::setProductLocalizationList({{"21021", "0343"}});  // the box's text from the table
    ticket->sellButton->click();
    model::LanguageString::setProductLocalizationList({});
    sheet = ticket->confirmation();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->checkBox()->text().toStdString(), tr("0343"));
    EXPECT_TRUE(sheet->informativeText().startsWith(QString::fromStdString(tr("0010"))));
    // The order the click built and checked is the one sent, prices and all,
    // with the request id of the moment it is sent (pings went out meanwhile).
    const std::string bidAtClick = QString::number(item->Bid, 'f', item->DecimalPlaces).toStdString();
    item->Bid -= 1;
    state::SessionTestAccess::setSessionValues(*session, 900, "R9");
    sheet->checkBox()->setChecked(true);
    sheet->defaultButton()->click();
    EXPECT_EQ(sent, before + 1);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().back()->Bid(), bidAtClick);
    EXPECT_NE(body().find("\x03" "33=901\x03"), std::string::npos) << body();
    item->Bid += 1;
    EXPECT_TRUE(fake->preferences.dontShowOrderConfirmation());
    ASSERT_TRUE(kit::testing::runUntil([&] { return ticket->confirmation() == nullptr; }));
    ticket->buyButton->click();
    EXPECT_EQ(ticket->confirmation(), nullptr);
    EXPECT_EQ(sent, before + 2);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), 2u);

    // A check fails at the click: its message, no sheet, nothing sent.
    fake->preferences.setDontShowOrderConfirmation(false);
    ticket->QuantityComboBox->setEditText("30");
    ticket->buyButton->click();
    EXPECT_EQ(ticket->confirmation(), nullptr);
    EXPECT_EQ(fake->ui.alerts.size(), 1u);
    EXPECT_EQ(sent, before + 2);
    fake->ui.alerts.clear();

    // A sheet left open across a relogin: withdrawn with the connection's text, nothing sent.
    ticket->QuantityComboBox->setEditText("2");
    ticket->buyButton->click();
    sheet = ticket->confirmation();
    ASSERT_NE(sheet, nullptr);
    state::SessionTestAccess::connectionDidConnect(*session);
    loop->runUntilIdle();
    ASSERT_EQ(state::viewOf(*session).connectionNumber(), 1u);
    const int afterRelogin = sent;
    sheet->defaultButton()->click();
    ASSERT_TRUE(kit::testing::runUntil([&] { return ticket->confirmation() == nullptr; }));
    EXPECT_EQ(sent, afterRelogin);
    EXPECT_EQ(fake->ui.alerts, Strings{tr("10980") + ": " + tr("1074")});
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), 2u);
    fake->ui.alerts.clear();

    // Market not allowed: "1080", nothing sent.
    account->availableOrderTypes = 0x40;
    ticket->buyButton->click();
    EXPECT_EQ(fake->ui.alerts, Strings{tr("10980") + ": " + tr("1080")});
    EXPECT_EQ(sent, afterRelogin);
    ticket->showConfirmationCheckBox->click();
    EXPECT_EQ(fake->preferences.showConfirmationAlert(), ticket->showConfirmationCheckBox->isChecked());
}

TEST_F(TradeTicketTest, AdvancedModePlacesLimitsAtOnceAndConfirmsMarketsWithBrackets) {
    gi->MaxOrderQty = 20;
    open();
    advanced();
    choose(ticket->QuantityComboBox, "1");
    // The side only.
    const auto before = state::viewOf(*session).getPendingOrderCollection().size();
    ticket->sellButton->click();
    EXPECT_TRUE(ticket->SellCheckBox->isChecked());
    EXPECT_FALSE(ticket->BuyCheckBox->isChecked());
    EXPECT_EQ(ticket->GetTradingMode(), kSellSide);
    ticket->buyButton->click();
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), before);
    EXPECT_EQ(ticket->confirmation(), nullptr);

    choose(ticket->OrderTypeComboBox, "Limit");
    ticket->placeOrderButtonClicked();
    EXPECT_EQ(ticket->confirmation(), nullptr);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), before + 1);

    choose(ticket->OrderTypeComboBox, "Market");
    ticket->TakeProfitCheckBox->click();
    ticket->StopLossCheckBox->click();
    ticket->DeviationCheckBox->click();
    ticket->DeviationTextField->setText("5");
    ticket->UpdateValuesinTimer();
    shoot("ticket-advanced-brackets");
    ticket->placeOrderButtonClicked();
    QMessageBox* sheet = ticket->confirmation();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), before + 1);  // nothing before the answer
    const std::string textShown = sheet->informativeText().toStdString();
    const auto tp = textShown.find(tr("0233") + " @ " + ticket->TakeProfitPriceTextField->text().toStdString());
    const auto sl = textShown.find(tr("0234") + " @ " + ticket->StopLossPriceTextField->text().toStdString());
    ASSERT_NE(tp, std::string::npos);
    ASSERT_NE(sl, std::string::npos);
    EXPECT_LT(tp, sl);
    // The order the click built and checked is the one sent, prices and all;
    // the sheet states the price its deviation is measured from.
    const std::string askAtClick = QString::number(item->Ask, 'f', item->DecimalPlaces).toStdString();
    EXPECT_NE(textShown.find(tr("10848") + " 5 @ " + askAtClick), std::string::npos) << textShown;
    item->Ask += 1;
    sheet->defaultButton()->click();
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), before + 2);
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().back()->Ask(), askAtClick);
    EXPECT_FALSE(fake->preferences.dontShowOrderConfirmation());

    // Refusals show under "10980"; "AbortModal" shows nothing; the ticket stays open.
    fake->ui.alerts.clear();
    manager->sendNotification("refused here", nullptr);
    manager->sendNotification(orders::kAbortModal, nullptr);
    EXPECT_EQ(fake->ui.alerts, Strings{tr("10980") + ": refused here"});
    EXPECT_TRUE(ticket->isVisible());
}

TEST_F(TradeTicketTest, RefreshShowsLiveValuesArrowsAndDepth) {
    auto& feed = state::SessionTestAccess::feedChannels(*session);
    feed.setMarketDepth("GOLD", Strings{"50.00,3", "49.99,7", "49.98,1", "49.97,2", "49.96,5", "49.95,9", "49.94,4"},
                        Strings{"50.10,2", "bad", "50.12,8"});
    item->Ask = 50.125;
    item->Bid = 50.1;
    open();
    QAbstractItemModelTester buyTester(ticket->buyMarketDepthTableController,
                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester sellTester(ticket->sellMarketDepthTableController,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(ticket->SymbolTextLabel->text(), "GOLD");
    EXPECT_EQ(ticket->TimeTextLabel->text(), "10:11:12");
    EXPECT_EQ(ticket->LowTextLabel->text(), "Low : 49.00");
    EXPECT_EQ(ticket->HighTextLabel->text(), "High : 51.00");
    EXPECT_EQ(ticket->SpreadTextLabel->text(), "2.5");
    auto* buyModel = ticket->buyMarketDepthTableController;
    auto* sellModel = ticket->sellMarketDepthTableController;
    EXPECT_EQ(buyModel->rowCount(), 5);
    EXPECT_EQ(sellModel->rowCount(), 3);
    EXPECT_EQ(buyModel->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), tr("0213"));
    EXPECT_EQ(sellModel->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), tr("0215"));
    EXPECT_EQ(sellModel->index(0, 0).data().toString(), "50.10");
    EXPECT_EQ(sellModel->index(1, 0).data().toString(), "");
    EXPECT_EQ(sellModel->index(2, 1).data().toString(), "8");

    // Arrows against the ticket's own last prices, whatever the shared record holds.
    item->previousAsk = 1000;
    const QImage green = ticket->buyIndicatorImageView->pixmap().toImage();
    EXPECT_TRUE(green.isNull());  // first showing: nothing to compare with
    item->Ask = 50.2;
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(ticket->buyIndicatorImageView->pixmap().toImage().pixelColor(8, 8), QColor(0, 153, 0));
    ticket->UpdateValuesinTimer();
    EXPECT_TRUE(ticket->buyIndicatorImageView->pixmap().isNull());
    item->Ask = 50.0;
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(ticket->buyIndicatorImageView->pixmap().toImage().pixelColor(8, 8), QColor(230, 0, 38));
    EXPECT_EQ(item->previousAsk, 1000);
    item->Ask = 50.12;

    // Depth shrinks and vanishes between refreshes.
    feed.setMarketDepth("GOLD", Strings{"50.00,3"}, Strings{});
    ticket->UpdateValuesinTimer();
    EXPECT_EQ(buyModel->rowCount(), 1);
    EXPECT_EQ(sellModel->rowCount(), 0);
    feed.setMarketDepth("GOLD", Strings{"50.00,3", "49.99,7", "49.98,1", "49.97,2", "49.96,5"},
                        Strings{"50.10,2", "50.11,4", "50.12,8", "50.13,1", "50.14,6"});
    ticket->UpdateValuesinTimer();
    ticket->toggleRightDrawer();
    EXPECT_TRUE(ticket->toggleMarketDepth());
    EXPECT_TRUE(ticket->rightDrawer->isVisible());
    shoot("ticket-depth");
    ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kSimpleMode)->click();
    ticket->toggleRightDrawer();
    shoot("ticket-simple");
}

TEST_F(TradeTicketTest, ChartAndDrawersTakeTheTheme) {
    for (const std::int64_t t : {1, 0}) {
        fake->theme = t;  // stored before the ticket opens, as the application does
        open();
        // Answered whether the chart asked again or drew the held answer.
        state::SessionTestAccess::dataServiceAnswers(*session).fillChartData(
            "<1041~GOLD^BA~2>12/07/26,12/07/26#10:11:00,10:12:00#50.1,50.2#50.3,50.4#49.9,50#50,50.1<END>",
            state::servicesOf(*session).requestId(), std::nullopt);
        loop->runUntilIdle();
        const charts::plot::XYGraph* graph = ticket->TradeChart->graph();
        ASSERT_NE(graph, nullptr) << t;
        EXPECT_EQ(graph->theme(), t ? charts::plot::GraphTheme::PlainWhite : charts::plot::GraphTheme::PlainBlack) << t;
    }
    // Every title and label of both drawers takes the theme's text colour, in whichever order the themes come.
    for (const std::int64_t t : {1, 0, 1, 0}) {
        fake->theme = t;
        QApplication::setPalette(kit::ThemeManager::palette(t));
        ticket->applyTheme();
        const QPalette theme = kit::ThemeManager::palette(t);
        for (QWidget* drawer : {static_cast<QWidget*>(ticket->leftDrawer), static_cast<QWidget*>(ticket->rightDrawer)}) {
            EXPECT_EQ(drawer->palette().color(QPalette::Window), theme.color(QPalette::Window)) << t;
            for (QWidget* w : drawer->findChildren<QWidget*>()) {
                if (!qobject_cast<QGroupBox*>(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QCheckBox*>(w)) continue;
                EXPECT_EQ(w->palette().color(QPalette::WindowText), theme.color(QPalette::WindowText))
                    << drawer->objectName().toStdString() << " " << w->metaObject()->className() << " theme " << t;
            }
        }
    }
}

// In simple mode a symbol change leaves no price of the previous instrument.
TEST_F(TradeTicketTest, SimpleModeSymbolChangeClearsThePrice) {
    auto silver = std::make_shared<model::ItemDetails>(*item);
    silver->Code = "SILVER";
    state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set("SILVER", silver);
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"GOLD", "SILVER"};
    open();
    advanced();
    choose(ticket->OrderTypeComboBox, "Limit");
    ASSERT_FALSE(ticket->PriceTextField->text().isEmpty());
    ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kSimpleMode)->click();
    choose(ticket->SymbolComboBox, "SILVER");
    EXPECT_TRUE(ticket->PriceTextField->text().isEmpty()) << ticket->PriceTextField->text().toStdString();
}

// The chart's live bar runs on the ticker only while the ticket shows; the
// ticket's own refresh stays.
TEST_F(TradeTicketTest, ChartFollowsTheTickerWhileShown) {
    open();
    state::SessionTestAccess::dataServiceAnswers(*session).fillChartData(
        "<1041~GOLD^BA~2>12/07/26,12/07/26#10:11:00,10:12:00#50.1,50.2#50.3,50.4#49.9,50#50,50.1<END>",
        state::servicesOf(*session).requestId(), std::nullopt);
    loop->runUntilIdle();
    ASSERT_NE(ticket->TradeChart->graph(), nullptr);
    for (const bool shown : {false, true}) {
        shown ? ticket->runModalWindow() : ticket->hide();
        EXPECT_EQ(fake->ticker.subscriberCount(), shown ? 2u : 1u);
    }
}

TEST_F(TradeTicketTest, OneTimerAndObserversWhileOpenAndAnEmptyWatchlistCloses) {
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto placeObservers = center.observerCount(orders::kPlaceOrderNotification);
    open();
    open();
    EXPECT_TRUE(ticket->hasTimer());
    EXPECT_EQ(fake->ticker.subscriberCount(), 1u);  // one refresh however often it opens
    EXPECT_EQ(ticket->observerCount(), 4u);
    EXPECT_EQ(center.observerCount(orders::kPlaceOrderNotification), placeObservers + 1);
    // A theme change while open re-themes the ticket whole, its marks with it.
    fake->theme = 1;
    center.post(kit::kThemeChangedNotification);
    EXPECT_EQ(ticket->palette().color(QPalette::Window), kit::ThemeManager::palette(1).color(QPalette::Window));
    for (const QAbstractButton* mark : ticket->findChildren<QAbstractButton*>())
        if (mark->inherits("QCheckBox") || mark->inherits("QRadioButton")) {
            EXPECT_EQ(mark->palette().color(QPalette::Normal, QPalette::WindowText),
                      kit::ThemeManager::palette(1).color(QPalette::Normal, QPalette::WindowText));
        }
    fake->theme = 0;
    ticket->toggleRightDrawer();
    ticket->close();
    EXPECT_FALSE(ticket->hasTimer());
    EXPECT_EQ(fake->ticker.subscriberCount(), 0u);
    EXPECT_EQ(center.observerCount(orders::kPlaceOrderNotification), placeObservers);
    EXPECT_FALSE(ticket->toggleMarketDepth());

    // From a watchlist row: that instrument.
    auto other = std::make_shared<model::ItemDetails>(*item);
    other->Code = "SILVER";
    state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set("SILVER", other);
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"GOLD", "SILVER"};
    ticket->setIsTradeTicketfromWatchlist(true);
    ticket->setValue("SILVER", "ItemCode");
    ticket->windowDidAppear();
    ticket->runModalWindow();
    EXPECT_EQ(ticket->itemCode(), "SILVER");
    EXPECT_EQ(ticket->SymbolComboBox->currentText(), "SILVER");

    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)).clear();
    center.post("ItemUpdateNotification");
    EXPECT_FALSE(ticket->isVisible());
    EXPECT_FALSE(ticket->hasTimer());
}


using Ids = std::vector<std::int32_t>;

TEST_F(TradeTicketTest, DrawerOpenOffersBracketsAndMarketDeviationUntilItCloses) {
    account->availableOrderTypes = 0xC1;  // neither bracket bit, no deviation bit
    account->accountSettings = 0;
    addAccount(1002, 0x02, 0xC1);
    open();
    advanced();
    ASSERT_FALSE(ticket->multitradeButton->isHidden());
    EXPECT_TRUE(ticket->TakeProfitCheckBox->isHidden());
    EXPECT_TRUE(ticket->DeviationCheckBox->isHidden());
    for (const bool drawer : {true, false}) {
        ticket->multitradeButton->click();
        ASSERT_EQ(ticket->toggleMultiTrade(), drawer);
        EXPECT_EQ(ticket->AccountComboBox->isEnabled(), !drawer);
        EXPECT_EQ(ticket->QuantityComboBox->isEnabled(), !drawer);
        for (QWidget* w : {static_cast<QWidget*>(ticket->TakeProfitCheckBox), static_cast<QWidget*>(ticket->StopLossStepper)})
            EXPECT_EQ(w->isHidden(), !drawer);
        struct Case {
            const char* type;
            bool deviation;
        };
        for (const auto& c : {Case{"Market", drawer}, Case{"Limit", false}, Case{"Market", drawer}}) {
            choose(ticket->OrderTypeComboBox, c.type);
            EXPECT_EQ(ticket->DeviationCheckBox->isHidden(), !c.deviation) << c.type << drawer;
        }
    }
    // A view-only account among them: no drawer.
    addAccount(1003, 0x03, 0xC1);
    open();
    EXPECT_TRUE(ticket->multitradeButton->isHidden());
}

TEST_F(TradeTicketTest, DrawerRowsTicksQuantitiesAndOneBulkOrder) {
    account->accountSettings = 0;
    account->Balance = 25000;
    addAccount(1002, 0x02, 0xE7)->Balance = 12500.5;
    addAccount(1003, 0x02, 0x47)->Balance = 8000;
    open();
    advanced();
    ticket->multitradeButton->click();
    QAbstractItemModelTester tester(ticket->multitradeTableView->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(drawerAccounts(), (Ids{1001, 1002, 1003}));
    EXPECT_EQ(cell(0, 1).data(Qt::FontRole).value<QFont>().pointSize(), 12);
    // Rows by the order type's bit and by the deviation box, which clears the ticks.
    struct Case {
        const char* type;
        bool deviation;
        Ids rows;
    };
    for (const auto& c : {Case{"Stop", false, {1001, 1002}}, Case{"Market", true, {1002, 1003}},
                          Case{"Market", false, {1001, 1002, 1003}}}) {
        ticket->hitCheckbox(0);
        choose(ticket->OrderTypeComboBox, c.type);
        if (ticket->DeviationCheckBox->isChecked() != c.deviation) ticket->DeviationCheckBox->click();
        EXPECT_EQ(drawerAccounts(), c.rows) << c.type;
        EXPECT_TRUE(ticket->multiTradeRows().ticks().empty()) << c.type;
    }
    // Nothing ticked: "3024", nothing sent.
    const int before = sent;
    ticket->PlaceOrderButton->click();
    EXPECT_EQ(fake->ui.alerts, Strings{tr("10980") + ": " + tr("3024")});
    // The header sets every ticked row, from two ticks on; a cell only while ticked.
    auto* model = ticket->multitradeTableView->model();
    EXPECT_FALSE(model->setData(cell(1, 2), "4", Qt::EditRole));
    ticket->hitCheckbox(1);
    ticket->doubleClickInTableViewHeader(2);
    EXPECT_EQ(ticket->headerEditor(), nullptr);
    ticket->hitCheckbox(2);
    ticket->hitCheckbox(0);
    ticket->doubleClickInTableViewHeader(2);
    ASSERT_NE(ticket->headerEditor(), nullptr);
    QTest::keyClicks(ticket->headerEditor(), "2");
    QTest::keyClick(ticket->headerEditor(), Qt::Key_Return);
    EXPECT_EQ(ticket->headerEditor(), nullptr);
    EXPECT_EQ(shown(0, 2), "2");
    EXPECT_EQ(shown(2, 2), "2");
    EXPECT_EQ(ticket->QuantityComboBox->currentText(), "6");
    // Unticked and ticked again: from 0, and last in the order.
    ticket->hitCheckbox(2);
    ticket->hitCheckbox(2);
    EXPECT_EQ(shown(2, 2), "0");
    EXPECT_EQ(ticket->QuantityComboBox->currentText(), "4");
    model->setData(cell(1, 2), "1", Qt::EditRole);
    model->setData(cell(0, 2), "2", Qt::EditRole);
    model->setData(cell(2, 2), "0.5", Qt::EditRole);
    EXPECT_EQ(ticket->QuantityComboBox->currentText(), "3.5");
    shoot("ticket-drawer");

    ticket->PlaceOrderButton->click();
    QMessageBox* sheet = ticket->confirmation();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->informativeText().startsWith(QString::fromStdString(tr("0009") + " 3.5 (350) GOLD")));
    // It lists what each account gets, and is sent with the click's prices and the request id of the moment it is sent.
    EXPECT_TRUE(sheet->informativeText().endsWith(QString::fromStdString(
        tr("0012") + " : 1002   " + tr("0027") + " : 1\n" + tr("0012") + " : 1001   " + tr("0027") + " : 2\n" +
        tr("0012") + " : 1003   " + tr("0027") + " : 0.5")));
    saveScreenshot(sheet, "ticket-drawer-confirmation-dark");
    const std::string askAtClick = QString::number(item->Ask, 'f', item->DecimalPlaces).toStdString();
    item->Ask += 1;
    state::SessionTestAccess::setSessionValues(*session, 900, "R9");
    sheet->defaultButton()->click();
    EXPECT_EQ(sent, before + 1);
    EXPECT_NE(body().find("1002\x05" "1.000000\x05" "901\x06" "1001\x05" "2.000000\x05" "901\x06" "1003\x05"
                          "0.500000\x05" "901\x06"),
              std::string::npos) << body();
    EXPECT_NE(body().find("=" + askAtClick + "\x03"), std::string::npos) << body();
    EXPECT_EQ(body().find("=" + QString::number(item->Ask, 'f', item->DecimalPlaces).toStdString() + "\x03"),
              std::string::npos) << body();
    ASSERT_TRUE(kit::testing::runUntil([&] { return ticket->confirmation() == nullptr; }));
    // A row that fails the order checks: nothing at all is sent.
    model->setData(cell(0, 2), "0", Qt::EditRole);
    fake->ui.alerts.clear();
    ticket->sellButton->click();
    ticket->PlaceOrderButton->click();
    EXPECT_EQ(ticket->confirmation(), nullptr);
    EXPECT_EQ(fake->ui.alerts.size(), 1u);
    EXPECT_EQ(sent, before + 1);
    // An empty header edit sets 0 on every ticked row.
    ticket->doubleClickInTableViewHeader(2);
    ASSERT_NE(ticket->headerEditor(), nullptr);
    QTest::keyClick(ticket->headerEditor(), Qt::Key_Return);
    EXPECT_EQ(ticket->multiTradeRows().total(), 0);
}

TEST_F(TradeTicketTest, DrawerRebuildByABracketBoxStartsTheQuantityBoxAgain) {
    account->accountSettings = 0;
    addAccount(1002, 0x02, 0xE7);
    open();
    advanced();
    ticket->multitradeButton->click();
    const std::pair<QWidget*, std::string> titles[] = {
        {ticket->tradeTicketBox, tr("0072")},  {ticket->AdvancedTradeTicketBox, tr("0342")},
        {ticket->multiTradeBox, tr("0482")},   {ticket->depthBox, tr("0288")},
        {ticket->multiAccountSelectAllCheckBox, tr("90302")},
    };
    for (const auto& [widget, title] : titles)
        EXPECT_EQ((qobject_cast<QGroupBox*>(widget) ? qobject_cast<QGroupBox*>(widget)->title()
                                                     : qobject_cast<QCheckBox*>(widget)->text())
                      .toStdString(),
                  title);
    for (QCheckBox* box : {ticket->TakeProfitCheckBox, ticket->StopLossCheckBox}) {
        ticket->multiAccountSelectAllCheckBox->click();
        ticket->multitradeTableView->model()->setData(cell(0, 2), "3", Qt::EditRole);
        ASSERT_EQ(ticket->QuantityComboBox->currentText(), "3");
        box->click();  // every row again, nothing ticked
        EXPECT_EQ(drawerAccounts(), (Ids{1001, 1002}));
        EXPECT_TRUE(ticket->multiTradeRows().ticks().empty());
        EXPECT_FALSE(ticket->multiAccountSelectAllCheckBox->isChecked());
        EXPECT_EQ(ticket->QuantityComboBox->currentText(), "0") << box->objectName().toStdString();
    }
}

// The ticket fits ./run's 1280x800 screen under a title bar (760 high) at
// every font size of the settings and in scripts of tall glyphs; so does its
// multi-account drawer.
TEST_F(TradeTicketTest, FitsA1280x800ScreenAtEveryFontSizeAndLanguage) {
    account->accountSettings = 0;
    addAccount(1002, 0, 0xE7);
    for (const std::int64_t points : {10, 12, 16, 20}) {
        for (const char* folder : {"en", "ru", "zh-Hans", "Bengali", "ne", "fa-AF"}) {
            const auto& folders = model::LanguageString::languageFolders();
            const auto language = std::find(folders.begin(), folders.end(), folder) - folders.begin();
            fake->preferences.saveFontSizeInfo(points, kit::PreferenceManager::kWatchlistFontSize);
            fake->preferences.saveFontSizeInfo(points, kit::PreferenceManager::kPositionsFontSize);
            fake->context.language = language;
            fake->context.text = [language](const std::string& key) {
                return model::LanguageString::stringforSelectedLanguage(language, key);
            };
            ticket = std::make_unique<TradeTicketWindowController>(fake->context);
            open();
            advanced();
            ticket->multitradeButton->click();
            kit::testing::runFor(10);
            EXPECT_LE(ticket->minimumSizeHint().height(), 760) << folder << " at " << points;
            EXPECT_LE(ticket->height(), 760) << folder << " at " << points;
            if (points == 20 && std::string(folder) == "zh-Hans") shoot("ticket-zh-Hans-font20");
        }
    }
}

// A figure is never elided: the margin column and the drawer widen to the
// largest figure the simulator makes (-162 million at --scale 20; its largest
// scale, 100, five times that); a small one fills the table.
TEST_F(TradeTicketTest, DrawerMarginColumnShowsEveryFigureWhole) {
    account->accountSettings = 0;
    addAccount(1002, 0, 0xE7);
    open();
    ticket->multitradeButton->click();
    const QAbstractItemView* view = ticket->multitradeTableView;
    const QTableView* table = ticket->multitradeTableView;
    for (const double balance : {25'000.0, -162'197'345.67, -811'000'000.0, -9'999'999'999.99}) {
        account->Balance = balance;
        fake->ticker.tick();
        const QString figure = shown(0, 3);
        const QFontMetrics metrics(cell(0, 3).data(Qt::FontRole).value<QFont>());
        EXPECT_GE(table->columnWidth(3), std::max(view->sizeHintForColumn(3), metrics.horizontalAdvance(figure)))
            << figure.toStdString();
        // In sight, up to the table's right edge: the drawer widened for it.
        EXPECT_EQ(table->columnViewportPosition(3) + table->columnWidth(3), view->viewport()->width()) << balance;
        if (balance == -811'000'000.0) shoot("ticket-drawer-large");
    }
}

TEST_F(TradeTicketTest, DrawerMarginFollowsTheTickerAndLeavesTheAccountAlone) {
    account->Balance = 1000;
    group->RevLeverageOnFLoss = 50;
    addAccount(1002, 0, 0xE7);
    auto position = openPosition(0, "1");
    position->UnrealisedPL = -200;
    open();
    ticket->multitradeButton->click();
    EXPECT_EQ(shown(0, 3), "900.00");
    position->UnrealisedPL = -400;
    EXPECT_EQ(shown(0, 3), "900.00");
    fake->ticker.tick();
    EXPECT_EQ(shown(0, 3), "800.00");
    EXPECT_EQ(account->AvailableMargin, 100000);
    EXPECT_EQ(account->Equity, 100000);
    EXPECT_EQ(account->UnrealisedPL, 0);
    // Closed drawer: the ticker leaves the column as it was.
    ticket->multitradeButton->click();
    position->UnrealisedPL = 0;
    fake->ticker.tick();
    EXPECT_EQ(shown(0, 3), "800.00");
}

}  // namespace
}  // namespace trading
