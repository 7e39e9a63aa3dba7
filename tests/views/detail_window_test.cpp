// The detail sheet offscreen: a receipt shows only the bank answer to its own
// latest request, finds its position by id, closes when an open position goes
// and prints; the sessions pane asks once per market per opening.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>
#include <filesystem>

#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "model/session_schedule_info.h"
#include "orders/order_mananger.h"
#include "platform/clock.h"
#include "printing/consolidated_table_data.h"
#include "printing/print_operation.h"
#include "views/core/receipt_rows.h"
#include "views/detail_window_controller.h"
#include "views/positions_fixture.h"

namespace views {
namespace {

using Book = state::OrderBookTestAccess;

class DetailWindowTest : public ::testing::Test {
protected:
    DetailWindowTest() {
        state::ReferenceDataTestAccess::userInfo(s.data()) = std::make_shared<model::UserInfo>();
        auto other = std::make_shared<model::AccountDetails>(*s.account);
        other->AccountId = 1002;
        state::ReferenceDataTestAccess::AccountDetailCollection(s.data()).set("1002", other);
        s.position("70008", model::Order::kBuy, "2")->OrderQty = "2";
        auto second = s.position("70009", model::Order::kSell, "1");
        second->AccountNumber = "1002";
        s.gold->marketID = 3;
    }
    ~DetailWindowTest() override { platform::installClock(nullptr); }
    state::Funds& funds() { return state::SessionTestAccess::funds(*s.session); }
    std::string value(const DetailWindowController& w, std::size_t row) const { return w.rows().at(row).value; }
    std::size_t requests(const char* name) const {
        std::size_t n = 0;
        for (const auto& r : s.sent) n += r.message.find(std::string("151=") + name) != std::string::npos;
        return n;
    }
    DetailWindowController& receipt(const std::string& id) {
        sheet.setDetailViewType(detail_type::kOpenReceipt);
        sheet.setValue(id);
        sheet.showWindow();
        sheet.show();
        return sheet;
    }
    void bankAnswer(std::uint64_t request, const std::string& name) {
        funds().fillBankDetails("1\x05" "4711\x05" "0\x05" "A\x05" "0\x05" "\x05" + name, request);
    }

    std::shared_ptr<platform::FakeClock> clock = [] {
        auto c = std::make_shared<platform::FakeClock>();
        platform::installClock(c);
        return c;
    }();
    struct Executor {
        std::shared_ptr<kit::QtMainExecutor> installed = kit::QtMainExecutor::install();
        ~Executor() { platform::MainExecutor::install(nullptr); }
    } executor;
    testing::PositionsSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    DetailWindowController sheet{fake.context};
    QAbstractItemModelTester tester{sheet.detailTableView->model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(DetailWindowTest, BankRowsOnlyForTheReceiptsOwnRequest) {
    constexpr std::size_t kBankName = 2, kBankNumber = 3, kAccount = 0, kPosition = 4;
    receipt("70008");
    const std::uint64_t first = sheet.bankRequest();
    ASSERT_NE(first, 0u);
    sheet.closeModal();  // before its answer
    receipt("70009");
    const std::uint64_t second = sheet.bankRequest();
    ASSERT_GT(second, first);
    EXPECT_EQ(value(sheet, kAccount), "1002");  // the position's account, not the selected one
    EXPECT_EQ(requests("getbankaccounts"), 2u);

    bankAnswer(first, "Old Bank");
    EXPECT_EQ(value(sheet, kBankName), "");
    EXPECT_EQ(value(sheet, kBankNumber), "");
    // A re-sorted collection: the receipt still shows its own position.
    auto& open = Book::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session));
    std::reverse(open.begin(), open.end());
    bankAnswer(second, "Example Bank");
    EXPECT_EQ(value(sheet, kBankName), "Example Bank");
    EXPECT_EQ(value(sheet, kBankNumber), "4711");
    EXPECT_EQ(value(sheet, kPosition), "70009");
    EXPECT_EQ(sheet.rows().size(), std::size_t(kReceiptRowCount));

    // A new receipt never shows the record held from the earlier one.
    sheet.closeModal();
    receipt("70008");
    EXPECT_EQ(value(sheet, kBankName), "");
    // An answer after the receipt closed changes nothing.
    const std::uint64_t third = sheet.bankRequest();
    sheet.closeModal();
    bankAnswer(third, "Late Bank");
    EXPECT_EQ(value(sheet, kBankName), "");
}

TEST_F(DetailWindowTest, PrintsAndClosesWhenItsOpenPositionGoes) {
    receipt("70008");
    const auto rows = printing::ConsolidatedTableData::getConsolidatedDataFromTableView(*sheet.detailTableView, 100, 0);
    ASSERT_EQ(rows.size(), kReceiptRowCount + 1);
    EXPECT_EQ(rows.front(), (QStringList{"Entity", "Details"}));
    const QString pdf = QString::fromStdString((std::filesystem::temp_directory_path() / "receipt_test.pdf").string());
    auto target = std::make_shared<printing::PdfPrintTarget>(pdf);
    printing::PrintTarget::install(target);
    sheet.printButton->click();
    printing::PrintTarget::install(nullptr);
    EXPECT_EQ(target->printed(), 1);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    QFile::remove(pdf);

    fake.ticker.tick();
    EXPECT_TRUE(sheet.isVisible());
    auto& open = Book::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session));
    open.erase(open.begin());
    fake.ticker.tick();
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(DetailWindowTest, SessionsAskOncePerMarketAndFillOnTheAnswer) {
    DetailWindowController pane(fake.context, nullptr, true);
    pane.setDetailViewType(detail_type::kSessions);
    pane.setValue("GOLD");
    EXPECT_TRUE(pane.rows().empty());
    const auto settle = [&](std::chrono::milliseconds d) {
        clock->advance(d);
        QCoreApplication::processEvents();
    };
    settle(std::chrono::milliseconds(1900));
    EXPECT_EQ(requests("getsessionschedule"), 0u);
    settle(std::chrono::milliseconds(100));
    EXPECT_EQ(requests("getsessionschedule"), 1u);
    // Another market's answer reloads the pane: still none held, no new request.
    pane.setValue("GOLD");
    settle(std::chrono::seconds(5));
    EXPECT_EQ(requests("getsessionschedule"), 1u);
    EXPECT_TRUE(pane.rows().empty());

    std::vector<std::shared_ptr<model::SessionScheduleInfo>> week;
    for (std::uint64_t day : {6u, 0u, 2u}) {
        auto info = std::make_shared<model::SessionScheduleInfo>();
        info->marketID = 3;
        info->dayOfTheWeekID = day;
        week.push_back(info);
    }
    state::ReferenceDataTestAccess::marketSessionSchedulesCollection(s.data()).set("3", week);
    pane.setValue("GOLD");
    ASSERT_EQ(pane.rows().size(), 3u);
    const auto text = fake.context.text;
    EXPECT_EQ(pane.rows()[0], (DetailRow{text("0685"), text("10971")}));
    EXPECT_EQ(pane.rows()[1].label, text("0687"));
    EXPECT_EQ(pane.rows()[2].label, text("0691"));
    // A market without schedule empties the pane instead of keeping these rows.
    s.gold->marketID = 4;
    pane.setValue("GOLD");
    EXPECT_TRUE(pane.rows().empty());
}

}  // namespace
}  // namespace views
