// The open positions and pending orders tables offscreen: cells and colours,
// the tick's cells and the totals, the header menu, row menus, the opening of
// the row dialogs and their guards; screenshots.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <set>

#include "kit/core/preference_manager.h"
#include "kit/qt_main_executor.h"
#include "kit/strip_flow_layout.h"
#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "support/order_book_test_access.h"
#include "support/session_test_access.h"
#include "state/feed_channels.h"
#include "state/session_commands.h"
#include "support/reference_data_test_access.h"
#include "views/close_price_button_delegate.h"
#include "views/core/position_cells.h"
#include "kit/fake_context.h"
#include "orders/order_mananger.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/positions_fixture.h"

namespace views {
namespace {

namespace col = position_column;
using model::Order;

using Opened = std::vector<std::pair<std::string, std::string>>;
constexpr const char* kClose = OpenPositionTableController::kCloseDialog;
constexpr const char* kModify = OpenPositionTableController::kModifyDialog;

std::string tr(const char* key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

class PositionTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        auto silver = s.item("SILVER", 23.105, 23.125);
        silver->DecimalPlaces = 3;
        silver->InstrumentId = 6;
        state::ReferenceDataTestAccess::GroupDetailCollection(s.data()).find("7")->get()->GroupInstrumentCollection["6"] = s.conditions;
        p0 = s.position("70001", Order::kBuy, "2");
        p0->UnrealisedPL = 150.25;
        p0->LimitPrice = "2050";
        auto p1 = s.position("70002", Order::kSell, "1.5");
        p1->UnrealisedPL = -42.1;
        p1->Commision = 3.5;
        auto p2 = s.position("70003", Order::kBuy, "100");
        p2->ItemCode = "SILVER";
        p2->OrderPrice = "22.9";
        p2->UnrealisedPL = 0;
        o0 = s.pending("501", Order::kLimit, "3");
        auto o1 = s.pending("502", Order::kStop, "1");
        o1->tradingMode = Order::kSell;
        o1->OrderPrice = "2020";
        o1->StopPrice = "2060";
        o1->setRefPositionIdOfBracket("70001");
        s.pending("503", Order::kMarket, "1");
        open = makeOpen(true);
        pending = std::make_unique<PendingOrderTableController>(fake.context);
        pending->resize(1400, 220);
        pending->show();
        for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{open.get(), pending.get()})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                t->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    void TearDown() override {
        testers.clear();
        open.reset();
        pending.reset();
        platform::MainExecutor::install(nullptr);
    }
    std::unique_ptr<OpenPositionTableController> makeOpen(bool baseCurrency) {
        auto t = std::make_unique<OpenPositionTableController>(fake.context, baseCurrency);
        t->resize(1400, 260);
        t->show();
        return t;
    }
    QVariant at(kit::TableControllerBase& t, int row, const char* id, int role = Qt::DisplayRole) {
        return t.model()->index(row, t.columnWithIdentifier(id)).data(role);
    }
    std::vector<bool> visible(QMenu* menu) {
        std::vector<bool> out;
        for (QAction* a : menu->actions()) out.push_back(a->isVisible());
        return out;
    }

