// The live tables' shared machinery over a small table of orders: the header
// menu, sorting through the state, reloads that keep the selection and the
// scroll place, the tick, the row menu's guard, row dialogs, the font and
// notifications posted from other threads.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <numeric>
#include <thread>

#include "kit/core/preference_manager.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "platform/clock.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"
#include "state/session_notifications.h"
#include "kit/fake_hosts.h"
#include "kit/table_controller_base.h"
#include "kit/text_cell_delegate.h"
#include "support/spent_clock.h"

namespace kit {
namespace {

using namespace Qt::StringLiterals;

using Comparison = state::SortDescriptor::Comparison;

// Positions by code and price: "0147" and "0319" are the live columns.
class OrdersTable : public kit::TableControllerBase {
public:
    OrdersTable(state::Orders& orders, Setup setup) : kit::TableControllerBase(std::move(setup), nullptr), orders_(orders) {
        SetHeaderMenuItems();
        reloadTable();
    }
    int getterCalls = 0;
    std::atomic<int> offMainCalls{0};
    std::vector<int> menuRows;
    // Set: the tick reads these rows, the prices shown as last read.
    std::optional<std::vector<int>> ticked;

protected:
    int takeSnapshot() override {
        ++getterCalls;
        if (!platform::MainExecutor::isMainThread()) ++offMainCalls;
        rows_ = orders_;  // the state's getter copies the list of live records
        shown_.clear();
        for (const auto& o : rows_) shown_.emplace_back(o->OrderPrice);
        return static_cast<int>(rows_.size());
    }
    std::optional<std::vector<int>> changedRows() override {
        if (!ticked) return std::nullopt;
        return readInRanges(*std::exchange(ticked, std::vector<int>{}));
    }
    std::vector<int> readRows(std::span<const int> rows) override {
        std::vector<int> changed;
        for (int row : rows)
            if (std::exchange(shown_.at(std::size_t(row)), std::string(rows_.at(std::size_t(row))->OrderPrice)) !=
                shown_.at(std::size_t(row)))
                changed.push_back(row);
        return changed;
    }
    QVariant cellData(int row, int column, int role) const override {
        if (role != Qt::DisplayRole) return {};
        const model::Order& o = *rows_.at(std::size_t(row));
        const std::string& id = identifierOf(column);
        if (id == "0147") return QString::fromStdString(shown_.at(std::size_t(row)));
        return QString::fromStdString(id == "0011" ? o.ItemCode : o.AccountNumber);
    }
    void showRowMenuEntries(QMenu& menu, int row) override {
        menuRows.push_back(row);
        for (QAction* a : menu.actions()) a->setVisible(true);
    }

private:
    state::Orders& orders_;
    state::Orders rows_;
    std::vector<std::string> shown_;
};

class TableFrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        for (const char* price : {"10", "2.5", "-5", "2.10"}) add("C" + std::to_string(orders.size()), price);
        kit::TableControllerBase::Setup setup;
        setup.kind = kit::TableKind::OpenPositions;
        setup.columns = {{"0011", 80, state::SortDescriptor{"ItemCode", true, Comparison::Compare}},
                         {"0147", 70, state::SortDescriptor{"OrderPrice", true, Comparison::Numeric}},
                         {"0012", 90, std::nullopt},
                         {"0319", 60, std::nullopt}};
        setup.preferences = &preferences;
        setup.sheets = &sheets;
        setup.sort = [this](const std::optional<std::vector<state::SortDescriptor>>& d) {
            sorts.push_back(d.value());
            state::Queries::sortOrders(orders, d);
        };
        table = std::make_unique<OrdersTable>(orders, setup);
        tester = std::make_unique<QAbstractItemModelTester>(table->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        table->resize(500, 300);
        table->show();
    }
    void TearDown() override {
        tester.reset();
        table.reset();
        platform::MainExecutor::install(nullptr);
        std::filesystem::remove(path);
    }
    void add(const std::string& code, const std::string& price) {
        auto o = std::make_shared<model::Order>();
        o->ItemCode = code;
        o->OrderPrice = price;
        o->AccountNumber = "1001";
        orders.push_back(o);
    }
    QString cell(int row, int column) { return table->model()->index(row, column).data().toString(); }

