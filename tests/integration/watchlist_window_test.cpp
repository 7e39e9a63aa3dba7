// The watchlist against the simulator, offscreen: logged in through the
// login window, shown in the main window with live ticks, a session change,
// double clicks and the header menu. Saves screenshots.
#include <gtest/gtest.h>


#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "kit/core/preference_manager.h"
#include "kit/theme_manager.h"
#include "shell/app_delegate.h"
#include "integration/app_window_fixture.h"
#include "model/item_details.h"
#include "model/language_string.h"
#include "platform/notification_center.h"
#include "support/session_test_access.h"
#include "state/session_notifications.h"
#include "views/core/watchlist_cells.h"
#include "views/watchlist_table_controller.h"

namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;
namespace col = views::watchlist_column;

class WatchlistWindowTest : public integration::AppWindowTest {
protected:
    WatchlistWindowTest() : AppWindowTest("watchlist_window") {}
    void SetUp() override {
        AppWindowTest::SetUp();
        if (HasFatalFailure()) return;
        preferences = std::make_unique<kit::PreferenceManager>(*prefs);
        parts = recordedParts();
        // The ticket a double click opens.
        parts.mainWindow.registerWindows = [this](kit::WindowRegistry& registry) {
            kit::WindowSpec ticket;
            ticket.name = "TradeTicketWindowController";
            ticket.make = [](kit::WindowContext&) { return new QWidget(nullptr, Qt::Tool); };
            ticket.open = [this](QWidget*, const kit::OpenRequest&) {
                ++ticketsOpened;
                return true;
            };
            registry.add(ticket);
        };
    }
    void TearDown() override {
        delegate.reset();
        preferences.reset();
        AppWindowTest::TearDown();
    }
    void theme(std::int64_t t) {
        preferences->saveTheme(std::uint64_t(t));
        kit::ThemeManager::applyTheme({{"Windows", {window()}}, {"TableView", {table()->tableView()}}}, t);
    }
    shell::MainWindowController* main() { return delegate->mWindowController(); }
    QWidget* window() { return main()->window(); }
    views::WatchlistTableController* table() { return main()->watchlist(); }
    QModelIndex at(int row, const char* id) { return table()->model()->index(row, table()->columnWithIdentifier(id)); }
    int rowOf(const std::string& code) {
        for (int r = 0; r < table()->rowCount(); ++r)
            if (at(r, col::kCode).data().toString().toStdString() == code) return r;
        return -1;
    }
    bool anyBid(const QColor& color) {
        for (int r = 0; r < table()->rowCount(); ++r) {
            const QVariant v = at(r, col::kBid).data(Qt::BackgroundRole);
            if (v.isValid() && v.value<QBrush>().color() == color) return true;
        }
        return false;
    }
    void doubleClick(int row) {
        QTableView* view = table()->tableView();
        const QRect r = view->visualRect(at(row, col::kName));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    static std::string tr(const char* key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

    std::unique_ptr<kit::PreferenceManager> preferences;
    shell::AppDelegate::Parts parts;
    int ticketsOpened = 0;
};

TEST_F(WatchlistWindowTest, LivePricesSessionsDoubleClicksAndColumns) {
    ASSERT_TRUE(startAndLogIn(std::move(parts)));
    ASSERT_TRUE(table());
    window()->resize(1450, 330);
    QAbstractItemModelTester tester(table()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    theme(0);

    const std::vector<std::string> codes = {"GOLD", "CRUDE", "EURUSD", "USDJPY", "US500",
                                            "GER40", "FRNM", "ALPM", "HTMN"};
    state::commandsOf(*delegate->session().businessbase()).SaveItemstoWatchList(codes);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kWatchlistTable);  // as the editor does
    ASSERT_TRUE(runUntil([&] { return table()->rowCount() == int(codes.size()); }));  // in the reload's turn
    for (std::size_t r = 0; r < codes.size(); ++r)
        EXPECT_EQ(at(int(r), col::kCode).data().toString().toStdString(), codes[r]);
    EXPECT_EQ(at(rowOf("HTMN"), col::kStatus).data().toString(), "CloseOnly");

    // Live ticks: after a few seconds some bid has fallen; US500 moves to the "Closed" session.
    // The status is published once, so it goes out after US500's first tick came in: the feed
    // subscribes the status topic before any code, so that subscription reached the publisher
    // too. A bid's colour would not tell: a code's first showing is marked as a rise.
    EXPECT_EQ(sim->command("ticks 4").rfind("ok", 0), 0u);
    const std::shared_ptr<model::ItemDetails> us500 = state::viewOf(*delegate->session().businessbase()).instrument("US500");
    ASSERT_TRUE(us500);
    ASSERT_TRUE(runUntil([&] { return us500->isPriceUpdateReceived; }, 10000));
    EXPECT_EQ(sim->command("status US500 1 2").rfind("ok", 0), 0u);
    const QColor rise = kit::ThemeManager::riseColor(), fall = kit::ThemeManager::fallColor();
    // The session's text reads the instrument as drawn; its code cell turns red with the reload the status posts.
    const auto closed = [&] { return at(rowOf("US500"), col::kSession).data().toString() == "Closed"; };
    const auto marked = [&] {
        const QVariant brush = at(rowOf("US500"), col::kCode).data(Qt::BackgroundRole);
        return brush.isValid() && brush.value<QBrush>().color() == QColor(255, 0, 0);
    };
    ASSERT_TRUE(runUntil([&] { return anyBid(fall) && anyBid(rise) && closed() && marked(); }, 20000))
        << "fall " << anyBid(fall) << ", rise " << anyBid(rise) << ", US500 closed " << closed() << ", marked "
        << marked();
    EXPECT_FALSE(at(rowOf("GOLD"), col::kCode).data(Qt::BackgroundRole).isValid());
    saveScreenshot(table(), "watchlist-live-dark");

    doubleClick(rowOf("HTMN"));
    ASSERT_TRUE(table()->currentAlert());
    EXPECT_EQ(table()->currentAlert()->text().toStdString(), tr("10980"));
    EXPECT_EQ(table()->currentAlert()->informativeText().toStdString(), tr("1069"));
    saveScreenshot(table()->currentAlert(), "watchlist-not-tradable-alert");
    table()->currentAlert()->close();
    doubleClick(rowOf("EURUSD"));
    EXPECT_EQ(ticketsOpened, 1);

    theme(1);
    QSignalSpy ticked(table()->model(), &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(runUntil([&] { return ticked.count() > 0 && anyBid(fall); }, 5000));
    saveScreenshot(table(), "watchlist-live-light");

    // The header menu: the icon column's entry reads "i"; hiding keeps the others in place.
    QMenu* menu = table()->headerMenuWidget();
    ASSERT_EQ(menu->actions().size(), 15);
    EXPECT_EQ(menu->actions()[0]->text(), "i");
    EXPECT_EQ(menu->actions()[2]->text().toStdString(), tr("0021"));
    menu->actions()[2]->trigger();
    EXPECT_TRUE(table()->tableView()->isColumnHidden(2));
    saveScreenshot(table(), "watchlist-hidden-column-light");
    theme(0);
    saveScreenshot(table(), "watchlist-hidden-column-dark");
    menu->actions()[2]->trigger();
    EXPECT_FALSE(table()->tableView()->isColumnHidden(2));
}

}  // namespace