    std::shared_ptr<kit::QtMainExecutor> executor;
    testing::PositionsSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    kit::testing::FakeSheetHost& sheets = fake.sheets;
    kit::testing::FakeWindowOpener& opener = fake.opener;
    std::shared_ptr<Order> p0, o0;
    std::unique_ptr<OpenPositionTableController> open;
    std::unique_ptr<PendingOrderTableController> pending;
    // Walk every cell at each model signal: a test redrawing many rows of a
    // long list clears them first, or their walks cost seconds.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

TEST_F(PositionTablesTest, OpenPositionCellsAndColours) {
    ASSERT_EQ(open->rowCount(), 3);
    EXPECT_EQ(at(*open, 2, col::kOpenPrice).toString(), "22.900");
    EXPECT_FALSE(at(*open, 0, col::kClosePrice).isValid());  // drawn on the button
    EXPECT_EQ(at(*open, 0, col::kClosePrice, ClosePriceTextRole).toString(), "2035.39");
    EXPECT_EQ(at(*open, 1, col::kClosePrice, ClosePriceTextRole).toString(), "2035.59");
    EXPECT_EQ(at(*open, 0, col::kOpenPrice, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
              Qt::AlignRight);
    const auto pl = [&](int row) { return at(*open, row, col::kProfitLoss, Qt::ForegroundRole).value<QBrush>().color(); };
    EXPECT_EQ(pl(0), QColor::fromRgbF(0, 0.6, 0));
    EXPECT_EQ(pl(1), QColor(230, 0, 38));
    EXPECT_EQ(pl(2), QColor::fromRgbF(0, 0.6, 0));  // exactly 0 is green

    const auto move = [&] { return CloseMove(at(*open, 0, col::kClosePrice, CloseMoveRole).toInt()); };
    EXPECT_EQ(move(), CloseMove::Up);  // first drawing against 0
    const QPalette palette = open->palette();
    EXPECT_EQ(ClosePriceButtonDelegate::fillFor(int(CloseMove::Up), palette), QColor::fromRgbF(0, 0.6, 0));
    EXPECT_EQ(ClosePriceButtonDelegate::fillFor(int(CloseMove::Down), palette), QColor::fromRgbF(0.6, 0, 0));
    EXPECT_FALSE(ClosePriceButtonDelegate::fillFor(int(CloseMove::Same), palette).isValid());  // the row's colour
    open->RefreshTableview();
    EXPECT_EQ(move(), CloseMove::Same);  // the move lasts one tick
}

TEST_F(PositionTablesTest, TickRefreshesTwoColumnsOfEveryRowThenTheTotals) {
    EXPECT_EQ(open->totalValues()[0]->text(), ": 103.5");
    QSignalSpy changed(open->model(), &QAbstractItemModel::dataChanged);
    p0->UnrealisedPL = 1000;
    open->RefreshTableview();
    std::set<std::string> ids;
    for (const auto& args : changed) {
        const auto from = args[0].toModelIndex(), to = args[1].toModelIndex();
        EXPECT_EQ(from.row(), 0);
        EXPECT_EQ(to.row(), 2);
        for (int c = from.column(); c <= to.column(); ++c) ids.insert(open->identifierOf(c));
    }
    EXPECT_EQ(ids, (std::set<std::string>{"0147", "0319"}));
    EXPECT_EQ(open->totalValues()[1]->text(), ": 957.90");
    EXPECT_EQ(open->totalValues()[2]->text(), ": 3.50");
    // Margin of all three although no margin cell was drawn: 0.25 + 0.19 + 12.50.
    EXPECT_EQ(open->totalValues()[3]->text(), ": 12.94");
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session)).clear();
    open->RefreshTableview();
    EXPECT_EQ(open->rowCount(), 0);
    for (QLabel* value : open->totalValues()) EXPECT_TRUE(value->text() == ": 0" || value->text() == ": 0.00");
    EXPECT_EQ(open->totalLabels()[0]->text().toStdString(), tr("0027"));
    EXPECT_FALSE(open->closeAllButton()->isEnabled());
}

// After a recomputation of only some positions the tick redraws only their
// rows, then once more those whose close price showed a move; the totals only
// when a row changed.
TEST_F(PositionTablesTest, TickRedrawsOnlyTheRowsOfRecomputedPositions) {
    state::SessionCommands& commands = *s.session;
    commands.recalculateAccounts();
    open->RefreshTableview();
    struct Step {
        const char* name;
        const char* tick;  // nullptr: no price moves
        std::vector<int> rows;
        bool totals;
    };
    const Step steps[] = {
        {"nothing moved", nullptr, {}, false},
        {"silver moved", "SILVER\x04" "20240102103000\x04" "0\x04" "23200\x04" "23200\x04" "23220\x04" "3", {2}, true},
        {"its move ends", nullptr, {2}, true},
        {"nothing moved again", nullptr, {}, false},
    };
    for (const Step& step : steps) {
        if (step.tick) state::SessionTestAccess::feedChannels(*s.session).ZMQNewMessage(step.tick);
        commands.recalculateChangedAccounts();
        open->totalValues()[0]->setText("unset");
        QSignalSpy changed(open->model(), &QAbstractItemModel::dataChanged);
        open->RefreshTableview();
        std::set<int> rows;
        for (const auto& args : changed)
            for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r) rows.insert(r);
        EXPECT_EQ(rows, std::set<int>(step.rows.begin(), step.rows.end())) << step.name;
        EXPECT_EQ(open->totalValues()[0]->text() != "unset", step.totals) << step.name;
        if (!step.totals) continue;
        // The totals kept from the unchanged rows equal a fresh table's.
        auto fresh = makeOpen(true);
        for (std::size_t i = 0; i < fresh->totalValues().size(); ++i)
            EXPECT_EQ(open->totalValues()[i]->text(), fresh->totalValues()[i]->text()) << step.name << " " << i;
    }
    EXPECT_EQ(at(*open, 2, col::kClosePrice, ClosePriceTextRole).toString(), "23.200");
}

