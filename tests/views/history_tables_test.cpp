// The cancelled, settled and executed tables offscreen: sorting through the
// state, the settled totals and its account currency column, the executed
// search and reset, the receipt entry; screenshots.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>

#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/theme_manager.h"
#include "orders/order_mananger.h"
#include "platform/notification_center.h"
#include "protocol/message_base.h"
#include "state/notification_payloads.h"
#include "support/order_book_test_access.h"
#include "views/cancelled_order_table_controller.h"
#include "views/core/history_cells.h"
#include "views/core/position_cells.h"
#include "views/executed_position_table_controller.h"
#include "views/positions_fixture.h"
#include "views/settled_position_table_controller.h"

namespace views {
namespace {

namespace col = position_column;
using model::Order;
using Book = state::OrderBookTestAccess;

class HistoryTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        state::ReferenceDataTestAccess::userInfo(s.data()) = std::make_shared<model::UserInfo>();
        for (const auto& [id, qty] : {std::pair{"50001", "3"}, {"", "1.000"}, {"50003", "2"}}) {
            auto o = history(Book::CancelledOrderCollection(book()));
            o->PendingOrderId = id;
            o->OrderQty = qty;
            o->orderType = Order::kLimit;
        }
        for (const auto& [id, qty, pl] : {std::tuple{"90001", "2", "150.5"}, {"90002", "0.5", "-20.25"}}) {
            auto o = history(Book::SettledOrderCollection(book()));
            o->SettlementId = id;
            o->SettledQty = qty;
            o->SettledPL = pl;
            o->SettledPrice = "2041.2";
            o->OpenPositionId = "7000" + std::string(id).substr(4);
            o->ClosingPositionId = "7100" + std::string(id).substr(4);
            o->Commision = 2.5;
            o->ItemTime = "12/04/2026 10:30:00";
        }
        s.position("70002", Order::kBuy, "1.5");
        auto closed = history(Book::OpenOrderCollectionCopy(book()));
        closed->OpenPositionId = "70001";
        closed->OrderQty = "2";
        closed->RemainingQty = "0";
        cancelled = std::make_unique<CancelledOrderTableController>(fake.context);
        settled = std::make_unique<SettledPositionTableController>(fake.context, false);
        executed = std::make_unique<ExecutedPositionTableController>(fake.context);
        for (kit::TableControllerBase* t : tables()) {
            t->resize(1300, 260);
            t->show();
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                t->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        }
    }
    void TearDown() override {
        testers.clear();
        cancelled.reset();
        settled.reset();
        executed.reset();
        platform::MainExecutor::install(nullptr);
    }
    state::OrderBook& book() { return state::SessionTestAccess::orderBook(*s.session); }
    std::shared_ptr<Order> history(state::OrderList& list) {
        auto o = std::make_shared<Order>();
        o->AccountNumber = "1001";
        o->ItemCode = "GOLD";
        o->OrderPrice = "2030.5";
        o->deliveryMode = Order::kRegular;
        o->TransactionDateTime = "12/07/2026 09:30:15";
        list.push_back(o);
        return o;
    }
    std::vector<kit::TableControllerBase*> tables() { return {cancelled.get(), settled.get(), executed.get()}; }
    std::vector<std::string> column(kit::TableControllerBase& t, const char* id) {
        std::vector<std::string> out;
        for (int r = 0; r < t.model()->rowCount(); ++r)
            out.push_back(t.model()->index(r, t.columnWithIdentifier(id)).data().toString().toStdString());
        return out;
    }
    static std::string field(const protocol::RequestMessage& r, int tag) {
        auto m = protocol::MessageBase::decodeFrame(r.message.substr(1, r.message.size() - 2));
        return m ? m->messageDataDictionary().get(tag).value_or("-") : "?";
    }
    static std::vector<std::string> menuIds(kit::TableControllerBase& t) {
        std::vector<std::string> ids;
        for (QAction* a : t.headerMenuWidget()->actions()) ids.push_back(a->data().toString().toStdString());
        return ids;
    }
    void post(const char* name) { platform::NotificationCenter::defaultCenter().post(name); }

    std::shared_ptr<kit::QtMainExecutor> executor;
    testing::PositionsSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session)};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    std::unique_ptr<CancelledOrderTableController> cancelled;
    std::unique_ptr<SettledPositionTableController> settled;
    std::unique_ptr<ExecutedPositionTableController> executed;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

