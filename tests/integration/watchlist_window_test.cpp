// The watchlist against the simulator, offscreen: logged in through the
// login window, shown in the main window with live ticks, a session change,
// double clicks and the header menu. Saves screenshots.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "app/core/preference_manager.h"
#include "app/kit/qt_main_executor.h"
#include "app/kit/theme_manager.h"
#include "app/qt_test_app.h"
#include "app/shell/app_delegate.h"
#include "integration/sim_process.h"
#include "model/language_string.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/reachability.h"
#include "platform/runtime.h"
#include "state/business_base.h"
#include "state/session_notifications.h"
#include "views/core/watchlist_cells.h"
#include "views/watchlist_table_controller.h"

namespace {

using app::testing::runUntil;
using app::testing::saveScreenshot;
namespace col = views::watchlist_column;

struct Silent : app::SoundOutput, app::SystemNotifier {
    void play(const std::string&) override {}
    void show(const std::string&, const std::string&) override {}
};

class WatchlistWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = app::QtMainExecutor::install();
        platform::ReachabilitySource::installDefaultSource(
            std::make_shared<platform::FakeReachabilitySource>(platform::kReachabilityReachable));
        sim = integration::SimProcess::start(TRADING_SIM_PATH);
        ASSERT_TRUE(sim->ready());
        prefs = std::make_unique<platform::Preferences>(path);
        preferences = std::make_unique<app::PreferenceManager>(*prefs);
        shell::AppDelegate::Parts parts;
        parts.preferences = prefs.get();
        parts.ui.sound = silent;
        parts.ui.notifier = silent;
        parts.ui.openUrl = [](const QUrl&) {};
        parts.ui.terminate = [] {};
        // The ticket a double click opens.
        parts.mainWindow.windows["TradeTicketWindowController"] = {
            [](shell::MainWindowController& w) { return new QWidget(w.window(), Qt::Tool); },
            [this](QWidget*) { ++ticketsOpened; }};
        delegate = std::make_unique<shell::AppDelegate>(std::move(parts));
        delegate->applicationDidFinishLaunching();
    }
    void TearDown() override {
        delegate.reset();
        preferences.reset();
        prefs.reset();
        platform::shutdown();
        std::filesystem::remove(path);
        platform::ReachabilitySource::installDefaultSource(nullptr);
        platform::MainExecutor::install(nullptr);
    }
    void theme(std::int64_t t) {
        preferences->saveTheme(std::uint64_t(t));
        app::ThemeManager::applyTheme({{"Windows", {window()}}, {"TableView", {table()->tableView()}}}, t);
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

    std::string path = (std::filesystem::temp_directory_path() / ("watchlist_window_" + std::to_string(::getpid()))).string();
    std::shared_ptr<app::QtMainExecutor> executor;
    std::unique_ptr<integration::SimProcess> sim;
    std::shared_ptr<Silent> silent = std::make_shared<Silent>();
    std::unique_ptr<platform::Preferences> prefs;
    std::unique_ptr<app::PreferenceManager> preferences;
    std::unique_ptr<shell::AppDelegate> delegate;
    int ticketsOpened = 0;
};

TEST_F(WatchlistWindowTest, LivePricesSessionsDoubleClicksAndColumns) {
    shell::LoginWindow* login = delegate->window();
    login->setFields({"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())});
    login->loginButton->click();
    ASSERT_TRUE(runUntil([&] { return main() != nullptr && table() != nullptr; }, 10000));
    window()->resize(1450, 330);
    QAbstractItemModelTester tester(table()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    theme(0);

    const std::vector<std::string> codes = {"GOLD", "CRUDE", "EURUSD", "USDJPY", "US500",
                                            "GER40", "FRNM", "ALPM", "HTMN"};
    delegate->session().businessbase()->SaveItemstoWatchList(codes);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kWatchlistTable);  // as the editor does
    ASSERT_EQ(table()->rowCount(), int(codes.size()));
    for (std::size_t r = 0; r < codes.size(); ++r)
        EXPECT_EQ(at(int(r), col::kCode).data().toString().toStdString(), codes[r]);
    EXPECT_EQ(at(rowOf("HTMN"), col::kStatus).data().toString(), "CloseOnly");

    // Live ticks: after a few seconds some bid has fallen; US500 moves to the "Closed" session.
    EXPECT_EQ(sim->command("ticks 4").rfind("ok", 0), 0u);
    EXPECT_EQ(sim->command("status US500 1 2").rfind("ok", 0), 0u);
    const QColor rise = app::ThemeManager::riseColor(), fall = app::ThemeManager::fallColor();
    ASSERT_TRUE(runUntil([&] { return anyBid(fall) && anyBid(rise); }, 15000));
    ASSERT_TRUE(runUntil([&] { return at(rowOf("US500"), col::kSession).data().toString() == "Closed"; }, 5000));
    EXPECT_EQ(at(rowOf("US500"), col::kCode).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
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