// A list longer than a slice's rows is built over later slices: the rows
// shown stay until the new ones are whole, then every row and the totals follow.
TEST_F(PositionTablesTest, ALongListShowsWholeOnceBuilt) {
    const std::size_t added = OpenPositionTableController::kSnapshotStepRows + 1;
    for (std::size_t i = 0; i < added; ++i) s.position(std::to_string(80000 + i), Order::kBuy, "1")->UnrealisedPL = 1;
    open->openpositionTableUpdate();
    EXPECT_EQ(open->rowCount(), 3);
    EXPECT_EQ(at(*open, 2, col::kPositionId).toString(), "70003");
    EXPECT_EQ(open->totalValues()[0]->text(), ": 103.5");
    for (int turn = 0; turn < 100 && open->rowCount() == 3; ++turn) QCoreApplication::processEvents();
    ASSERT_EQ(open->rowCount(), int(added) + 3);
    EXPECT_EQ(at(*open, 2, col::kPositionId).toString(), "70003");
    EXPECT_EQ(at(*open, int(added) + 2, col::kPositionId).toString(), QString::number(80000 + added - 1));
    EXPECT_EQ(open->totalValues()[0]->text(), ": 604.5");
    // Rows found by position across the slices: a tick on silver redraws its row only, its close text anew.
    state::SessionCommands& commands = *s.session;
    commands.recalculateAccounts();
    open->RefreshTableview();  // a whole reload: built over the slices again
    for (int turn = 0; turn < 100; ++turn) QCoreApplication::processEvents();
    commands.recalculateChangedAccounts();
    open->RefreshTableview();
    EXPECT_NE(at(*open, 2, col::kClosePrice, ClosePriceTextRole).toString(), "23.200");
    state::SessionTestAccess::feedChannels(*s.session).ZMQNewMessage(
        "SILVER\x04" "20240102103000\x04" "0\x04" "23200\x04" "23200\x04" "23220\x04" "3");
    commands.recalculateChangedAccounts();
    QSignalSpy changed(open->model(), &QAbstractItemModel::dataChanged);
    open->RefreshTableview();
    std::set<int> rows;
    for (const auto& args : changed)
        for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r) rows.insert(r);
    EXPECT_EQ(rows, std::set<int>{2});
    EXPECT_EQ(at(*open, 2, col::kClosePrice, ClosePriceTextRole).toString(), "23.200");
}

// A long list that changed while its snapshot was built is taken again once built.
TEST_F(PositionTablesTest, ALongListChangedWhileBuiltIsTakenAgain) {
    for (std::size_t i = 0; i < OpenPositionTableController::kSnapshotStepRows; ++i)
        s.position(std::to_string(80000 + i), Order::kBuy, "1");
    state::OrderBook& book = state::SessionTestAccess::orderBook(*s.session);
    open->openpositionTableUpdate();
    s.position("90000", Order::kBuy, "1");
    state::OrderBookTestAccess::moveOpenRevision(book);
    for (int turn = 0; turn < 200; ++turn) QCoreApplication::processEvents();
    const int listed = int(state::OrderBookTestAccess::OpenOrderCollection(book).size());
    ASSERT_EQ(open->rowCount(), listed);
    EXPECT_EQ(at(*open, listed - 1, col::kPositionId).toString(), "90000");
}

