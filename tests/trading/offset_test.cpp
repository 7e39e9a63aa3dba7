// The offset sheet over a session of one account and one instrument: the
// rows offered, the quantities, the ticks in their order, the checks, the
// request and the server's answer.
#include <QTest>

#include "kit/fake_context.h"
#include "kit/qt_test_app.h"
#include "kit/theme_manager.h"
#include "orders/order_fixture.h"
#include "state/session_notifications.h"
#include "support/order_book_test_access.h"
#include "support/session_test_access.h"
#include "trading/offset_position_window_controller.h"

namespace trading {
namespace {

using orders::testing::tr;
using Strings = std::vector<std::string>;

TEST(OffsetQuantities, ListsAndTypedValues) {
    struct Case {
        const char* total;
        double step;
        Strings offered;
    } cases[] = {
        {"2.5", 1, {"0", "1", "2", "2.5"}},
        {"3", 1, {"0", "1", "2", "3"}},
        {"1", 0.25, {"0", "0.25", "0.5", "0.75", "1"}},
        {"3", 0, {"0", "3"}},
    };
    for (const Case& c : cases) EXPECT_EQ(offsetQuantities(c.total, c.step), c.offered) << c.total << " " << c.step;
    EXPECT_EQ(offsetQuantities("1", 1e-9).size(), 1001u);  // capped, then the total
    for (const char* bad : {"1.2.3", "", ".", "-1", "2e3", "1,5"}) EXPECT_FALSE(offsetQuantityValue(bad)) << bad;
    EXPECT_EQ(offsetQuantityValue("0.5"), 0.5);
}

class OffsetTest : public orders::testing::OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        gi->OrderQtyStep = 1;
        main = openPosition(0, "1.5", "1001", "P1");
        openPosition(1, "1", "1001", "P2");
        openPosition(1, "0.5", "1001", "P3");
        openPosition(0, "2", "1001", "P4");               // same side
        openPosition(1, "2", "1001", "P5")->deliveryMode = 2;  // another delivery mode
        openPosition(1, "2", "1002", "P6");               // another account
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session);
        sheet = std::make_unique<OffsetPositionWindowController>(fake->context);
        ASSERT_TRUE(sheet->setPosition("P1"));
        sheet->open();
    }
    void TearDown() override {
        sheet.reset();
        fake.reset();
        OrderFixture::TearDown();
    }
    Strings ids() const {
        Strings out;
        for (const auto& r : sheet->selection().rows()) out.push_back(r.postionId);
        return out;
    }
    std::string field(int i) const { return sheet->fields[std::size_t(i)]->text().toStdString(); }
    Strings& alerts() { return fake->ui.alerts; }

    std::shared_ptr<model::Order> main;
    std::unique_ptr<kit::testing::FakeContext> fake;
    std::unique_ptr<OffsetPositionWindowController> sheet;
};

