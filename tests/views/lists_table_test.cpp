// The advanced watchlist, the watchlist editor, the accounts and the journal
// offscreen over a session of the test's own.
#include <gtest/gtest.h>
#include <functional>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/shown_text.h"
#include "orders/order_mananger.h"
#include "state/session_notifications.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/journal.h"
#include "views/accounts_table_controller.h"
#include "views/add_remove_window_controller.h"
#include "views/advanced_table_cell.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/core/account_cells.h"
#include "views/core/watchlist_cells.h"
#include "views/journal_table_controller.h"
#include "views/watchlist_fixture.h"

namespace views {
namespace {

using Access = state::ReferenceDataTestAccess;

class ListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        gold = s.item("GOLD", 2035.39, 2035.59);
        closed = s.item("OLDCO", 12.5, 12.75);
        closed->instrumentTradingStatus = 3;
        s.item("SILVER", 23.1, 23.2);
        Access::selectedSymbols(s.data()) = {"GOLD", "OLDCO", "NOREC"};
        Access::symbolTypeCollection(s.data()).set("Commodities", "GOLD:Gold spot,OLDCO:Old Co: shares,NOREC:Gone");
        Access::symbolTypeCollection(s.data()).set("Metals", "GOLD:Gold spot,SILVER:Silver");
        for (const auto& [id, status, bits] : {std::tuple{1001, 1, 0x10}, {1002, 5, 0x00}, {1003, 3, 0x20}}) {
            auto a = std::make_shared<model::AccountDetails>();
            a->AccountId = id;
            a->AccountName = "Account " + std::to_string(id);
            a->tradingStatus = status;
            a->accountaccessType = 1;
            a->tradeAccountType = 1;
            a->accountSettings = bits;
            a->Equity = id == 1002 ? -0.01 : 0;
            Access::AccountDetailCollection(s.data()).set(std::to_string(id), a);
        }
    }
    void TearDown() override { platform::MainExecutor::install(nullptr); }
    state::Journal& journal() { return state::SessionTestAccess::journal(*s.session); }
    // The notification, then the turn of the event loop that reloads.
    void journalChanged() {
        platform::NotificationCenter::defaultCenter().post(state::notifications::kJournalTable);
        QCoreApplication::sendPostedEvents();
    }

    std::shared_ptr<kit::QtMainExecutor> executor;
    testing::WatchlistSession s;
    std::shared_ptr<model::ItemDetails> gold, closed;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
};

TEST_F(ListsTest, AdvancedRowsButtonsAndDrag) {
    AdvancedWatchlistTableController table(fake.context);
    QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.resize(360, 420);
    table.show();
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.tableView()->rowHeight(0), AdvancedTableCell::kRowHeight);
    EXPECT_EQ(table.row(0)->askMove, PriceMove::Rise);
    table.RefreshTableview();
    EXPECT_EQ(table.row(0)->askMove, PriceMove::Unchanged);
    gold->Bid -= 1;
    table.RefreshTableview();
    EXPECT_EQ(table.row(0)->bidMove, PriceMove::Fall);
    {
        // The falling bid's red arrow sits on light ground on the red sell button.
        const QRect row = table.tableView()->visualRect(table.model()->index(0, 0));
        const QImage shot = table.tableView()->viewport()->grab().toImage();
        const QRect arrow = AdvancedTableCell::arrowRect(AdvancedTableCell::buttonRect(row, AdvancedTableCell::Button::Sell));
        int light = 0, red = 0;
        for (int y = arrow.top(); y <= arrow.bottom(); ++y)
            for (int x = arrow.left(); x <= arrow.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                light += c.lightness() > 200;
                red += c.red() > 150 && c.green() < 90;
            }
        EXPECT_GT(light, arrow.width() * arrow.height() / 5);
        EXPECT_GT(red, 0);
    }

    // A press on each button of each row, where the delegate draws it.
    struct Case {
        int row;
        AdvancedTableCell::Button button;
        std::size_t tickets;
        bool alerted;
    } cases[] = {
        {0, AdvancedTableCell::Button::Buy, 1, false},
        {0, AdvancedTableCell::Button::Sell, 2, false},
        {1, AdvancedTableCell::Button::Buy, 2, true},   // not active
        {2, AdvancedTableCell::Button::Sell, 2, true},  // no record
    };
    for (const Case& c : cases) {
        const QRect row = table.tableView()->visualRect(table.model()->index(c.row, 0));
        QTest::mouseClick(table.tableView()->viewport(), Qt::LeftButton, {},
                          AdvancedTableCell::buttonRect(row, c.button).center());
        EXPECT_EQ(fake.opener.tickets.size(), c.tickets) << c.row;
        QMessageBox* alert = table.currentAlert();
        EXPECT_EQ(alert && alert->isVisible(), c.alerted) << c.row;
        if (alert) {
            EXPECT_EQ(alert->informativeText().toStdString(), fake.context.text("1069"));
            alert->close();
        }
    }
    EXPECT_EQ(fake.opener.tickets, (std::vector<std::string>{"GOLD", "GOLD"}));
    std::unique_ptr<QMimeData> drag(table.model()->mimeData({table.model()->index(1, 0)}));
    EXPECT_EQ(drag->text(), "OLDCO");
    // A row kept from the last tick is the row its instrument makes now.
    const std::function<void()> changes[] = {
        [] {},
        [&] { gold->Low -= 1; },
        [&] { gold->High += 1; },
        [&] { gold->UpdateTime = "01/02/2024 14:31:07"; },
        [&] { gold->DecimalPlaces = 3; },
        [&] { gold->priceTick = 0.5; },
        [&] { gold->mostSignificantDigitLength = 3; },
        [&] { gold->leastSignificantDigitLength = 1; },
        [&] { gold->instrumentTradingStatus = 2; },
    };
    for (std::size_t at = 0; at < std::size(changes); ++at) {
        changes[at]();
        table.RefreshTableview();
        const AdvancedRow* shown = table.row(0);
        EXPECT_EQ(*shown, advancedRow("GOLD", gold.get(), {shown->bidMove, shown->askMove})) << at;
    }
    // The watchlist saved elsewhere shows at the next tick.
    Access::selectedSymbols(s.data()) = {"SILVER"};
    table.RefreshTableview();
    EXPECT_EQ(table.rowCount(), 1);
}