// The same long list read again after its records changed is refreshed in
// place: no row goes out or in, and the new records show once it is read.
TEST_F(PositionTablesTest, ALongListWhoseRecordsChangedIsReadAgainInPlace) {
    for (std::size_t i = 0; i < OpenPositionTableController::kSnapshotStepRows; ++i)
        s.position(std::to_string(80000 + i), Order::kBuy, "1");
    open->openpositionTableUpdate();
    for (int turn = 0; turn < 100 && open->rowCount() == 3; ++turn) QCoreApplication::processEvents();
    const int rows = open->rowCount();
    ASSERT_GT(rows, int(OpenPositionTableController::kSnapshotStepRows));
    QSignalSpy removed(open->model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(open->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(open->model(), &QAbstractItemModel::modelReset);
    s.item("SILVER", 24.105, 24.125)->DecimalPlaces = 3;  // a new record for silver
    open->openpositionTableUpdate();
    for (int turn = 0; turn < 100; ++turn) QCoreApplication::processEvents();
    EXPECT_EQ(open->rowCount(), rows);
    EXPECT_EQ(removed.count() + inserted.count() + reset.count(), 0);
    EXPECT_EQ(at(*open, 2, col::kClosePrice, ClosePriceTextRole).toString(), "24.105");
}

TEST_F(PositionTablesTest, HeaderMenuInColumnOrderAndTheBaseCurrencyColumn) {
    const auto entries = [](kit::TableControllerBase& t) {
        std::vector<std::string> ids;
        for (QAction* a : t.headerMenuWidget()->actions()) ids.push_back(a->data().toString().toStdString());
        return ids;
    };
    EXPECT_EQ(entries(*open), openPositionColumnIdentifiers());
    EXPECT_EQ(entries(*pending), pendingOrderColumnIdentifiers());
    auto without = makeOpen(false);
    auto expected = openPositionColumnIdentifiers();
    expected.erase(std::find(expected.begin(), expected.end(), col::kBaseCurrency));
    EXPECT_EQ(entries(*without), expected);
    EXPECT_TRUE(without->tableView()->isColumnHidden(without->columnWithIdentifier(col::kBaseCurrency)));
}

TEST_F(PositionTablesTest, OpenPositionRowMenuAndDialogs) {
    QMenu* menu = open->prepareRowMenu(0);
    EXPECT_EQ(visible(menu), (std::vector<bool>{true, true, true, false}));  // offset: the sell of row 1
    EXPECT_EQ(menu->actions()[0]->text().toStdString(), tr("0282"));
    EXPECT_EQ(menu->actions()[1]->text().toStdString(), "Close Position");
    // The dialogs open by name with the record's id, whatever its row.
    EXPECT_FALSE(menu->actions()[1]->isEnabled());  // not registered
    opener.registered = {kClose, kModify};
    menu = open->prepareRowMenu(0);
    EXPECT_TRUE(menu->actions()[1]->isEnabled());
    menu->actions()[1]->trigger();
    // The close-price button closes too.
    const QRect button = open->tableView()->visualRect(open->model()->index(1, open->columnWithIdentifier(col::kClosePrice)));
    QTest::mouseClick(open->tableView()->viewport(), Qt::LeftButton, {}, button.center());
    open->modifyBracketOrderButtonClicked(2);
    EXPECT_EQ(opener.windows, (Opened{{kClose, "70001"}, {kClose, "70002"}, {kModify, "70003"}}));
    EXPECT_EQ(opener.modes, (std::vector<std::int32_t>(3, kit::kPositionMode)));
    opener.windows.clear();
    opener.registered.clear();

    sheets.attached = true;
    EXPECT_EQ(visible(open->prepareRowMenu(0)), (std::vector<bool>(4, false)));
    sheets.attached = false;
    EXPECT_EQ(visible(open->prepareRowMenu(3)), (std::vector<bool>(4, false)));  // below the rows
    EXPECT_EQ(visible(open->prepareRowMenu(-1)), (std::vector<bool>(4, false)));

    // Offset and receipt open through the opener only once their windows exist.
    s.conditions->availableOrderSettings = 0x05;
    open->reloadTable();
    menu = open->prepareRowMenu(0);
    EXPECT_EQ(visible(menu), (std::vector<bool>{false, false, true, true}));
    EXPECT_FALSE(menu->actions()[2]->isEnabled());
    open->offsetPositionButtonClicked(0);
    EXPECT_TRUE(opener.windows.empty());
    opener.registered = {OpenPositionTableController::kOffsetWindow, OpenPositionTableController::kReceiptWindow};
    menu = open->prepareRowMenu(0);
    EXPECT_TRUE(menu->actions()[2]->isEnabled());
    menu->actions()[2]->trigger();
    menu->actions()[3]->trigger();
    EXPECT_EQ(opener.windows, (std::vector<std::pair<std::string, std::string>>{
                                  {OpenPositionTableController::kOffsetWindow, "70001"},
                                  {OpenPositionTableController::kReceiptWindow, "70001"}}));
    // A group without buying and selling: the close does nothing.
    opener.windows.clear();
    opener.registered.insert(kClose);
    open->closePositionButtonClicked(0);
    EXPECT_TRUE(opener.windows.empty());
}

TEST_F(PositionTablesTest, CloseGuards) {
    // Covered by closing orders: the alert, no dialog.
    s.pending("601", Order::kLimit, "2")->setLiqudateOrderNumber("70001");
    open->closePositionButtonClicked(0);
    ASSERT_TRUE(open->currentAlert());
    EXPECT_EQ(open->currentAlert()->text().toStdString(), tr("10980"));
    EXPECT_EQ(open->currentAlert()->informativeText().toStdString(), tr("1055"));
    open->currentAlert()->close();
    EXPECT_TRUE(opener.windows.empty());
    // The state's list changed since the last reload: row 0 is another position now.
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session)).erase(state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session)).begin());
    open->closePositionButtonClicked(0);
    open->modifyBracketOrderButtonClicked(0);
    EXPECT_EQ(visible(open->prepareRowMenu(0)), (std::vector<bool>(4, false)));
    EXPECT_TRUE(opener.windows.empty());
    // Dialogs not registered: the entries show disabled.
    open->reloadTable();
    QMenu* menu = open->prepareRowMenu(0);
    EXPECT_EQ(visible(menu), (std::vector<bool>{true, true, false, false}));  // row 0 has no opposite now
    EXPECT_FALSE(menu->actions()[0]->isEnabled() || menu->actions()[1]->isEnabled());
}

