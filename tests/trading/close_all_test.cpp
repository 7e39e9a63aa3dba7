// The close-all sheet and its status sheet over a session of the test's own:
// the ticks and the button, the check's refusals, the request type, the
// status page following the answers, positions closing meanwhile.
#include <QHeaderView>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>
#include <tuple>

#include "kit/fake_context.h"
#include "kit/qt_test_app.h"
#include "kit/theme_manager.h"
#include "orders/order_fixture.h"
#include "state/session_notifications.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/close_all_window_controller.h"

namespace trading {
namespace {

using orders::testing::tr;
using Strings = std::vector<std::string>;

class CloseAllTest : public orders::testing::OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        // SILVER has no conditions in the group: its close is refused.
        auto& data = state::SessionTestAccess::referenceData(*session);
        auto silver = std::make_shared<model::ItemDetails>(*item);
        silver->Code = "SILVER";
        silver->InstrumentId = 2;
        state::ReferenceDataTestAccess::ItemCollection(data).set("SILVER", silver);
        openPosition(0, "1.5", "1001", "P1");
        openPosition(1, "1", "1001", "P2");
        openPosition(1, "0.5", "1001", "P3");
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session);
        sheet = std::make_unique<CloseAllWindowController>(fake->context);
        sheet->windowDidAppear();
        sheet->open();
    }
    void TearDown() override {
        sheet.reset();
        fake.reset();
        OrderFixture::TearDown();
    }
    // The caller may change the list: its revision moves, as an announced change moves it.
    state::Orders& open() {
        state::OrderBook& book = state::SessionTestAccess::orderBook(*session);
        state::OrderBookTestAccess::moveOpenRevision(book);
        return state::OrderBookTestAccess::OpenOrderCollection(book);
    }
    QVariant cell(int row, int column, int role = Qt::DisplayRole) {
        return sheet->closeAllRows->index(row, column).data(role);
    }
    void tick(int row) {
        const bool ticked = cell(row, 0, Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        sheet->closeAllRows->setData(sheet->closeAllRows->index(row, 0), ticked ? Qt::Unchecked : Qt::Checked,
                                     Qt::CheckStateRole);
    }
    void answer(const char* status, const std::string& id, const std::string& reason = "") {
        auto r = std::make_shared<state::BulkCloseResult>();
        r->status = status;
        r->reference = id;
        r->reason = reason;
        if (std::string(status) == state::BulkCloseResult::kSettled)
            for (const auto& p : open())
                if (p->OpenPositionId == id) r->settled = p;
        platform::NotificationCenter::defaultCenter().post(state::notifications::kBulkClose, r);
    }
    Strings details() const {
        Strings out;
        for (const auto& r : sheet->statusRows()) out.push_back(r.orderNo + " " + r.orderDetails);
        return out;
    }
    // The list of the request, as the order manager writes it for these positions.
    bool sentFor(const Strings& ids, std::int64_t type) {
        state::Orders positions;
        for (const std::string& id : ids)
            for (const auto& p : open())
                if (p->OpenPositionId == id) positions.push_back(p);
        const auto list = manager->closePositionsList(positions, type);
        return list && body().find(*list) != std::string::npos;
    }

    std::unique_ptr<kit::testing::FakeContext> fake;
    std::unique_ptr<CloseAllWindowController> sheet;
};

// The ticks by id as a plain list keeps them, through every kind of change.
TEST(CloseAllSelectionTest, TicksKeepTheirOrderThroughEveryChange) {
    auto position = [](const char* id) {
        auto p = std::make_shared<model::Order>();
        p->OpenPositionId = id;
        return p;
    };
    const state::Orders open{position("P1"), position("P2"), position("P3")};
    struct Step {
        const char* what;
        std::function<void(CloseAllSelection&)> change;
        Strings ticked;
    };
    const std::vector<Step> steps{
        {"all", [&](auto& s) { s.tickAll(open); }, {"P1", "P2", "P3"}},
        {"one off", [](auto& s) { s.untick("P1"); }, {"P2", "P3"}},
        {"on again: last", [](auto& s) { s.toggle("P1"); }, {"P2", "P3", "P1"}},
        {"toggled off, unknown and twice off", [](auto& s) {
             s.toggle("P2");
             s.untick("P9");
             s.untick("P2");
         }, {"P3", "P1"}},
        {"closed meanwhile", [&](auto& s) { s.keepOpen({open[0], open[1]}); }, {"P1"}},
        {"off then on", [](auto& s) {
             s.untick("P1");
             s.toggle("P2");
             s.toggle("P1");
         }, {"P2", "P1"}},
        {"all, then the last off", [&](auto& s) {
             s.tickAll(open);
             s.untick("P3");
         }, {"P1", "P2"}},
        {"all, then the last closed", [&](auto& s) {
             s.tickAll(open);
             s.keepOpen({open[0], open[1]});
         }, {"P1", "P2"}},
    };
    CloseAllSelection selection;
    for (const Step& step : steps) {
        step.change(selection);
        Strings ids;
        for (const auto& p : selection.tickedPositions(open)) ids.push_back(p->OpenPositionId);
        EXPECT_EQ(ids, step.ticked) << step.what;
        EXPECT_EQ(selection.count(), step.ticked.size()) << step.what;
        for (const auto& p : open)
            EXPECT_EQ(selection.isTicked(p->OpenPositionId),
                      std::count(step.ticked.begin(), step.ticked.end(), p->OpenPositionId.str()) == 1)
                << step.what << " " << p->OpenPositionId.str();
        EXPECT_EQ(selection.isCloseAll(open), step.ticked.size() == open.size()) << step.what;
    }
}