    std::shared_ptr<kit::QtMainExecutor> executor;
    std::string path = (std::filesystem::temp_directory_path() / ("views_table_" + std::to_string(::getpid()))).string();
    platform::Preferences store{path};
    kit::PreferenceManager preferences{store};
    testing::FakeSheetHost sheets;
    state::Orders orders;
    std::vector<std::vector<state::SortDescriptor>> sorts;
    std::unique_ptr<OrdersTable> table;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(TableFrameworkTest, HeaderMenuHidesAndShowsInPlace) {
    QMenu* menu = table->headerMenuWidget();
    std::vector<std::string> ids;
    for (QAction* a : menu->actions()) {
        ids.push_back(a->data().toString().toStdString());
        EXPECT_TRUE(a->isChecked());
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"0011", "0147", "0012", "0319"}));
    QHeaderView* header = table->tableView()->horizontalHeader();
    header->resizeSection(1, 123);
    QAction* price = menu->actions()[1];
    price->trigger();
    EXPECT_TRUE(table->tableView()->isColumnHidden(1));
    EXPECT_FALSE(price->isChecked());
    table->headerMenu(price);
    EXPECT_FALSE(table->tableView()->isColumnHidden(1));
    EXPECT_TRUE(price->isChecked());
    EXPECT_EQ(header->visualIndex(1), 1);
    EXPECT_EQ(header->sectionSize(1), 123);
}

TEST_F(TableFrameworkTest, HeaderClickSortsThroughTheStateOnceAndReloadsOnce) {
    QHeaderView* header = table->tableView()->horizontalHeader();
    const int calls = table->getterCalls;
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
    ASSERT_EQ(sorts.size(), 1u);
    EXPECT_EQ(sorts[0][0].key, "OrderPrice");
    EXPECT_EQ(sorts[0][0].comparison, Comparison::Numeric);
    EXPECT_EQ(table->getterCalls, calls + 1);
    EXPECT_EQ(changed.count(), 1);
    QStringList shown;
    for (int r = 0; r < 4; ++r) shown << cell(r, 1);
    EXPECT_EQ(shown, (QStringList{"-5", "2.10", "2.5", "10"}));
    table->sortByColumn(1);  // again: descending
    EXPECT_FALSE(sorts.back()[0].ascending);
    EXPECT_EQ(cell(0, 1), "10");
    table->sortByColumn(2);  // not sortable
    EXPECT_EQ(sorts.size(), 2u);
}

TEST_F(TableFrameworkTest, ReloadKeepsSelectionAndScrollWithoutReset) {
    // Appended: GCC 12 at -O3 wrongly sees overlap (-Wrestrict) in "R" + string.
    for (int i = 0; i < 200; ++i) add(std::string("R").append(std::to_string(i)), std::to_string(i));
    table->reloadTable();
    QTableView* view = table->tableView();
    view->selectRow(120);
    view->verticalScrollBar()->setValue(100);
    QSignalSpy reset(table->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(table->model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    table->reloadTable();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][1].toModelIndex(), table->model()->index(203, 3));  // every cell
    add("NEW", "1");
    table->reloadTable();
    orders.resize(10);
    table->reloadTable();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(table->rowCount(), 10);
    EXPECT_TRUE(table->model()->index(9, 0).data().isValid());
    EXPECT_FALSE(table->model()->index(10, 0).data().isValid());
    view->selectRow(5);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    const int scroll = view->verticalScrollBar()->value();
    table->reloadTable();
    EXPECT_EQ(view->selectionModel()->selectedRows().value(0).row(), 5);
    EXPECT_EQ(view->verticalScrollBar()->value(), scroll);
}