TEST_F(PositionTablesTest, PendingOrders) {
    ASSERT_EQ(pending->rowCount(), 3);
    EXPECT_EQ(at(*pending, 0, col::kClosePrice).toString(), "2035.59");
    QSignalSpy changed(pending->model(), &QAbstractItemModel::dataChanged);
    s.gold->Ask += 1;
    pending->RefreshTableview();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().column(), pending->columnWithIdentifier(col::kClosePrice));
    EXPECT_EQ(changed[0][1].toModelIndex().column(), pending->columnWithIdentifier(col::kClosePrice));
    EXPECT_EQ(at(*pending, 0, col::kClosePrice).toString(), "2036.59");

    const auto titles = [&](int row) {
        QMenu* menu = pending->prepareRowMenu(row);
        std::vector<std::string> out;
        for (QAction* a : menu->actions())
            if (a->isVisible()) out.push_back(a->text().toStdString());
        return out;
    };
    EXPECT_EQ(titles(0), (std::vector<std::string>{tr("0254"), tr("0252")}));
    EXPECT_EQ(titles(1), (std::vector<std::string>{tr("0255"), tr("0253")}));
    EXPECT_EQ(titles(0), (std::vector<std::string>{tr("0254"), tr("0252")}));
    EXPECT_TRUE(titles(2).empty());  // a market order
    sheets.attached = true;
    EXPECT_TRUE(titles(0).empty());
    sheets.attached = false;

    opener.registered = {kClose, kModify};
    QMenu* menu = pending->prepareRowMenu(1);
    menu->actions()[0]->trigger();  // edit
    menu->actions()[1]->trigger();  // cancel
    pending->cancelOrderButtonClicked(5);
    pending->editOrderButtonClicked(-1);
    EXPECT_EQ(opener.windows, (Opened{{kModify, "502"}, {kClose, "502"}}));
    EXPECT_EQ(opener.modes, (std::vector<std::int32_t>(2, kit::kPendingMode)));
}