TEST_F(CloseAllTest, TicksSetTheButton) {
    struct Step {
        int row;
        bool enabled;
        std::string title;
    } steps[] = {
        {-1, true, tr("0243")},
        {1, true, tr("0706") + " (2)"},
        {0, true, tr("0706") + " (1)"},
        {2, false, tr("0706") + " (0)"},
    };
    for (const Step& s : steps) {
        if (s.row >= 0) tick(s.row);
        EXPECT_EQ(sheet->closeAllButton->isEnabled(), s.enabled) << s.row;
        EXPECT_EQ(sheet->closeAllButton->text().toStdString(), s.title) << s.row;
    }
    EXPECT_EQ(cell(1, 7).toString(), "50.10");  // a sell closes at the Ask
    sheet->windowDidAppear();  // reopening ticks every position
    EXPECT_EQ(sheet->selection().count(), 3u);
    const std::size_t following = fake->ticker.subscriberCount();
    sheet->reject();  // Escape: the hidden rows no longer follow the tick
    EXPECT_EQ(fake->ticker.subscriberCount(), following - 1);
}

// Each cell of both pages reads its own field, numbers right-aligned, P/L and status coloured.
TEST_F(CloseAllTest, EachCellReadsItsFieldInItsColumn) {
    open()[1]->UnrealisedPL = -2.5;
    open()[2]->ItemCode = "NOREC";  // no record: two places, no close price
    sheet->windowDidAppear();
    struct Cell {
        const QAbstractItemModel* model;
        int row, column;
        std::string text;
        bool right;
    };
    const auto check = [](const std::vector<Cell>& cells) {
        for (const Cell& c : cells) {
            const QModelIndex at = c.model->index(c.row, c.column);
            EXPECT_EQ(at.data().toString().toStdString(), c.text) << c.row << " " << c.column;
            EXPECT_EQ(at.data(Qt::TextAlignmentRole).value<Qt::Alignment>().testFlag(Qt::AlignRight), c.right) << c.column;
        }
    };
    const QAbstractItemModel* rows = sheet->closeAllRows;
    check({{rows, 1, 1, "1001", false}, {rows, 1, 2, "P2", false}, {rows, 1, 3, "GOLD", false},
           {rows, 1, 4, "S", false}, {rows, 1, 5, "1", true}, {rows, 1, 6, "50.00", true},
           {rows, 1, 7, "50.10", true}, {rows, 1, 8, "-2.50", true}, {rows, 2, 6, "50.00", true},
           {rows, 2, 7, "", true}});
    EXPECT_EQ(cell(1, 8, Qt::ForegroundRole).value<QColor>(), kit::ThemeManager::fallColor());
    EXPECT_EQ(cell(0, 8, Qt::ForegroundRole).value<QColor>(), kit::ThemeManager::riseColor());
    EXPECT_FALSE(cell(1, 1, Qt::CheckStateRole).isValid());

    open()[2]->ItemCode = "GOLD";
    sheet->closeAllButtonClicked();
    const QAbstractItemModel* status = sheet->closeAllStatus;
    check({{status, 1, 0, "1001", false}, {status, 1, 1, "P2", false}, {status, 1, 2, "GOLD", false},
           {status, 1, 3, "S", false}, {status, 1, 4, "1", true}, {status, 1, 5, "50.00", true},
           {status, 1, 6, tr("0531"), false}});
    EXPECT_EQ(status->index(1, 6).data(Qt::ForegroundRole).value<QColor>(),
              QColor::fromRgbF(float(kStatusGreen.red), float(kStatusGreen.green), float(kStatusGreen.blue)));
}