TEST_F(TableFrameworkTest, AFirstFillShowsEveryRowInBatches) {
    constexpr int kBatch = kit::TableControllerBase::kFillBatchRows;
    struct Case {
        int rows;
        int shownAtOnce;
        int insertions;
    } cases[] = {{kBatch, kBatch, 1}, {2 * kBatch + 7, kBatch, 3}};
    for (const Case& c : cases) {
        orders.clear();
        table->reloadTable();
        for (int i = 0; i < c.rows; ++i) add("R", std::to_string(i));
        QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
        table->reloadTable();
        EXPECT_EQ(table->rowCount(), c.shownAtOnce) << c.rows;
        ASSERT_TRUE(testing::runUntil([&] { return table->rowCount() == c.rows; })) << c.rows;
        testing::runFor(20);
        EXPECT_EQ(table->rowCount(), c.rows);
        EXPECT_EQ(inserted.count(), c.insertions) << c.rows;
        EXPECT_EQ(cell(c.rows - 1, 1), QString::number(c.rows - 1));
    }
    // While the slice's time lasts (here the clock stands still), the batches
    // after the first come in one slice.
    platform::installClock(std::make_shared<platform::FakeClock>());
    orders.clear();
    table->reloadTable();
    for (int i = 0; i < 3 * kBatch + 7; ++i) add("R", std::to_string(i));
    QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
    table->reloadTable();
    EXPECT_EQ(table->rowCount(), kBatch);
    QCoreApplication::sendPostedEvents(table.get(), QEvent::MetaCall);
    EXPECT_EQ(table->rowCount(), 3 * kBatch + 7);
    EXPECT_EQ(inserted.count(), 4);
    platform::installClock(nullptr);
    // A tick while a fill is under way shows the rest at once.
    orders.clear();
    table->reloadTable();
    for (int i = 0; i < 2 * kBatch; ++i) add("R", std::to_string(i));
    table->reloadTable();
    table->RefreshTableview();
    EXPECT_EQ(table->rowCount(), 2 * kBatch);
    testing::runFor(20);
    EXPECT_EQ(table->rowCount(), 2 * kBatch);
}

TEST_F(TableFrameworkTest, ARowCountChangeLaysTheRowsOutInTheSameTurn) {
    // The scroll range a reload leaves is the one the event loop keeps: the
    // paint queued with the change shows the rows as laid out.
    constexpr int kBatch = kit::TableControllerBase::kFillBatchRows;
    const QScrollBar* bar = table->tableView()->verticalScrollBar();
    for (const int rows : {200, 3, 60, 2 * kBatch + 7, 0}) {
        orders.clear();
        for (int i = 0; i < rows; ++i) add("R", std::to_string(i));
        table->reloadTable();
        const int laidOut = bar->maximum();
        QCoreApplication::processEvents();
        EXPECT_EQ(bar->maximum(), laidOut) << rows;
        ASSERT_TRUE(testing::runUntil([&] { return table->rowCount() == rows; })) << rows;
    }
}

TEST_F(TableFrameworkTest, TickRefreshesOnlyTheLiveColumns) {
    QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
    const int calls = table->getterCalls;
    table->RefreshTableview();  // the timer's action, called directly
    EXPECT_EQ(table->getterCalls, calls + 1);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex(), table->model()->index(0, 1));
    EXPECT_EQ(changed[0][1].toModelIndex(), table->model()->index(3, 1));
    EXPECT_EQ(changed[1][0].toModelIndex().column(), 3);
    orders.clear();
    table->RefreshTableview();  // the list emptied between ticks
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(TableFrameworkTest, ALongRefreshReadsInRangesAndEndsAsAWholeOne) {
    constexpr int kRange = int(kit::TableControllerBase::kRefreshRangeRows);
    constexpr int kRows = 2 * kRange + 7;
    orders.clear();
    for (int i = 0; i < kRows; ++i) add("R", "0");
    table->reloadTable();
    ASSERT_TRUE(testing::runUntil([&] { return table->rowCount() == kRows; }));
    std::vector<int> all(kRows);
    std::iota(all.begin(), all.end(), 0);
    struct Case {
        const char* name;
        std::vector<int> secondTick;  // read by a tick after the first range
        int rowMovedAgain;            // its price moves before that tick
    } cases[] = {{"one pass", {}, -1},
                 {"a tick mid-pass on a read row", {3}, 3},
                 {"a tick mid-pass on an unread row", {kRows - 1}, kRows - 1}};
    int round = 0;
    for (const Case& c : cases) {
        ++round;
        for (auto& o : orders) o->OrderPrice = std::to_string(round);
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
        table->ticked = all;
        table->RefreshTableview();
        EXPECT_EQ(cell(0, 1), QString::number(round)) << c.name;
        EXPECT_EQ(cell(kRows - 1, 1), u"%1"_s.arg(round - 1)) << c.name;
        if (c.rowMovedAgain >= 0) {
            orders[std::size_t(c.rowMovedAgain)]->OrderPrice = "moved";
            table->ticked = c.secondTick;
            table->RefreshTableview();
        }
        ASSERT_TRUE(testing::runUntil([&] { return cell(kRows - 1, 1) != u"%1"_s.arg(round - 1); })) << c.name;
        testing::runFor(20);
        std::vector<bool> redrawn(kRows, false);
        for (const QList<QVariant>& signal : changed) {
            const int top = signal[0].toModelIndex().row(), bottom = signal[1].toModelIndex().row();
            EXPECT_LE(bottom - top + 1, kRange) << c.name;
            for (int row = top; row <= bottom; ++row) redrawn[std::size_t(row)] = true;
        }
        for (int row = 0; row < kRows; ++row) {
            const bool moved = row == c.rowMovedAgain;
            ASSERT_EQ(cell(row, 1), moved ? u"moved"_s : QString::number(round)) << c.name << " row " << row;
            ASSERT_TRUE(redrawn[std::size_t(row)]) << c.name << " row " << row;
        }
    }
}

