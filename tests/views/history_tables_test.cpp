// The cancelled, settled and executed tables offscreen: sorting through the
// state, the settled totals and its account currency column, the executed
// search and reset, and the receipt entry.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractItemModelTester>
#include <QTableView>

#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "orders/order_mananger.h"
#include "protocol/message_base.h"
#include "state/notification_payloads.h"
#include "views/cancelled_order_table_controller.h"
#include "views/core/history_cells.h"
#include "views/core/position_cells.h"
#include "views/executed_position_table_controller.h"
#include "views/positions_fixture.h"
#include "views/settled_position_table_controller.h"

namespace views {
namespace {

namespace col = position_column;
namespace note = state::notifications;
using Book = state::OrderBookTestAccess;
using Texts = std::vector<std::string>;

class HistoryTablesTest : public ::testing::Test {
protected:
    // Rows before the tables' first reload.
    bool seed() {
        state::ReferenceDataTestAccess::userInfo(s.data()) = std::make_shared<model::UserInfo>();
        for (const char* qty : {"3", "1.000", "2"}) add(Book::CancelledOrderCollection(book()))->OrderQty = qty;
        for (const char* pl : {"150.5", "-20.25"}) {
            auto o = add(Book::SettledOrderCollection(book()));
            o->setSettledQty("2");
            o->setSettledPL(pl);
        }
        s.position("70002", model::Order::kBuy, "1.5");
        add(Book::OpenOrderCollectionCopy(book()))->OpenPositionId = "70001";  // closed in the session
        return true;
    }
    state::OrderBook& book() { return state::SessionTestAccess::orderBook(*s.session); }
    std::shared_ptr<model::Order> add(state::OrderList& list) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = "1001";
        o->ItemCode = "GOLD";
        o->OrderQty = "2";
        list.push_back(o);
        return o;
    }
    static Texts column(kit::TableControllerBase& t, const char* id) {
        Texts out;
        for (int r = 0; r < t.model()->rowCount(); ++r)
            out.push_back(t.model()->index(r, t.columnWithIdentifier(id)).data().toString().toStdString());
        return out;
    }
    static Texts menuIds(kit::TableControllerBase& t) {
        Texts ids;
        for (QAction* a : t.headerMenuWidget()->actions()) ids.push_back(a->data().toString().toStdString());
        return ids;
    }
    std::string sent(int tag) const {
        const std::string& m = s.sent.back().message;
        auto decoded = protocol::MessageBase::decodeFrame(m.substr(1, m.size() - 2));
        return decoded ? decoded->messageDataDictionary().get(tag).value_or("-") : "?";
    }
    // The notification, then the turn of the event loop that reloads.
    void post(const char* name) {
        platform::NotificationCenter::defaultCenter().post(name);
        QCoreApplication::sendPostedEvents();
    }

    struct Executor {
        std::shared_ptr<kit::QtMainExecutor> installed = kit::QtMainExecutor::install();
        ~Executor() { platform::MainExecutor::install(nullptr); }
    } executor;
    testing::PositionsSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), book(), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    bool seeded = seed();
    CancelledOrderTableController cancelled{fake.context};
    SettledPositionTableController settled{fake.context, false};
    ExecutedPositionTableController executed{fake.context};
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers = [this] {
        std::vector<std::unique_ptr<QAbstractItemModelTester>> out;
        for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{&cancelled, &settled, &executed})
            out.push_back(std::make_unique<QAbstractItemModelTester>(t->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        return out;
    }();
};

// Tables without a tick refit when the font sheet applies a size: at every
// size each cell is as wide as its whole text.
TEST_F(HistoryTablesTest, ColumnsFollowEveryAppliedFontSize) {
    for (const int size : {10, 12, 16, 20}) {
        fake.preferences.saveFontSizeInfo(std::uint64_t(size), kit::PreferenceManager::kPositionsFontSize);
        post(kit::kFontSizeChangedNotification);
        for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{&cancelled, &settled, &executed}) {
            EXPECT_EQ(t->tableView()->font().pointSize(), size);
            kit::testing::expectCellsWhole(*t->tableView(), std::to_string(size));
        }
    }
}