TEST_F(OffsetTest, RowsTicksAndQuantities) {
    EXPECT_EQ(ids(), (Strings{"P2", "P3"}));
    // The id isolated: it cannot reorder the app's "(B)".
    EXPECT_EQ(sheet->OffsetBox->title().toStdString(), tr("0447") + " #\u2068P1\u2069 (B)");
    EXPECT_TRUE(sheet->quantitiesOf(0).empty());  // unticked
    EXPECT_FALSE(sheet->QuantitySelectedAtIndex(0, "1"));
    sheet->hitCheckbox(0);
    EXPECT_EQ(sheet->quantitiesOf(0), (Strings{"0", "1"}));
    sheet->fields[3]->setText(QStringLiteral("7"));  // the figures come from the records, not the fields
    ASSERT_TRUE(sheet->QuantitySelectedAtIndex(0, "1"));
    EXPECT_EQ(sheet->selection().rows()[0].QtyAvailable, "0");
    EXPECT_EQ(field(4), "1");
    EXPECT_EQ(field(5), "0.5");
    sheet->fields[3]->setText(QStringLiteral("1.5"));
    EXPECT_FALSE(sheet->QuantitySelectedAtIndex(0, "1.2.3"));
    sheet->hitCheckbox(0);  // untick: back to 0 and out of the total
    EXPECT_EQ(sheet->selection().rows()[0].offsetQty, "0");
    EXPECT_EQ(sheet->selection().rows()[0].QtyAvailable, "1");
    EXPECT_EQ(field(4), "0");
    sheet->hitCheckbox(0);
    EXPECT_EQ(sheet->selection().rows()[0].offsetQty, "0");
    // The check box cell ticks as the click does.
    sheet->offsetPositionTableView->item(1, 0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(sheet->selection().isTicked(1));
    ASSERT_TRUE(sheet->QuantitySelectedAtIndex(1, "0.5"));
    sheet->resize(sheet->minimumSize());
    for (const std::int64_t theme : {0, 1}) {
        QApplication::setPalette(kit::ThemeManager::palette(theme));
        kit::ThemeManager::applyTheme({{"Windows", {sheet.get()}},
                                       {"TableView", {sheet->offsetPositionTableView}},
                                       {"TextField", std::vector<QWidget*>(sheet->fields.begin(), sheet->fields.end())}},
                                      theme);
        kit::testing::saveScreenshot(sheet.get(), theme == 0 ? "offset-dialog-dark" : "offset-dialog-light");
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

TEST_F(OffsetTest, SendsTheTickedRowsInTickOrderAndClosesOnTheAnswer) {
    sheet->hitCheckbox(1);
    sheet->hitCheckbox(0);
    sheet->QuantitySelectedAtIndex(1, "0.5");
    sheet->QuantitySelectedAtIndex(0, "1");
    sheet->fields[4]->setText(QStringLiteral("9"));  // what is sent comes from the records
    sheet->OffsetButtonClicked();
    EXPECT_TRUE(alerts().empty()) << alerts().front();
    EXPECT_EQ(sent, 1);
    EXPECT_NE(body().find("P1\x05" "1.5\x06\x07P3\x05" "0.5\x06P2\x05" "1\x06\x07"), std::string::npos);
    EXPECT_TRUE(sheet->isVisible());  // open until the answer
    platform::NotificationCenter::defaultCenter().post(orders::kPlaceOrderNotification,
                                                       std::make_shared<orders::PlaceOrderReport>("AbortModal", nullptr));
    EXPECT_TRUE(alerts().empty());
    platform::NotificationCenter::defaultCenter().post(state::notifications::kCloseHedgePosition);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(OffsetTest, ChecksInOrder) {
    // P2 ticked at 1: an offset that may go.
    const auto ready = [](OffsetTest& t) {
        t.sheet->hitCheckbox(0);
        t.sheet->QuantitySelectedAtIndex(0, "1");
    };
    struct Case {
        std::function<void(OffsetTest&)> set;
        const char* alert;  // "" : refused silently
    } cases[] = {
        {[&](OffsetTest& t) { ready(t); state::servicesOf(*t.session).connection().isNetworkAvailable = false; }, "1007"},
        {[](OffsetTest&) {}, ""},
        {[](OffsetTest& t) { t.sheet->hitCheckbox(0); }, "20241"},
        {[&](OffsetTest& t) { t.main->RemainingQty = "0.5"; ready(t); }, "20242"},
        {[](OffsetTest& t) {
             t.sheet->hitCheckbox(1);
             t.sheet->QuantitySelectedAtIndex(1, "1");
         }, "20243"},
        {[&](OffsetTest& t) { ready(t); t.account->tradingStatus = 5; }, "0333"},
        // The order manager's rule, before anything is sent.
        {[&](OffsetTest& t) { ready(t); t.account->tradingStatus = 4; t.gi->isAvailableForTrading = false; }, "1072"},
        {[&](OffsetTest& t) { ready(t); t.account->tradingStatus = 2; }, "1072"},
        {[&](OffsetTest& t) { ready(t); t.account->accountaccessType = 2; }, "1072"},
        {[&](OffsetTest& t) { ready(t); t.gi->isAvailableForTrading = false; }, "1069"},
        {[&](OffsetTest& t) { ready(t); t.sessionSettings->allowNewMarket = false; }, "1050"},
        // The position closed meanwhile.
        {[&](OffsetTest& t) {
             ready(t);
             auto& open = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*t.session));
             open.erase(open.begin());
         }, "21044"},
    };
    for (const Case& c : cases) {
        reset();
        c.set(*this);
        sheet->OffsetButtonClicked();
        EXPECT_EQ(sent, 0) << c.alert;
        EXPECT_EQ(alerts(), *c.alert ? Strings{tr("10980") + ": " + tr(c.alert)} : Strings{}) << c.alert;
        EXPECT_TRUE(sheet->isVisible()) << c.alert;
    }
}

}  // namespace
}  // namespace trading