// A range ends once a step's time is spent: with time running, one run of rows a slice.
TEST_F(TableFrameworkTest, ARefreshRangeEndsOnceItsTimeIsSpent) {
    constexpr int kRun = int(platform::SliceBudget::kItemsPerCheck);
    constexpr int kRows = int(kit::TableControllerBase::kRefreshRangeRows) + 1;
    orders.clear();
    for (int i = 0; i < kRows; ++i) add("R", "0");
    table->reloadTable();
    ASSERT_TRUE(testing::runUntil([&] { return table->rowCount() == kRows; }));
    for (auto& o : orders) o->OrderPrice = "1";
    std::vector<int> all(kRows);
    std::iota(all.begin(), all.end(), 0);
    table->ticked = all;
    platform::installClock(std::make_shared<::testing::SpentClock>());
    table->RefreshTableview();
    EXPECT_EQ(cell(kRun - 1, 1), u"1"_s);
    EXPECT_EQ(cell(kRun, 1), u"0"_s);
    const bool whole = testing::runUntil([&] { return cell(kRows - 1, 1) == u"1"_s; });
    platform::installClock(nullptr);
    ASSERT_TRUE(whole);
    for (int row = 0; row < kRows; ++row) ASSERT_EQ(cell(row, 1), u"1"_s) << row;
}

TEST_F(TableFrameworkTest, RowMenuGuard) {
    QMenu rowMenu;
    rowMenu.addAction("close");
    rowMenu.addAction("modify");
    auto visible = [&] {
        int n = 0;
        for (QAction* a : rowMenu.actions()) n += a->isVisible();
        return n;
    };
    table->tableView()->selectRow(1);
    table->menuNeedsUpdate(rowMenu, 2);
    EXPECT_EQ(visible(), 2);
    EXPECT_TRUE(table->tableView()->selectionModel()->selectedRows().isEmpty());
    for (int below : {-1, 4}) {
        table->menuNeedsUpdate(rowMenu, below);
        EXPECT_EQ(visible(), 0) << below;
    }
    sheets.attached = true;
    table->menuNeedsUpdate(rowMenu, 0);
    EXPECT_EQ(visible(), 0);
    EXPECT_EQ(table->menuRows, (std::vector<int>{2}));

}

TEST_F(TableFrameworkTest, FontSizeShowsAtTheNextDrawing) {
    EXPECT_EQ(table->model()->index(0, 0).data(Qt::FontRole).value<QFont>().pointSize(), 12);  // nothing stored
    preferences.saveFontSizeInfo(16, kit::PreferenceManager::kPositionsFontSize);
    EXPECT_EQ(table->model()->index(0, 0).data(Qt::FontRole).value<QFont>().pointSize(), 16);
    // The user's width holds until the size read differs from the one last fitted.
    table->reloadTable();
    const int rowHeight = table->tableView()->verticalHeader()->defaultSectionSize();
    table->tableView()->setColumnWidth(2, 40);
    table->reloadTable();
    EXPECT_EQ(table->tableView()->columnWidth(2), 40);
    preferences.saveFontSizeInfo(20, kit::PreferenceManager::kPositionsFontSize);
    table->reloadTable();
    EXPECT_GE(table->tableView()->columnWidth(2), 90);
    const int grown = table->tableView()->verticalHeader()->defaultSectionSize();
    EXPECT_GT(grown, rowHeight);
    // A smaller font shrinks the rows back, as far as the size they had at it.
    for (const auto& [size, shrunk] : {std::pair{16, grown}, std::pair{10, rowHeight}}) {
        preferences.saveFontSizeInfo(size, kit::PreferenceManager::kPositionsFontSize);
        table->reloadTable();
        EXPECT_LT(table->tableView()->verticalHeader()->defaultSectionSize(), shrunk) << size;
    }
}