TEST_F(PositionTablesTest, TotalsBarWrapsOnANarrowPaneAndShowsEveryFigure) {
    // Narrower than the bar, shown or laid out before it shows (a window built hidden, a screenshot).
    for (const bool shown : {true, false}) {
        auto t = std::make_unique<OpenPositionTableController>(fake.context, true);
        kit::ThemeManager::applyTheme({{"Windows", {t.get()}}, {"TableView", {t->tableView()}}}, 0);
        t->resize(500, 260);
        if (shown) t->show();
        kit::testing::runFor(30);
        kit::testing::saveScreenshot(t.get(), shown ? "open-positions-totals-narrow-dark" : "open-positions-totals-unshown-dark");
        const auto* bar = t->findChild<QWidget*>("totalsBar");
        const auto* flow = bar ? dynamic_cast<const kit::StripFlowLayout*>(bar->layout()) : nullptr;
        ASSERT_TRUE(flow);
        EXPECT_GT(flow->rowsAt(bar->width()), 1);
        EXPECT_TRUE(t->rect().contains(QRect(bar->mapTo(t.get(), QPoint()), bar->size())));
        std::vector<const QLabel*> parts(t->totalLabels().begin(), t->totalLabels().end());
        parts.insert(parts.end(), t->totalValues().begin(), t->totalValues().end());
        for (const QLabel* part : parts)
            EXPECT_TRUE(bar->rect().contains(QRect(part->mapTo(bar, QPoint()), part->size()))) << part->text().toStdString();
    }
}

// Widths fitted to content: every text cell measures as the style measures it.
TEST_F(PositionTablesTest, TextCellsMeasureAsTheStyle) {
    QStyledItemDelegate style;
    for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{open.get(), pending.get()}) {
        QTableView* view = t->tableView();
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.widget = view;
        for (int row = 0; row < t->rowCount(); ++row)
            for (int column = 0; column < t->model()->columnCount(); ++column) {
                const QModelIndex cell = t->model()->index(row, column);
                if (cell.data(ClosePriceTextRole).isValid()) continue;  // the button's own size
                EXPECT_EQ(view->itemDelegateForIndex(cell)->sizeHint(option, cell), style.sizeHint(option, cell))
                    << t->identifierOf(column) << " " << cell.data().toString().toStdString();
            }
    }
}

// The trader changes the size between two ticks: at every size each cell of
// both tables is as wide as its whole text (the close-price button's too).
TEST_F(PositionTablesTest, ColumnsFollowEveryFontSize) {
    s.gold->Bid = 251.23;  // one figure more than the prices of the first fill
    s.gold->Ask = 251.53;
    for (const int size : {10, 12, 16, 20, 12}) {
        fake.preferences.saveFontSizeInfo(std::uint64_t(size), kit::PreferenceManager::kPositionsFontSize);
        for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{open.get(), pending.get()}) {
            t->RefreshTableview();
            EXPECT_EQ(t->tableView()->font().pointSize(), size);
            kit::testing::expectCellsWhole(*t->tableView(), std::to_string(size));
        }
        for (const std::int64_t theme : {0, 1}) {
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            kit::ThemeManager::applyTheme({{"Windows", {open.get()}}, {"TableView", {open->tableView()}}}, theme);
            kit::testing::saveScreenshot(open.get(), QString("open-positions-font%1-%2").arg(size).arg(theme ? "light" : "dark"));
        }
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

TEST_F(PositionTablesTest, Screenshots) {
    s.gold->Bid += 0.4;  // a rise on the buy, the rest unchanged or falling
    s.gold->Ask -= 0.3;
    open->RefreshTableview();
    open->tableView()->selectRow(2);
    for (std::int64_t theme : {0, 1}) {
        QApplication::setPalette(kit::ThemeManager::palette(theme));
        const char* name = theme ? "light" : "dark";
        for (kit::TableControllerBase* t : std::initializer_list<kit::TableControllerBase*>{open.get(), pending.get()}) {
            kit::ThemeManager::applyTheme({{"Windows", {t}}, {"TableView", {t->tableView()}}}, theme);
            kit::testing::saveScreenshot(t, QString(t == open.get() ? "open-positions-rows-" : "pending-orders-rows-") + name);
        }
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

}  // namespace
}  // namespace views