TEST_F(HistoryTablesTest, CancelledAndSettledSortThroughTheStateAndReload) {
    EXPECT_EQ(column(*cancelled, col::kOrderId), (std::vector<std::string>{"50001", "-", "50003"}));
    cancelled->sortByColumn(cancelled->columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(column(*cancelled, col::kQuantity), (std::vector<std::string>{"1", "2", "3"}));
    cancelled->sortByColumn(cancelled->columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(column(*cancelled, col::kQuantity), (std::vector<std::string>{"3", "2", "1"}));
    // A later order takes the place the state gives it: after the sorted ones.
    history(Book::CancelledOrderCollection(book()))->OrderQty = "9";
    post(state::notifications::kCancelledOrderTable);
    EXPECT_EQ(column(*cancelled, col::kQuantity), (std::vector<std::string>{"3", "2", "1", "9"}));

    settled->sortByColumn(settled->columnWithIdentifier(col::kProfitLoss));
    EXPECT_EQ(column(*settled, col::kSettlementId), (std::vector<std::string>{"90002", "90001"}));
}

TEST_F(HistoryTablesTest, SettledTotalsFollowTheirNotificationOnly) {
    QLabel* label = settled->statusLabel();
    EXPECT_TRUE(label->text().isEmpty());  // the layout's text until the first notification
    post(state::notifications::kSettledPositionTable);
    const std::string first = label->text().toStdString();
    EXPECT_EQ(first.substr(0, first.find("     ")), fake.context.text("0027") + " : 2.5");
    EXPECT_NE(first.find(" : 130.25     "), std::string::npos);
    Book::SettledOrderCollection(book()).front()->SettledQty = "12345678";
    settled->sortByColumn(settled->columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(label->text().toStdString(), first);
    post(state::notifications::kSettledPositionTable);
    EXPECT_EQ(label->text().toStdString().substr(0, first.find("     ") + 8).find(" : 12345678.5"),
              fake.context.text("0027").size());
    Book::SettledOrderCollection(book()).clear();
    post(state::notifications::kSettledPositionTable);
    EXPECT_EQ(settled->rowCount(), 0);
    EXPECT_NE(label->text().toStdString().find(" : 0     "), std::string::npos);

    // The account currency column: hidden and out of the menu without the option.
    const int rate = settled->columnWithIdentifier(col::kAccountCurrencyRate);
    auto expected = settledPositionColumnIdentifiers();
    EXPECT_TRUE(settled->tableView()->isColumnHidden(rate));
    expected.erase(std::find(expected.begin(), expected.end(), col::kAccountCurrencyRate));
    EXPECT_EQ(menuIds(*settled), expected);
    SettledPositionTableController with(fake.context, true);
    EXPECT_FALSE(with.tableView()->isColumnHidden(rate));
    EXPECT_EQ(menuIds(with), settledPositionColumnIdentifiers());
}

TEST_F(HistoryTablesTest, ExecutedSearchAndReset) {
    EXPECT_EQ(column(*executed, col::kPositionId), (std::vector<std::string>{"70001", "70002"}));
    EXPECT_EQ(column(*executed, col::kQuantity), (std::vector<std::string>{"2", "1.5"}));
    const QDateTime today(QDate::currentDate(), QTime(0, 0));
    EXPECT_EQ(executed->searchDatePicker()->dateTime(), today);
    executed->searchDatePicker()->setDateTime(QDateTime(QDate(2026, 12, 4), QTime(10, 0, 0)));
    executed->searchButton()->click();
    EXPECT_TRUE(Book::isExecutedPositionSearch(book()));
    EXPECT_EQ(executed->rowCount(), 0);  // at once: no answer yet
    ASSERT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(field(s.sent[0], 151), "getexecutedpositions");
    EXPECT_EQ(field(s.sent[0], 575), "20261204100000");
    EXPECT_EQ(field(s.sent[0], 576), "20261204100000");
    history(Book::ExecutedOrderSearchCollection(book()))->OpenPositionId = "69999";
    post(state::notifications::kExecutedPositionTable);
    EXPECT_EQ(column(*executed, col::kPositionId), (std::vector<std::string>{"69999"}));

    executed->resetButton()->click();
    EXPECT_FALSE(Book::isExecutedPositionSearch(book()));
    EXPECT_TRUE(Book::ExecutedOrderSearchCollection(book()).empty());
    EXPECT_EQ(executed->searchDatePicker()->dateTime(), today);
    EXPECT_EQ(column(*executed, col::kPositionId), (std::vector<std::string>{"70001", "70002"}));
    EXPECT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(executed->dateTextField()->text().toStdString(), fake.context.text("0459"));
}

TEST_F(HistoryTablesTest, ExecutedReceiptEntry) {
    using Opened = std::vector<std::pair<std::string, std::string>>;
    constexpr const char* kReceipt = ExecutedPositionTableController::kReceiptWindow;
    const auto entry = [&](int row) { return executed->prepareRowMenu(row)->actions().front(); };
    EXPECT_EQ(entry(0)->text().toStdString(), fake.context.text("0481"));
    struct Case {
        std::int32_t settings;
        bool registered, shown;
    } cases[] = {{5, true, true}, {5, false, true}, {7, true, true}, {4, true, false}, {1, true, false}};
    for (const Case& c : cases) {
        s.conditions->availableOrderSettings = c.settings;
        fake.opener.registered.clear();
        if (c.registered) fake.opener.registered.insert(kReceipt);
        executed->reloadTable();
        EXPECT_EQ(entry(1)->isVisible(), c.shown) << c.settings;
        if (c.shown) {
            EXPECT_EQ(entry(1)->isEnabled(), c.registered) << c.settings;
        }
    }
    entry(1)->trigger();
    executed->deliveryReceiptButtonClicked(0);
    executed->deliveryReceiptButtonClicked(2);  // below the rows
    EXPECT_EQ(fake.opener.windows, (Opened{{kReceipt, "70002"}, {kReceipt, "70001"}}));
    s.conditions->availableOrderSettings = 5;
    EXPECT_FALSE(entry(2)->isVisible());
    EXPECT_FALSE(entry(-1)->isVisible());
    fake.sheets.attached = true;
    EXPECT_FALSE(entry(0)->isVisible());
}

TEST_F(HistoryTablesTest, Screenshots) {
    post(state::notifications::kSettledPositionTable);
    for (std::int64_t theme : {0, 1}) {
        QApplication::setPalette(kit::ThemeManager::palette(theme));
        const QString name = theme ? "light" : "dark";
        const std::array<QString, 3> names = {"cancelled-orders-rows-", "settled-positions-rows-",
                                              "executed-positions-rows-"};
        for (std::size_t i = 0; i < names.size(); ++i) {
            kit::TableControllerBase* t = tables()[i];
            kit::ThemeManager::applyTheme({{"Windows", {t}}, {"TableView", {t->tableView()}}}, theme);
            kit::testing::runFor(20);
            EXPECT_GT(t->rowCount(), 0);
            kit::testing::saveScreenshot(t, names[i] + name);
        }
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

}  // namespace
}  // namespace views
