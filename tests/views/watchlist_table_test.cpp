// The watchlist offscreen: its cells and marks, the tick's cells, full
// reloads, double clicks, icons, the drag of a code; screenshots.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QStandardItemModel>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <functional>
#include <set>

#include "kit/core/preference_manager.h"
#include "kit/qt_main_executor.h"
#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "platform/resource_bundle.h"
#include "state/session_commands.h"
#include "state/session_notifications.h"
#include "support/session_test_access.h"
#include "support/reference_data_test_access.h"
#include "views/core/watchlist_cells.h"
#include "kit/fake_context.h"
#include "orders/order_mananger.h"
#include "protocol/msg_type.h"
#include "views/watchlist_fixture.h"
#include "views/close_price_button_delegate.h"
#include "views/watchlist_price_delegate.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace views {
namespace {

namespace col = watchlist_column;

class WatchlistTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        gold = s.item("GOLD", 2035.39, 2035.59);
        euro = s.item("EURUSD", 1.08414, 1.08424);
        euro->DecimalPlaces = 5;
        euro->InstrumentTypeId = 2;
        euro->InstrumentTypeName = "Currencies";
        closed = s.item("OLDCO", 12.5, 12.75);
        closed->instrumentTradingStatus = 3;
        closed->CurrentTradeSessionSettingId = 2;
        state::ReferenceDataTestAccess::selectedSymbols(s.data()).push_back("NOREC");  // a code without a record
        table = make();
        tester = std::make_unique<QAbstractItemModelTester>(table->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override {
        tester.reset();
        table.reset();
        platform::MainExecutor::install(nullptr);
    }
    std::unique_ptr<WatchlistTableController> make() {
        auto t = std::make_unique<WatchlistTableController>(fake.context);
        t->resize(1100, 220);
        t->show();
        return t;
    }
    QModelIndex at(int row, const char* id) { return table->model()->index(row, table->columnWithIdentifier(id)); }
    std::optional<QColor> background(int row, const char* id) {
        const QVariant v = at(row, id).data(Qt::BackgroundRole);
        return v.isValid() ? std::optional<QColor>(v.value<QBrush>().color()) : std::nullopt;
    }
    void tick() { table->RefreshTableview(); }

    std::shared_ptr<kit::QtMainExecutor> executor;
    testing::WatchlistSession s;
    std::shared_ptr<model::ItemDetails> gold, euro, closed;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    kit::testing::FakeSheetHost& sheets = fake.sheets;
    kit::testing::FakeWindowOpener& opener = fake.opener;
    std::unique_ptr<WatchlistTableController> table;
    // Walks every cell at each model signal: a test redrawing many rows of a
    // long list resets it first, or its walks cost seconds.
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(WatchlistTableTest, RowsCellsAndMarks) {
    ASSERT_EQ(table->rowCount(), 4);  // the stored codes, in order
    EXPECT_EQ(at(2, col::kSession).data().toString(), "Closed");
    EXPECT_FALSE(at(0, col::kBid).data().isValid());  // drawn by the decoration
    EXPECT_EQ(at(1, col::kBid).data(PriceTextRole).toString(), "1.08414");
    EXPECT_EQ(at(0, col::kAsk).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight, Qt::AlignRight);
    for (const std::string& id : watchlistColumnIdentifiers())
        EXPECT_FALSE(table->model()->index(3, table->columnWithIdentifier(id)).data().isValid()) << id;

    const QColor rise = kit::ThemeManager::riseColor(), fall = kit::ThemeManager::fallColor();
    EXPECT_EQ(background(0, col::kBid), rise);  // the first drawing compares against 0
    tick();
    EXPECT_FALSE(background(0, col::kBid));  // unchanged: the row's colour
    gold->Bid -= 1;
    gold->Ask += 1;
    tick();
    EXPECT_EQ(background(0, col::kBid), fall);
    EXPECT_EQ(background(0, col::kAsk), rise);
    // The ticket or another view drawing the record does not steal the change.
    gold->previousBid = gold->Bid;
    auto second = make();
    EXPECT_EQ(second->model()->index(0, second->columnWithIdentifier(col::kBid)).data(Qt::BackgroundRole)
                  .value<QBrush>().color(), rise);

    EXPECT_FALSE(background(0, col::kCode));  // setting 1
    EXPECT_EQ(background(2, col::kCode), QColor(255, 0, 0));
}

TEST_F(WatchlistTableTest, TickRefreshesTheLiveCellsAndDeselects) {
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    auto refreshed = [&] {
        std::set<std::string> ids;
        for (const auto& args : changed) {
            const auto from = args[0].toModelIndex(), to = args[1].toModelIndex();
            EXPECT_EQ(from.row(), 0);
            EXPECT_EQ(to.row(), 2);  // the rows with a record, each moved
            for (int c = from.column(); c <= to.column(); ++c) ids.insert(table->identifierOf(c));
        }
        changed.clear();
        return ids;
    };
    table->tableView()->selectRow(1);
    tick();
    EXPECT_TRUE(table->tableView()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(refreshed(), (std::set<std::string>{"0192", "0193", "0153", "0130", "10987", "0195", "0196", "0376",
                                                  "0194", "0144"}));
    for (const char* id : {"0192", "0153", "0195", "0144", "0130"}) table->hideandShowTableColumns(id, true);
    for (const auto& item : {gold, euro, closed}) item->Bid += 0.01;
    tick();
    EXPECT_EQ(refreshed(), (std::set<std::string>{"0192", "0193", "0153", "10987", "0196", "0376", "0194"}));
}

// The tick redraws only the rows whose instrument changed since they were
// drawn, and once more those that showed a move; their cells then equal a
// fresh table's.
// Changed rows are redrawn as runs: one range per run of adjacent rows.
TEST_F(WatchlistTableTest, TickRedrawsOnlyTheRowsWhoseInstrumentChanged) {
    using Runs = std::set<std::pair<int, int>>;
    struct Step {
        const char* name;
        std::function<void()> change;
        Runs runs;
    };
    const Step steps[] = {
        {"the first marks end", [] {}, {{0, 2}}},
        {"nothing changed", [] {}, {}},
        {"the euro's bid", [&] { euro->Bid = 1.08420; }, {{1, 1}}},
        {"its mark ends", [] {}, {{1, 1}}},
        {"the gold's time only", [&] { gold->UpdateTime = "01/02/2024 14:30:06"; }, {{0, 0}}},
        {"the closed one's high", [&] { closed->High = 13; }, {{2, 2}}},
        {"two rows apart", [&] { gold->Low = 2000; closed->Low = 12; }, {{0, 0}, {2, 2}}},
        {"a status", [&] { euro->instrumentTradingStatus = 2; }, {{1, 1}}},
        {"a session", [&] { gold->CurrentTradeSessionSettingId = 2; }, {{0, 0}}},
        {"nothing again", [] {}, {}},
    };
    for (const Step& step : steps) {
        step.change();
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
        tick();
        Runs runs;
        for (const auto& args : changed) runs.emplace(args[0].toModelIndex().row(), args[1].toModelIndex().row());
        EXPECT_EQ(runs, step.runs) << step.name;
    }
    auto fresh = make();
    for (int row = 0; row < table->rowCount(); ++row)
        for (const std::string& id : watchlistColumnIdentifiers())
            for (int role : {int(Qt::DisplayRole), int(PriceTextRole)}) {
                const int c = table->columnWithIdentifier(id);
                EXPECT_EQ(table->model()->index(row, c).data(role), fresh->model()->index(row, c).data(role))
                    << row << " " << id << " " << role;
            }
    EXPECT_EQ(background(0, col::kCode), QColor(255, 0, 0));  // the session's colour followed
}

// After one turn of the ticked instruments the tick reads only their rows
// and those that showed a move; a skipped turn reads every row. The same in
// the advanced list.
TEST_F(WatchlistTableTest, TickReadsTheRowsOfTheTickedInstruments) {
    AdvancedWatchlistTableController advanced(fake.context);
    advanced.resize(360, 420);
    advanced.show();
    struct Step {
        const char* name;
        const char* feed;  // nullptr: no tick
        bool turn;
        std::set<int> rows;
    };
    const Step steps[] = {
        {"the first marks end", nullptr, true, {0, 1, 2}},
        {"the euro ticked, the gold changed apart", "EURUSD\x04" "20240102103000\x04" "0\x04" "108430\x04" "108430\x04" "108440\x04" "5", true, {1}},
        {"the euro's mark ends", nullptr, true, {1}},
        {"a turn skipped", nullptr, false, {0}},
        {"nothing", nullptr, true, {}},
    };
    for (const Step& step : steps) {
        if (step.feed) {
            state::SessionTestAccess::feedChannels(*s.session).ZMQNewMessage(step.feed);
            gold->High = 2100;  // read only when every row is
        }
        if (step.turn) static_cast<state::SessionCommands&>(*s.session).recalculateChangedAccounts();
        for (kit::TableControllerBase* list : std::initializer_list<kit::TableControllerBase*>{table.get(), &advanced}) {
            QSignalSpy changed(list->model(), &QAbstractItemModel::dataChanged);
            list->RefreshTableview();
            std::set<int> rows;
            for (const auto& args : changed)
                for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r) rows.insert(r);
            EXPECT_EQ(rows, step.rows) << step.name << (list == &advanced ? ", advanced" : "");
        }
    }
    EXPECT_EQ(at(1, col::kBid).data(PriceTextRole).toString(), "1.08430");
    EXPECT_EQ(*advanced.row(0), advancedRow("GOLD", gold.get(), {}));
}

// A code listed several times: a tick reads every row of a ticked instrument.
TEST_F(WatchlistTableTest, TickReadsEveryRowOfATickedInstrument) {
    std::vector<std::string>& codes = state::ReferenceDataTestAccess::selectedSymbols(s.data());
    const std::vector<std::string> once = codes;
    for (int copy = 0; copy < 2; ++copy) codes.insert(codes.end(), once.begin(), once.end());
    table->RefreshWatchlist();
    ASSERT_EQ(table->rowCount(), int(codes.size()));
    tick();  // every row read once
    struct Step {
        const char* name;
        const char* feed;
        std::set<std::string> codes;  // of the rows read
        std::size_t rows;
    };
    const Step steps[] = {
        {"the euro ticked", "EURUSD\x04" "20240102103000\x04" "0\x04" "108430\x04" "108430\x04" "108440\x04" "5", {"EURUSD"}, 3},
        {"the gold ticked", "GOLD\x04" "20240102103000\x04" "0\x04" "203540\x04" "203540\x04" "203560\x04" "2", {"GOLD", "EURUSD"}, 4},  // and the euro mark's end
    };
    for (const Step& step : steps) {
        state::SessionTestAccess::feedChannels(*s.session).ZMQNewMessage(step.feed);
        static_cast<state::SessionCommands&>(*s.session).recalculateChangedAccounts();
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
        tick();
        std::set<int> rows;
        std::set<std::string> read;
        for (const auto& args : changed)
            for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r)
                if (rows.insert(r).second) read.insert(codes[std::size_t(r)]);
        EXPECT_EQ(read, step.codes) << step.name;
        EXPECT_EQ(rows.size(), step.rows) << step.name;
    }
}

// The table's notification with the list unchanged (an instrument's status
// or session changed) redraws only that instrument's row, whole.
TEST_F(WatchlistTableTest, NotificationWithTheSameListRedrawsOnlyTheChangedRows) {
    struct Step {
        const char* name;
        std::function<void()> change;
        std::set<int> rows;
    };
    const Step steps[] = {
        {"a status", [&] { euro->instrumentTradingStatus = 2; }, {1}},
        {"a session", [&] { gold->CurrentTradeSessionSettingId = 2; }, {0}},
        {"nothing", [] {}, {}},
    };
    tick();  // the first marks end
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(table->model(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(table->model(), &QAbstractItemModel::rowsRemoved);
    for (const Step& step : steps) {
        step.change();
        changed.clear();
        platform::NotificationCenter::defaultCenter().post(state::notifications::kWatchlistTable);
        QCoreApplication::sendPostedEvents();  // the reload's turn
        std::set<int> rows;
        for (const auto& args : changed) {
            EXPECT_EQ(args[0].toModelIndex().column(), 0) << step.name;
            EXPECT_EQ(args[1].toModelIndex().column(), table->model()->columnCount() - 1) << step.name;
            for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r) rows.insert(r);
        }
        EXPECT_EQ(rows, step.rows) << step.name;
    }
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(removed.count(), 0);
    auto fresh = make();
    for (const char* id : {col::kStatus, col::kSession})
        EXPECT_EQ(at(1, id).data(), fresh->model()->index(1, fresh->columnWithIdentifier(id)).data()) << id;
    EXPECT_EQ(background(0, col::kCode), QColor(255, 0, 0));  // the session's colour followed
}

// A status change from the server redraws only the rows of the instrument it
// names, other changed rows waiting for the tick, on a long list too; an
// unknown code reads every row; an edited list is taken anew.
TEST_F(WatchlistTableTest, StatusChangeReadsOnlyTheRowsOfItsInstrument) {
    tester.reset();
    std::vector<std::string> codes;
    for (int i = 0; i < 100; ++i) codes.push_back(i % 2 ? "EURUSD" : "GOLD");
    state::ReferenceDataTestAccess::selectedSymbols(s.data()) = codes;
    table->RefreshWatchlist();
    tick();  // the first marks end
    const auto statusOf = [&](const char* code) {
        state::SessionTestAccess::ProcessNewMessage(*s.session, {"10=1049", std::string("12=") + code, "574=2"},
                                                    protocol::toInt(protocol::MsgType::InstrumentStatusChange));
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        int first;  // the rows redrawn: every second one from this
        int count;
    };
    const Step steps[] = {
        {"the euro's status", [&] { statusOf("EURUSD"); }, 1, 100},
        {"an unknown code", [&] { statusOf("NONE"); }, 0, 100},
        {"the list edited", [&] {
             state::ReferenceDataTestAccess::selectedSymbols(s.data()) = {"GOLD"};
             platform::NotificationCenter::defaultCenter().post(state::notifications::kWatchlistTable);
         }, 0, 1},  // its kept row drawn anew
    };
    for (const Step& step : steps) {
        gold->High += 1;  // read only when every row is
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
        step.change();
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::sendPostedEvents();  // the post, then the reload
        std::set<int> rows;
        for (const auto& args : changed)
            for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r) rows.insert(r);
        std::set<int> expected;
        for (int r = step.first; r < step.count; r += 2) expected.insert(r);
        EXPECT_EQ(rows, expected) << step.name;
        EXPECT_EQ(table->rowCount(), step.count) << step.name;
    }
}

TEST_F(WatchlistTableTest, NotificationReloadsAndTheListMayChange) {
    QSignalSpy reset(table->model(), &QAbstractItemModel::modelReset);
    state::ReferenceDataTestAccess::selectedSymbols(s.data()) = {"EURUSD", "GOLD"};
    platform::NotificationCenter::defaultCenter().post(state::notifications::kWatchlistTable);
    QCoreApplication::sendPostedEvents();  // the reload's turn
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(at(0, col::kCode).data().toString(), "EURUSD");
    EXPECT_EQ(reset.count(), 0);
    state::ReferenceDataTestAccess::selectedSymbols(s.data()).clear();
    table->RefreshWatchlist();
    EXPECT_EQ(table->rowCount(), 0);
    tick();  // nothing to refresh
    table->doubleAction(table->model()->index(0, 1));
    EXPECT_TRUE(opener.tickets.empty());
    EXPECT_FALSE(table->currentAlert());
}

// A list longer than a slice's rows is built over later slices: the rows
// shown stay until the new ones are whole; a list changed meanwhile follows.
TEST_F(WatchlistTableTest, ALongListShowsWholeOnceBuilt) {
    std::vector<std::string>& codes = state::ReferenceDataTestAccess::selectedSymbols(s.data());
    const std::vector<std::string> shown = codes;
    const auto longList = [&](const std::string& last) {
        std::vector<std::string> list;
        for (std::size_t i = 0; i < WatchlistTableController::kSnapshotStepRows; ++i) list.push_back(shown[i % shown.size()]);
        list.push_back(last);
        return list;
    };
    codes = longList("GOLD");
    table->RefreshWatchlist();
    EXPECT_EQ(table->rowCount(), int(shown.size()));
    state::ReferenceDataTestAccess::selectedSymbols(s.data()) = longList("EURUSD");  // before the build ends
    for (int turn = 0; turn < 100 && at(int(codes.size()) - 1, col::kCode).data().toString() != "EURUSD"; ++turn)
        QCoreApplication::processEvents();
    ASSERT_EQ(table->rowCount(), int(codes.size()));
    for (const int row : {0, 1, int(codes.size()) - 1})
        EXPECT_EQ(at(row, col::kCode).data().toString().toStdString(), codes[std::size_t(row)]) << row;
    EXPECT_EQ(at(1, col::kBid).data(PriceTextRole).toString(), "1.08414");
}

TEST_F(WatchlistTableTest, DoubleClicksIconClicksAndDrags) {
    QTableView* view = table->tableView();
    auto doubleClick = [&](int row, const char* id) {
        const QRect r = view->visualRect(at(row, id));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
    };
    doubleClick(1, col::kName);
    EXPECT_EQ(opener.tickets, (std::vector<std::string>{"EURUSD"}));
    // A tick between the two clicks clears the selection: the row under the pointer still opens.
    const QPoint gold = view->visualRect(at(0, col::kName)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, gold);
    tick();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, gold);
    EXPECT_EQ(opener.tickets, (std::vector<std::string>{"EURUSD", "GOLD"}));
    opener.tickets.pop_back();
    for (int row : {2, 3}) {  // not active; no record
        doubleClick(row, col::kLast);
        ASSERT_TRUE(table->currentAlert()) << row;
        EXPECT_EQ(table->currentAlert()->text().toStdString(),
                  model::LanguageString::stringforSelectedLanguage(0, "10980"));
        EXPECT_EQ(table->currentAlert()->informativeText().toStdString(),
                  model::LanguageString::stringforSelectedLanguage(0, "1069"));
        table->currentAlert()->close();
        kit::testing::runUntil([&] { return !table->currentAlert(); });
    }
    EXPECT_EQ(opener.tickets.size(), 1u);
    QHeaderView* header = view->horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(5) + 5, 5));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at(0, col::kIcon)).center());
    EXPECT_EQ(opener.windows, (std::vector<std::pair<std::string, std::string>>{
                                  {WatchlistTableController::kDetailWindow, "GOLD"}}));
    EXPECT_EQ(opener.tickets.size(), 1u);  // the header's double click did nothing

    std::unique_ptr<QMimeData> mime(table->model()->mimeData({at(2, col::kName), at(1, col::kCode)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->text(), "EURUSD");  // the first dragged row only
    EXPECT_TRUE(table->model()->mimeTypes().contains("text/plain"));
}

TEST_F(WatchlistTableTest, IconsFromPlainTypeNamesOnly) {
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const auto file = [&](const char* name) {
        return image(QIcon(QString::fromStdString(*platform::ResourceBundle::pathForResource(
            std::string("images/") + name, "png"))));
    };
    ASSERT_FALSE(file("Others").isNull());
    EXPECT_EQ(image(at(0, col::kIcon).data(Qt::DecorationRole).value<QIcon>()), file("Commodities"));
    for (const std::string name : {"Bonds", "../Shares", "images/Shares"}) {  // the rest: the core's test
        gold->InstrumentTypeName = name;
        table->RefreshWatchlist();
        EXPECT_EQ(image(at(0, col::kIcon).data(Qt::DecorationRole).value<QIcon>()), file("Others")) << name;
    }
}

// The trader changes the size between two ticks: at every size each column
// is as wide as its whole texts (a price is never cut).
TEST_F(WatchlistTableTest, ColumnsFollowEveryFontSize) {
    gold->Bid = 2068.67;
    gold->Ask = 2068.97;
    gold->High = 12068.5;
    QTableView* view = table->tableView();
    for (const int size : {10, 12, 16, 20, 12}) {
        fake.preferences.saveFontSizeInfo(std::uint64_t(size), kit::PreferenceManager::kWatchlistFontSize);
        tick();
        EXPECT_EQ(view->font().pointSize(), size);
        kit::testing::expectCellsWhole(*view, std::to_string(size));
        for (const std::int64_t theme : {0, 1}) {
            fake.preferences.saveTheme(std::uint64_t(theme));  // as the settings store it
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            kit::ThemeManager::applyTheme({{"Windows", {table.get()}}, {"TableView", {view}}}, theme);
            kit::testing::saveScreenshot(table.get(), QString("watchlist-font%1-%2").arg(size).arg(theme ? "light" : "dark"));
        }
    }
    fake.preferences.saveTheme(0);
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

// A delegate that has laid out other prices and fonts draws each price as a
// new one does: the cached layout is keyed by text, digit lengths and font,
// and prices that share runs of figures share them.
TEST(WatchlistPriceDelegateTest, CachedLayoutDrawsAsAFreshOne) {
    const struct {
        const char* text;
        QPoint digits;
        double size;
    } cases[] = {{"1.08414", {2, 1}, 12}, {"1.08414", {3, 0}, 12}, {"2035.39", {2, 1}, 12},
                 {"2035.39", {2, 1}, 16}, {"12.5", {2, 1}, 12},    {"1.08414", {2, 1}, 16},
                 {"1.08424", {2, 1}, 16}, {"1.0841", {2, 1}, 16},  {"2035.4", {2, 1}, 12}};
    QStandardItemModel model(1, 1);
    const auto draw = [&](const WatchlistPriceDelegate& delegate, const auto& c) {
        QFont font;
        font.setPointSizeF(c.size);
        model.setData(model.index(0, 0), QString(c.text), PriceTextRole);
        model.setData(model.index(0, 0), c.digits, DigitLengthsRole);
        model.setData(model.index(0, 0), font, Qt::FontRole);
        QImage image(160, 40, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        delegate.paint(&painter, option, model.index(0, 0));
        return image;
    };
    QImage blank(160, 40, QImage::Format_ARGB32);
    blank.fill(Qt::gray);
    WatchlistPriceDelegate warm(nullptr, nullptr);
    for (const auto& c : cases) ASSERT_NE(draw(warm, c), blank) << c.text;
    for (const auto& c : cases) {
        WatchlistPriceDelegate fresh(nullptr, nullptr);
        const QImage expected = draw(fresh, c);
        EXPECT_EQ(draw(warm, c), expected) << c.text << " " << c.size;
        EXPECT_EQ(draw(warm, c), expected) << c.text << " again";
    }
}

// A price too wide for its cell shows no figure at all ("###"), never its
// last figures: two prices draw alike in a narrow cell, apart in a wide one.
TEST(PriceDelegatesTest, APriceThatDoesNotFitShowsNoFigure) {
    QStandardItemModel model(1, 1);
    QFont font;
    font.setPointSize(20);
    const auto draw = [&](const QStyledItemDelegate& delegate, int role, const char* price, int width) {
        model.setData(model.index(0, 0), QString(price), role);
        model.setData(model.index(0, 0), QPoint(2, 1), DigitLengthsRole);
        model.setData(model.index(0, 0), font, Qt::FontRole);
        QImage image(width, 40, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        delegate.paint(&painter, option, model.index(0, 0));
        return image;
    };
    WatchlistPriceDelegate watchlist(nullptr, nullptr);
    ClosePriceButtonDelegate closePrice(nullptr);
    for (const auto& [delegate, role] : {std::pair<const QStyledItemDelegate*, int>{&watchlist, PriceTextRole},
                                         {&closePrice, ClosePriceTextRole}}) {
        EXPECT_EQ(draw(*delegate, role, "2068.67", 80), draw(*delegate, role, "9351.24", 80)) << role;
        EXPECT_NE(draw(*delegate, role, "2068.67", 200), draw(*delegate, role, "9351.24", 200)) << role;
    }
}

// Prices walk: a delegate that has laid out a day of them holds a bounded
// number of layouts and runs, and a price kept on screen stays laid out.
TEST(WatchlistPriceDelegateTest, CachesStayBoundedUnderWalkingPrices) {
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QPoint(2, 1), DigitLengthsRole);
    model.setData(model.index(0, 0), QFont(), Qt::FontRole);
    WatchlistPriceDelegate delegate(nullptr, nullptr);
    const int limit = WatchlistPriceDelegate::kCachedTexts;
    const auto layout = [&](const QString& text) {
        model.setData(model.index(0, 0), text, PriceTextRole);
        return &delegate.layoutOf(model.index(0, 0));
    };
    for (int i = 0; i < 3 * limit; ++i) {
        layout(QString::asprintf("%d.%05d", 1 + i / 100000, i % 100000));
        if (i % 100 == 0) layout("1.08414");  // on screen all along
    }
    EXPECT_LE(delegate.cachedLayouts(), limit);
    EXPECT_LE(delegate.cachedRuns(), 3 * limit);
    const auto* kept = layout("1.08414");
    EXPECT_EQ(layout("1.08414"), kept);
    EXPECT_GT(kept->width, 0);
}

}  // namespace
}  // namespace views