// A list longer than a slice's rows is read over later slices: the rows shown
// stay until the new ones are whole; a list changed meanwhile follows.
TEST_F(ListsTest, ALongAdvancedListShowsWholeOnceBuilt) {
    AdvancedWatchlistTableController table(fake.context);
    QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(table.rowCount(), 3);
    const auto setLongList = [&](const std::string& last) {
        std::vector<std::string>& codes = Access::selectedSymbols(s.data());
        codes.assign(AdvancedWatchlistTableController::kSnapshotStepRows, "OLDCO");
        codes.push_back(last);
    };
    setLongList("GOLD");
    table.reloadTable();
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.row(0)->code, "GOLD");
    setLongList("NOREC");  // before the build ends
    const int rows = int(AdvancedWatchlistTableController::kSnapshotStepRows) + 1;
    for (int turn = 0; turn < 100 && !(table.rowCount() == rows && table.row(rows - 1)->code == "NOREC"); ++turn)
        QCoreApplication::processEvents();
    ASSERT_EQ(table.rowCount(), rows);
    EXPECT_EQ(table.row(rows - 1)->code, "NOREC");
    EXPECT_EQ(*table.row(0), advancedRow("OLDCO", closed.get(), {}));
    // Ticks follow the whole list again.
    closed->Bid -= 1;
    table.RefreshTableview();
    EXPECT_EQ(table.row(0)->bidMove, PriceMove::Fall);
}