TEST_F(HistoryTablesTest, SortsThroughTheStateAndReload) {
    cancelled.sortByColumn(cancelled.columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(column(cancelled, col::kQuantity), (Texts{"1", "2", "3"}));
    cancelled.sortByColumn(cancelled.columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(column(cancelled, col::kQuantity), (Texts{"3", "2", "1"}));
    // A later order takes the place the state gives it: after the sorted ones.
    add(Book::CancelledOrderCollection(book()))->OrderQty = "9";
    post(note::kCancelledOrderTable);
    EXPECT_EQ(column(cancelled, col::kQuantity), (Texts{"3", "2", "1", "9"}));
    settled.sortByColumn(settled.columnWithIdentifier(col::kProfitLoss));
    EXPECT_EQ(column(settled, col::kProfitLoss), (Texts{"-20.25", "150.50"}));
}

TEST_F(HistoryTablesTest, SettledTotalsFollowTheirNotificationOnly) {
    const auto label = [&] { return settled.statusLabel()->text().toStdString(); };
    EXPECT_EQ(label(), "");  // the layout's text until the first notification
    post(note::kSettledPositionTable);
    const std::string first = label();
    EXPECT_EQ(first.substr(0, first.find("     ")), fake.context.text("0027") + " : 4");
    EXPECT_NE(first.find(" : 130.25     "), std::string::npos);
    Book::SettledOrderCollection(book()).front()->setSettledQty("12345678");
    settled.sortByColumn(settled.columnWithIdentifier(col::kQuantity));
    EXPECT_EQ(label(), first);
    post(note::kSettledPositionTable);
    EXPECT_NE(label().find(" : 12345680     "), std::string::npos);

    // The account currency column: hidden and out of the menu without the option.
    const int rate = settled.columnWithIdentifier(col::kAccountCurrencyRate);
    Texts expected = settledPositionColumnIdentifiers();
    EXPECT_TRUE(settled.tableView()->isColumnHidden(rate));
    expected.erase(std::find(expected.begin(), expected.end(), col::kAccountCurrencyRate));
    EXPECT_EQ(menuIds(settled), expected);
    SettledPositionTableController with(fake.context, true);
    EXPECT_FALSE(with.tableView()->isColumnHidden(rate));
    EXPECT_EQ(menuIds(with), settledPositionColumnIdentifiers());
}

TEST_F(HistoryTablesTest, ExecutedSearchAndReset) {
    EXPECT_EQ(column(executed, col::kPositionId), (Texts{"70001", "70002"}));
    const QDateTime today(QDate::currentDate(), QTime(0, 0));
    EXPECT_EQ(executed.searchDatePicker()->dateTime(), today);
    executed.searchDatePicker()->setDateTime(QDateTime(QDate(2026, 12, 4), QTime(10, 0, 0)));
    executed.searchButton()->click();
    EXPECT_TRUE(Book::isExecutedPositionSearch(book()));
    EXPECT_EQ(executed.rowCount(), 0);  // at once: no answer yet
    ASSERT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(Texts({sent(151), sent(575), sent(576)}), (Texts{"getexecutedpositions", "20261204100000", "20261204100000"}));
    add(Book::ExecutedOrderSearchCollection(book()))->OpenPositionId = "69999";
    post(note::kExecutedPositionTable);
    EXPECT_EQ(column(executed, col::kPositionId), (Texts{"69999"}));

    executed.resetButton()->click();
    EXPECT_FALSE(Book::isExecutedPositionSearch(book()));
    EXPECT_TRUE(Book::ExecutedOrderSearchCollection(book()).empty());
    EXPECT_EQ(executed.searchDatePicker()->dateTime(), today);
    EXPECT_EQ(column(executed, col::kPositionId), (Texts{"70001", "70002"}));
    EXPECT_EQ(s.sent.size(), 1u);
}

// A list longer than a slice's rows is looked up over later slices: the rows
// shown stay until the new ones are whole.
TEST_F(HistoryTablesTest, ALongExecutedListShowsWholeOnceBuilt) {
    const std::size_t added = ExecutedPositionTableController::kSnapshotStepRows;
    for (std::size_t i = 0; i < added; ++i) add(Book::OpenOrderCollectionCopy(book()))->OpenPositionId = std::to_string(80000 + i);
    post(note::kExecutedPositionTable);
    EXPECT_EQ(column(executed, col::kPositionId), (Texts{"70001", "70002"}));
    for (int turn = 0; turn < 100 && executed.rowCount() == 2; ++turn) QCoreApplication::processEvents();
    const Texts ids = column(executed, col::kPositionId);
    ASSERT_EQ(ids.size(), added + 2);
    for (const std::string& id : Texts{"70001", "70002", "80000", std::to_string(80000 + added - 1)})
        EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << id;
}

TEST_F(HistoryTablesTest, ExecutedReceiptEntry) {
    constexpr const char* kReceipt = ExecutedPositionTableController::kReceiptWindow;
    const auto entry = [&](int row) { return executed.prepareRowMenu(row)->actions().front(); };
    EXPECT_EQ(entry(0)->text().toStdString(), fake.context.text("0481"));
    struct Case {
        std::int32_t settings;
        bool registered, shown;
    } cases[] = {{5, true, true}, {5, false, true}, {7, true, true}, {4, true, false}, {1, true, false}};
    for (const Case& c : cases) {
        s.conditions->availableOrderSettings = c.settings;
        fake.opener.registered.clear();
        if (c.registered) fake.opener.registered.insert(kReceipt);
        EXPECT_EQ(entry(1)->isVisible(), c.shown) << c.settings;
        EXPECT_EQ(entry(1)->isVisible() && entry(1)->isEnabled(), c.shown && c.registered) << c.settings;
    }
    s.conditions->availableOrderSettings = 5;
    entry(1)->trigger();
    executed.deliveryReceiptButtonClicked(2);  // below the rows
    EXPECT_EQ(fake.opener.windows, (std::vector<std::pair<std::string, std::string>>{{kReceipt, "70002"}}));
    EXPECT_FALSE(entry(2)->isVisible());
    fake.sheets.attached = true;
    EXPECT_FALSE(entry(0)->isVisible());
}

}  // namespace
}  // namespace views