TEST_F(TableFrameworkTest, NotificationFromAWorkerReloadsOnTheMainThread) {
    const int calls = table->getterCalls;
    std::thread worker([] {
        platform::NotificationCenter::defaultCenter().post(state::notifications::kOpenPositionTable);
    });
    worker.join();
    EXPECT_EQ(table->getterCalls, calls);  // handed over, not run on the worker
    ASSERT_TRUE(testing::runUntil([&] { return table->getterCalls == calls + 1; }));
    EXPECT_EQ(table->offMainCalls, 0);
    // After the table is gone, a posting reaches nobody.
    table.reset();
    tester.reset();
    std::thread([] { platform::NotificationCenter::defaultCenter().post(state::notifications::kOpenPositionTable); })
        .join();
    testing::runFor(20);
}

// The shaped-text cell draws every pixel as the style does, in every state,
// at scale 1 and 2; what it cannot draw (an elided or two-line text, the
// focus) the style draws.
TEST(TextCellDelegateTest, DrawsAsTheStyleDoes) {
    using S = QStyle::StateFlag;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter, left = Qt::AlignLeft | Qt::AlignVCenter;
    const struct {
        const char* text;
        Qt::Alignment alignment;
        int state;
        bool alternate;
        QColor foreground;
        double pointSize;
        bool bold;
    } cases[] = {
        {"2035.39", right, 0, false, {}, 12, false},
        {"Instrument 12", left, 0, true, {}, 12, false},
        {"-5.25", right, S::State_Selected, false, QColor(230, 0, 38), 12, false},
        {"B", Qt::AlignCenter, S::State_Selected, true, {}, 16, true},
        {"12/07/2026 09:30", Qt::AlignCenter, 0, false, QColor(0, 153, 0), 9, false},
        {"0.000125", right, 0, true, {}, 10.5, false},
        {"A name far too long for the narrow cell it is in", left, 0, false, {}, 12, false},
        {"two\nlines", left, 0, false, {}, 12, false},
        {"focused", left, S::State_HasFocus, false, {}, 12, false},
        {"", left, S::State_Selected, true, {}, 12, false},
        {" 12.50 ", right, 0, false, {}, 12, false},                   // spaces at both ends
        {"Caf\xc3\xa9 \xe9\x87\x91", Qt::AlignCenter, 0, true, {}, 10.5, false},  // a letter of a fallback font
    };
    QTableView view;
    QStandardItemModel model(1, 1);
    view.setModel(&model);
    view.resize(300, 100);
    const auto draw = [&](const QStyledItemDelegate& delegate, const auto& c, qreal ratio) {
        QFont font = view.font();
        font.setPointSizeF(c.pointSize);
        font.setBold(c.bold);
        model.setData(model.index(0, 0), QString::fromUtf8(c.text));
        model.setData(model.index(0, 0), QVariant::fromValue(c.alignment), Qt::TextAlignmentRole);
        model.setData(model.index(0, 0), font, Qt::FontRole);
        model.setData(model.index(0, 0), c.foreground.isValid() ? QVariant(QBrush(c.foreground)) : QVariant(),
                      Qt::ForegroundRole);
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.widget = &view;
        option.rect = QRect(3, 2, 140, 26);
        option.showDecorationSelected = true;
        option.state = S::State_Enabled | S::State_Active | QStyle::State(c.state);
        if (c.alternate) option.features |= QStyleOptionViewItem::Alternate;
        QImage image(QSize(150, 30) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::gray);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(0, 0));
        return image;
    };
    // The pixels that differ, and where.
    const auto differences = [](const QImage& a, const QImage& b) {
        QRect where;
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    ++count;
                    where |= QRect(x, y, 1, 1);
                }
        return std::to_string(count) + " at " + std::to_string(where.x()) + "," + std::to_string(where.y()) + " " +
               std::to_string(where.width()) + "x" + std::to_string(where.height());
    };
    const std::string none = "0 at 0,0 0x0";
    QStyledItemDelegate style;
    TextCellDelegate shaped;
    for (const qreal ratio : {1, 2})
        for (const auto& c : cases) {
            const QImage expected = draw(style, c, ratio);
            EXPECT_EQ(differences(draw(shaped, c, ratio), expected), none) << c.text << " at " << ratio;
            EXPECT_EQ(differences(draw(shaped, c, ratio), expected), none) << c.text << " at " << ratio << " again";
        }
}

}  // namespace
}  // namespace kit