TEST_F(ListsTest, EditorMarksSavesAndNotifiesInOrder) {
    AddRemoveWindowController editor(fake.context);
    editor.showWindow();
    QTreeWidgetItem* group = editor.ItemCategoryOutlineView->topLevelItem(0);
    ASSERT_EQ(group->childCount(), 2);
    EXPECT_EQ(group->text(0), "Item Type");
    EXPECT_TRUE(group->child(0)->isSelected());  // the first type until another is chosen
    const QAbstractItemModel& rows = *editor.ItemTableView->model();
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.index(1, 1).data().toString(), "Old Co");
    EXPECT_FALSE(rows.index(1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(rows.index(2, 0).data(Qt::DecorationRole).value<QIcon>().isNull());  // NOREC: no mark

    std::vector<std::string> seen;
    auto& center = platform::NotificationCenter::defaultCenter();
    std::vector<platform::ObserverHandle> observers;
    for (const char* name : {state::notifications::kWatchlistTable, state::notifications::kItemUpdate})
        observers.emplace_back(&center, center.addObserver(name, [&, name](const auto&) {
            seen.push_back(std::string(name) + " " + std::to_string(state::viewOf(*s.session).watchlistCodes().size()));
        }));
    editor.ItemTableView->selectRow(2);
    editor.ShowandHideSymbolsinWatchlist(AddRemoveWindowController::kRemoveTag);  // NOREC: unchanged, saved
    EXPECT_TRUE(editor.ItemTableView->selectionModel()->isRowSelected(2));  // the rows are redrawn in place
    EXPECT_EQ(state::viewOf(*s.session).watchlistCodes(), (std::vector<std::string>{"GOLD", "OLDCO"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"WatchlistTableNotification 2", "ItemUpdateNotification 2"}));
    editor.symbolSearchField->setText("silver");
    ASSERT_EQ(rows.rowCount(), 1);
    editor.ItemTableView->selectRow(0);
    editor.ShowandHideSymbolsinWatchlist(AddRemoveWindowController::kAddTag);
    // In the collection's order: GOLD, OLDCO, SILVER.
    EXPECT_EQ(state::viewOf(*s.session).watchlistCodes(), (std::vector<std::string>{"GOLD", "OLDCO", "SILVER"}));
    editor.ShowandHideSymbolsinWatchlist(0);  // a double click toggles
    EXPECT_EQ(state::viewOf(*s.session).watchlistCodes(), (std::vector<std::string>{"GOLD", "OLDCO"}));
    editor.symbolSearchField->clear();
    EXPECT_EQ(rows.rowCount(), 3);  // the chosen type again
}

TEST_F(ListsTest, AccountsShowFiguresAndChooseTheCurrentAccount) {
    namespace col = account_column;
    for (const bool showCurrency : {true, false}) {
        AccountsTableController table(fake.context, showCurrency);
        QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        table.show();
        const int currency = table.columnWithIdentifier(col::kCurrency);
        EXPECT_EQ(table.tableView()->isColumnHidden(currency), !showCurrency);
        bool listed = false;
        for (QAction* entry : table.headerMenuWidget()->actions()) listed |= entry->data().toString() == col::kCurrency;
        EXPECT_EQ(listed, showCurrency);
        EXPECT_TRUE(table.newDepositButton()->isVisible());
        EXPECT_FALSE(table.newWithdrawalButton()->isVisible());  // 1003 is not shown
    }
    AccountsTableController table(fake.context, true);
    table.show();
    ASSERT_EQ(table.rowCount(), 2);
    const auto at = [&](int row, const char* id) { return table.model()->index(row, table.columnWithIdentifier(id)); };
    EXPECT_EQ(at(1, col::kEquity).data(Qt::ForegroundRole).value<QBrush>().color(), QColor::fromRgbF(0.6f, 0, 0));
    EXPECT_EQ(at(0, col::kEquity).data(Qt::ForegroundRole).value<QBrush>().color(), QColor::fromRgbF(0, 0.6f, 0));
    const QFont alarm = at(1, col::kStatus).data(Qt::FontRole).value<QFont>();
    EXPECT_TRUE(alarm.bold());
    EXPECT_EQ(alarm.pointSize(), 13);
    EXPECT_FALSE(at(0, col::kStatus).data(Qt::FontRole).value<QFont>().bold());

    table.singleAction();  // nothing selected
    EXPECT_TRUE(fake.opener.accounts.empty());
    table.tableView()->selectRow(1);
    table.singleAction();
    EXPECT_EQ(fake.opener.accounts, (std::vector<std::int32_t>{1002}));
    EXPECT_EQ(state::viewOf(*s.session).currentAccountSelected(), 1002);
    for (int i = 0; i < 5; ++i) table.RefreshTableview();
    EXPECT_EQ(table.tableView()->selectionModel()->selectedRows().value(0).row(), 1);
    table.newDepositButton()->click();
    ASSERT_EQ(fake.opener.windows.size(), 1u);
    EXPECT_EQ(fake.opener.windows[0].first, AccountsTableController::kDepositWindow);
}

TEST_F(ListsTest, StatusTypeAndAccessSpeakTheLanguage) {
    namespace col = account_column;
    // Account 1001's status, 1002's, their access and type, OLDCO's trading status in the watchlist.
    const std::pair<std::int64_t, std::vector<std::string>> cases[] = {
        {0, {"Normal", "Equity Hit", "Trade", "Trade Client", "Expired"}},
        {5, {"عادي", "بلوغ حد حقوق الملكية", "تداول", "عميل تداول", "منتهي الصلاحية"}},
        {4, {"عادي", "د خالص ارزښت حد ته رسېدلی", "معامله", "د معاملې پېرودونکی", "پای ته رسېدلی"}},
        {1, {"正常", "净值已触及限额", "交易", "交易客户", "已到期"}},
        {6, {"Обычный", "Достигнут лимит средств", "Торговля", "Торговый клиент", "Истёк"}},
    };
    for (const auto& [language, expected] : cases) {
        fake.context.language = language;
        s.ui.language = language;
        AccountsTableController table(fake.context, true);
        const auto at = [&](int row, const char* id) {
            return table.model()->index(row, table.columnWithIdentifier(id)).data().toString().toStdString();
        };
        EXPECT_EQ((std::vector<std::string>{at(0, col::kStatus), at(1, col::kStatus), at(0, col::kAccess),
                                            at(0, col::kType),
                                            watchlistCellText(watchlist_column::kStatus, closed.get(), *s.session)}),
                  expected);
    }
}

TEST_F(ListsTest, JournalNewestFirstOnItsNotification) {
    JournalTableController table(fake.context);
    QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(table.rowCount(), 0);
    for (const char* line : {"10:00:01#$#Connected", "10:00:02#$#Logged in", "no separator"}) journal().append(line);
    EXPECT_EQ(table.rowCount(), 0);  // no timer
    journalChanged();
    ASSERT_EQ(table.rowCount(), 3);
    const auto cell = [&](int row, int column) { return table.model()->index(row, column).data().toString().toStdString(); };
    EXPECT_EQ(cell(0, 0), "no separator");
    EXPECT_EQ(cell(0, 1), "");
    EXPECT_EQ(cell(2, 1), "Connected");
    journal().append("10:00:03#$#" + std::string(1 << 20, 'x'));
    journalChanged();
    EXPECT_EQ(cell(0, 1), kit::shownText(std::string(1 << 20, 'x')).toStdString());  // the rule's form, cut
}

}  // namespace
}  // namespace views