TEST_F(CloseAllTest, AllTickedGoAsCloseAllAndTheStatusFollowsTheAnswers) {
    sheet->closeAllButtonClicked();
    EXPECT_EQ(sent, 1);
    EXPECT_TRUE(sentFor({"P1", "P2", "P3"}, orders::OrderMananger::kCloseAll));
    EXPECT_EQ(sheet->closeAllTabView->currentIndex(), 1);
    EXPECT_EQ(details(), (Strings{"P1 " + tr("0531"), "P2 " + tr("0531"), "P3 " + tr("0531")}));
    answer(state::BulkCloseResult::kSettled, "P1");
    QSignalSpy redrawn(sheet->closeAllStatus, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(sheet->closeAllStatus, &QAbstractItemModel::modelReset);
    answer(state::BulkCloseResult::kRejected, "P2", "No liquidity");
    answer(state::BulkCloseResult::kRejected, "P9", "Not in the table");
    // Each answer redraws its own row, no other.
    ASSERT_EQ(redrawn.size(), 1);
    EXPECT_EQ(redrawn[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(redrawn[0][1].toModelIndex().row(), 1);
    EXPECT_EQ(reset.size(), 0);
    EXPECT_EQ(details(), (Strings{"P1 " + tr("90300"), "P2 No liquidity", "P3 " + tr("0531")}));
    EXPECT_EQ(sheet->closeAllStatus->index(1, 6).data().toString().toStdString(), "No liquidity");
    EXPECT_EQ(sheet->closeAllStatus->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), tr("0514"));
    EXPECT_EQ(sheet->statusRows()[1].statusColor->red, kStatusRed.red);
    EXPECT_EQ(sheet->statusRows()[0].statusColor->green, kStatusGreen.green);
}

TEST_F(CloseAllTest, RefusalsShowInTheStatusSheetAndTheRestGoOn) {
    open()[1]->ItemCode = "SILVER";
    sheet->closeAllButtonClicked();
    EXPECT_EQ(sent, 0);
    ClosePositionStatusWindowController* status = sheet->statusSheet();
    ASSERT_TRUE(status->isVisible());
    ASSERT_EQ(sheet->failedClosePositions().size(), 1u);
    const model::OrderInfo& failed = sheet->failedClosePositions()[0];
    EXPECT_EQ(failed.orderNo, "P2");
    EXPECT_EQ(failed.quantity, "1");
    EXPECT_EQ(failed.price, "50.10");  // the market close of a sell
    EXPECT_EQ(status->statusTextField->text().toStdString(), tr("1155"));
    EXPECT_EQ(status->button1->text().toStdString(), tr("90301"));
    EXPECT_EQ(status->statusModel->index(0, 3).data().toString(), "S");
    // The row fits its one line at the width the sheet is shown with.
    kit::testing::runFor(20);
    EXPECT_LT(status->statusTableView->rowHeight(0), 2 * QFontMetrics(status->statusTableView->font()).lineSpacing());
    // The line dropped while the sheet stood open: the others are refused now, nothing is sent.
    auto& network = state::servicesOf(*session).connection().isNetworkAvailable;
    network = false;
    status->button1->click();
    EXPECT_EQ(sent, 0);
    ASSERT_TRUE(status->isVisible());
    ASSERT_EQ(sheet->failedClosePositions().size(), 3u);
    EXPECT_EQ(sheet->failedClosePositions()[2].orderDetails, tr("1007"));
    EXPECT_TRUE(status->button1->isHidden());
    // Back: the remaining ones go.
    network = true;
    reset();
    open()[1]->ItemCode = "SILVER";
    sheet->closeAllButtonClicked();
    status = sheet->statusSheet();
    status->button1->click();
    EXPECT_EQ(sent, 1);
    EXPECT_TRUE(sentFor({"P1", "P3"}, orders::OrderMananger::kCloseSelected));

    // Every one refused: only the close button, nothing sent.
    reset();
    for (const auto& p : open()) p->ItemCode = "SILVER";
    sheet->closeAllButtonClicked();
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(sheet->statusSheet()->statusTextField->text().toStdString(), tr("1154"));
    EXPECT_TRUE(sheet->statusSheet()->button1->isHidden());
    EXPECT_EQ(sheet->statusSheet()->button2->text().toStdString(), tr("0167"));
}

TEST_F(CloseAllTest, PositionsClosedOrOpenedMeanwhile) {
    open().erase(open().begin() + 2);  // P3 closed while ticked
    openPosition(0, "2", "1001", "P4");  // and a new one, not ticked
    fake->ticker.tick();  // the list follows on the next tick
    ASSERT_EQ(sheet->closeAllRows->rowCount(), 3);
    EXPECT_EQ(cell(2, 2).toString(), "P4");
    EXPECT_EQ(cell(2, 0, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(sheet->closeAllButton->text().toStdString(), tr("0706") + " (2)");
    sheet->closeAllButtonClicked();
    EXPECT_EQ(sent, 1);
    EXPECT_TRUE(sentFor({"P1", "P2"}, orders::OrderMananger::kCloseSelected));
}

TEST_F(CloseAllTest, TheTickRedrawsTheLiveCellsOfTheRowsInSightOnly) {
    for (int i = 0; i < 60; ++i) openPosition(0, "1", "1001", "Q" + std::to_string(i));
    sheet->windowDidAppear();
    QTableView& rows = *sheet->closeAllTableView;
    const int last = sheet->closeAllRows->rowCount() - 1;
    const auto bottomInSight = [&] { return rows.rowAt(rows.viewport()->height() - 1); };
    // Laid out, with the last rows out of sight.
    ASSERT_TRUE(kit::testing::runUntil([&] { return bottomInSight() >= 0 && bottomInSight() < last; }));
    QSignalSpy redrawn(sheet->closeAllRows, &QAbstractItemModel::dataChanged);
    item->Bid = 51;
    fake->ticker.tick();
    ASSERT_EQ(redrawn.size(), 1);
    const auto from = redrawn[0][0].toModelIndex(), to = redrawn[0][1].toModelIndex();
    EXPECT_EQ(std::make_tuple(from.row(), from.column(), to.row(), to.column()),
              std::make_tuple(0, 7, bottomInSight(), 8));
    EXPECT_EQ(cell(0, 7).toString(), "51.00");
    EXPECT_EQ(cell(last, 7).toString(), "51.00");  // read as it scrolls into sight
}

TEST_F(CloseAllTest, StatusRowsInSightFitTheirWrappedTextsAndNoOtherIsMeasured) {
    for (int i = 0; i < 200; ++i) openPosition(0, "1", "1001", "Q" + std::to_string(i));
    sheet->windowDidAppear();
    sheet->closeAllButtonClicked();
    answer(state::BulkCloseResult::kRejected, "P1",
           "Rejected: the market for this instrument is closed until the next trading session opens");
    const QTableView& rows = *sheet->closeAllStatusTableView;
    const int last = sheet->closeAllStatus->rowCount() - 1;
    ASSERT_TRUE(kit::testing::runUntil([&] { return rows.rowHeight(0) > rows.rowHeight(1); }));
    EXPECT_EQ(rows.rowHeight(last), rows.verticalHeader()->defaultSectionSize());
}

// Each page in both themes, as the sheet draws it.
TEST_F(CloseAllTest, Screenshots) {
    const auto shoot = [&](QDialog* dialog, QTableView* table, const QString& name) {
        dialog->resize(dialog->minimumSize());
        for (const std::int64_t theme : {0, 1}) {
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            kit::ThemeManager::applyTheme({{"Windows", {dialog}}, {"TableView", {table}}}, theme);
            dialog->layout()->activate();
            kit::testing::runFor(20);
            kit::testing::saveScreenshot(dialog, name + (theme == 0 ? "-dark" : "-light"));
        }
        QApplication::setPalette(kit::ThemeManager::palette(0));
    };
    tick(1);
    shoot(sheet.get(), sheet->closeAllTableView, "close-all-selection");
    model::OrderInfo refused = *failureRow("Close refused\nThe market for this instrument is closed until the next "
                                           "trading session opens; the position stays open until then.", open()[1].get());
    refused.orderNo = "P2";
    refused.quantity = "1";
    ClosePositionStatusWindowController* status = sheet->statusSheet();
    status->windowDidAppear({refused}, 1, [](const std::string&) { return std::string("S"); });
    status->show();
    kit::testing::runFor(20);
    EXPECT_GT(status->statusTableView->rowHeight(0), status->statusTableView->verticalHeader()->defaultSectionSize());
    shoot(status, status->statusTableView, "close-status-sheet");
    status->reject();
    tick(1);
    sheet->closeAllButtonClicked();
    answer(state::BulkCloseResult::kSettled, "P1");
    answer(state::BulkCloseResult::kRejected, "P2", "Rejected: no liquidity");
    shoot(sheet.get(), sheet->closeAllStatusTableView, "close-all-status");
}

}  // namespace
}  // namespace trading
