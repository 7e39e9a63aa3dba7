// The main window offscreen against the simulator: the account strip follows
// prices and account summaries, the network status, the commands' windows and
// sheets, logout, the pie pane, the idle quit. Saves screenshots in both themes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBackingStore>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <array>
#include <map>
#include <numeric>
#include <tuple>

#include "charts/chart_view_controller.h"
#include "charts/chart_window_controller.h"
#include "chat/register_windows.h"
#include "kit/controls/custom_drag_view.h"
#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/table_controller_base.h"
#include "kit/theme_manager.h"
#include "shell/app_delegate.h"
#include "shell/idle_sources.h"
#include "shell/idle_timeout_window.h"
#include "integration/app_window_fixture.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "platform/idle_time.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/session_notifications.h"
#include "news/main_window_page.h"
#include "news/news_table_controller.h"
#include "views/accounts_table_controller.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/cancelled_order_table_controller.h"
#include "views/core/position_cells.h"
#include "views/core/watchlist_cells.h"
#include "views/executed_position_table_controller.h"
#include "views/journal_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/main_window_pages.h"
#include "views/other_windows.h"
#include "views/register_windows.h"
#include "views/settled_position_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;

class MainWindowTest : public integration::AppWindowTest {
protected:
    MainWindowTest() : AppWindowTest("main_window") {}
    void SetUp() override {
        AppWindowTest::SetUp();
        if (HasFatalFailure()) return;
        AppDelegate::Parts parts = recordedParts();
        parts.mainWindow.refreshInterval = std::chrono::milliseconds(20);
        // Windows of a folder of the test's own: a statement made once and
        // prepared at every press, and two probes (kept; new per press, whose
        // guard refuses the record "gone").
        parts.mainWindow.registerWindows = [this](kit::WindowRegistry& registry) {
            kit::WindowSpec statement;
            statement.name = "AccountStatementWindowController";
            statement.make = [this](kit::WindowContext&) { return statementMade = new QWidget(nullptr, Qt::Window); };
            statement.open = [this](QWidget*, const kit::OpenRequest& request) {
                ++statementPrepared;
                lastRequest = request;
                return true;
            };
            registry.add(statement);
            kit::WindowSpec sheet;
            sheet.name = "SheetProbe";
            sheet.presentation = kit::Presentation::Sheet;
            sheet.make = [](kit::WindowContext&) -> QWidget* { return new QDialog; };
            sheet.open = [this](QWidget*, const kit::OpenRequest& request) {
                lastRequest = request;
                return true;
            };
            registry.add(sheet);
            for (const kit::Creation creation : {kit::Creation::Kept, kit::Creation::NewPerPress}) {
                kit::WindowSpec probe;
                probe.name = creation == kit::Creation::Kept ? "KeptProbe" : "NewProbe";
                probe.creation = creation;
                probe.canOpen = [](kit::WindowContext&, const kit::OpenRequest& r) { return r.recordId != "gone"; };
                probe.make = [this](kit::WindowContext&) {
                    ++probesMade;
                    return new QWidget(nullptr, Qt::Window);
                };
                registry.add(probe);
            }
        };
        ASSERT_TRUE(startAndLogIn(std::move(parts)));
        main = delegate->mWindowController();
        session = delegate->session().businessbase();
    }
    void TearDown() override {
        platform::IdleTime::setSource(nullptr);
        QApplication::setPalette(kit::ThemeManager::palette(0));
        AppWindowTest::TearDown();
    }
    std::string strip(std::size_t row) const { return main->stripValues[row]->text().toStdString(); }
    // Waits for the next tick of the refresh timer.
    bool nextTick() {
        const auto seen = main->refreshCount();
        return runUntil([&] { return main->refreshCount() > seen + 1; });
    }
    void screenshots(const QString& name) {
        main->window()->resize(1500, 860);
        kit::testing::runFor(50);
        saveScreenshot(main->window(), name + "_dark");
        prefs->set("Theme", std::int64_t{1});
        platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
        kit::testing::runFor(50);
        saveScreenshot(main->window(), name + "_light");
    }
    static std::string tr(const char* key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

    MainWindowController* main = nullptr;
    std::shared_ptr<state::BusinessBase> session;
    QWidget* statementMade = nullptr;
    int statementPrepared = 0;
    kit::OpenRequest lastRequest;
    int probesMade = 0;
};

TEST_F(MainWindowTest, StripFollowsTicksAndSummariesAndTheStatusShowsServerTime) {
    EXPECT_EQ(main->window()->windowTitle().toStdString(), std::string(TC_APP_NAME) + " v" TC_APP_VERSION " - trader");
    ASSERT_TRUE(main->account());
    EXPECT_EQ(state::viewOf(*session).currentAccountSelected(), main->account()->AccountId);
    EXPECT_EQ(strip(0), ": " + std::to_string(main->account()->AccountId));
    EXPECT_EQ(main->stripLabels[1]->text().toStdString(), tr("0222"));
    ASSERT_TRUE(nextTick());

    // Prices of the account's positions move: the floating P/L and equity follow.
    const std::string pl = strip(3), equity = strip(1);
    ASSERT_TRUE(runUntil([&] { return !state::viewOf(*session).getOpenOrderCollection().empty(); }, 10000));
    std::vector<std::string> codes;
    for (const auto& p : state::viewOf(*session).getOpenOrderCollection())
        if (model::TextValue::intValue(p->AccountNumber) == main->account()->AccountId) codes.push_back(p->ItemCode);
    ASSERT_FALSE(codes.empty());
    ASSERT_TRUE(runUntil(
        [&] {
            for (const auto& code : codes) sim->command("tick " + code);
            return strip(3) != pl && strip(1) != equity;
        },
        10000));

    // An account summary from the server: its figures reach the strip.
    main->account()->UsedMargin = -1;  // a value the summary replaces
    ASSERT_TRUE(runUntil([&] { return strip(4) == ": -1.00"; }));
    ASSERT_EQ(sim->command("summary " + std::to_string(main->account()->AccountId)).rfind("ok", 0), 0u);
    ASSERT_TRUE(runUntil([&] { return strip(4) != ": -1.00"; }, 10000));
    EXPECT_GE(main->account()->UsedMargin, 0);

    // The pings bring the server time and a grade.
    ASSERT_TRUE(runUntil([&] { return !main->ServerTimeTextField->text().isEmpty(); }, 10000));
    EXPECT_FALSE(main->NetworkStatusIndicatorImage->pixmap().isNull());
    EXPECT_EQ(main->ConnectionStatusTextField->text().toStdString(), tr("0051"));
    // The strip is as tall without its figures, images and time as with them
    // (the ticks and the pings below bring them back).
    const QWidget* stripFrame = main->window()->findChild<QFrame*>("accountStrip");
    const int filledHeight = stripFrame->sizeHint().height();
    for (QLabel* value : main->stripValues) value->clear();
    for (QLabel* status : std::initializer_list<QLabel*>{main->ServerTimeTextField, main->NetworkStatusIndicatorImage, main->ConnectionStatusImage})
        status->clear();
    EXPECT_EQ(stripFrame->sizeHint().height(), filledHeight);
    // Grade 3: the poor and offline images and "1007"; a grade outside 0 to 3 changes nothing.
    state::SessionTestAccess::setNetworkSpeed(*session, 3);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kNetworkSpeed,
                                                       std::make_shared<state::TextPayload>("20240105143000"));
    EXPECT_EQ(main->ServerTimeTextField->text(), "Jan 05, 2024 14:30:00");
    EXPECT_EQ(main->ConnectionStatusTextField->text().toStdString(), tr("1007"));
    const QImage offline = main->ConnectionStatusImage->pixmap().toImage();
    state::SessionTestAccess::setNetworkSpeed(*session, 7);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kNetworkSpeed,
                                                       std::make_shared<state::TextPayload>("not a time"));
    EXPECT_EQ(main->ServerTimeTextField->text(), "Jan 05, 2024 14:30:00");
    EXPECT_EQ(main->ConnectionStatusTextField->text().toStdString(), tr("1007"));
    EXPECT_EQ(main->ConnectionStatusImage->pixmap().toImage(), offline);
    state::SessionTestAccess::setNetworkSpeed(*session, 0);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kNetworkSpeed);

    // The four panes are live: the first symbol in candles at 1, 5, 10 and 15 minutes.
    const std::string first = state::SessionTestAccess::referenceData(*session).selectedSymbols().front();
    const std::string dropped = state::SessionTestAccess::referenceData(*session).selectedSymbols().back();
    for (std::size_t i = 0; i < 4; ++i) {
        const charts::ChartController* chart = main->chartViewControllers[i]->chartController();
        ASSERT_TRUE(kit::testing::runUntil([&] { return chart->graph() != nullptr; }, 10000)) << i;
        EXPECT_EQ(chart->symbolName(), first);
        EXPECT_EQ(chart->Currentinterval(), static_cast<int>(i) + 1);
        EXPECT_EQ(chart->window().type, charts::kCandlestickChart);
    }
    // A symbol dropped on pane 3 changes that pane only, with the type chosen in its menu.
    main->chartViewControllers[2]->chartTypeSelected(0);
    platform::NotificationCenter::defaultCenter().post(
        kit::kChartSymbolDragNotification, std::make_shared<kit::TextListPayload>(std::vector<std::string>{dropped, "Chart3"}));
    EXPECT_EQ(main->chartPanes().pane(2).itemDetails, dropped);
    EXPECT_EQ(main->chartPanes().pane(2).intervalType, 3u);
    EXPECT_EQ(main->chartViewControllers[2]->chartController()->symbolName(), dropped);
    EXPECT_EQ(main->chartViewControllers[2]->chartController()->window().type, charts::kLineChart);
    EXPECT_EQ(main->chartViewControllers[1]->chartController()->symbolName(), first);
    // A pane no one knows changes nothing.
    platform::NotificationCenter::defaultCenter().post(
        kit::kChartSymbolDragNotification, std::make_shared<kit::TextListPayload>(std::vector<std::string>{first, "Chart9"}));
    EXPECT_EQ(main->chartViewControllers[2]->chartController()->symbolName(), dropped);
    ASSERT_TRUE(kit::testing::runUntil([&] { return main->chartViewControllers[2]->chartController()->graph()->plotWithIdentifier("Scatter Plot"); }, 10000));
    screenshots("main_window");
}

// Ticks that change the figures repaint their labels, never the window, its
// splitters, tab widgets or stacked widgets.
TEST_F(MainWindowTest, ATickRepaintsNoneOfTheFiguresParents) {
    main->window()->resize(1600, 900);
    views::OpenPositionTableController* positions = main->pages().openPositions();
    ASSERT_TRUE(positions && runUntil([&] { return positions->rowCount() > 0; }, 10000));
    for (auto* chart : main->chartViewControllers)
        ASSERT_TRUE(runUntil([&] { return chart->chartController()->graph() != nullptr; }, 10000));
    std::vector<QWidget*> parents = {main->window()};
    for (QWidget* w : main->window()->findChildren<QWidget*>())
        if (qobject_cast<QSplitter*>(w) || qobject_cast<QTabWidget*>(w) || qobject_cast<QStackedWidget*>(w))
            parents.push_back(w);
    const std::array<QLabel*, 2> figures = {main->stripValues[3], positions->totalValues()[1]};  // floating P/L
    struct : QObject {
        bool eventFilter(QObject* o, QEvent* e) override { return paints[o] += e->type() == QEvent::Paint, false; }
        std::map<QObject*, int> paints;
    } counter;
    const auto parentPaints = [&] { return std::accumulate(parents.begin(), parents.end(), 0, [&](int n, QWidget* p) { return n + counter.paints[p]; }); };
    for (QObject* watched : parents) watched->installEventFilter(&counter);
    for (QObject* watched : figures) watched->installEventFilter(&counter);
    // Idle first: the answers after the login have laid the window out (no parent painted for 0.5 s).
    QElapsedTimer quiet;
    int seen = -1;
    ASSERT_TRUE(runUntil([&] {
        if (const int now = parentPaints(); now != seen) seen = now, quiet.start();
        return quiet.elapsed() > 500;
    }, 20000));
    counter.paints.clear();
    const std::array<QString, 2> was = {figures[0]->text(), figures[1]->text()};
    ASSERT_TRUE(runUntil([&] {
        for (const auto& p : state::viewOf(*session).getOpenOrderCollection()) sim->command("tick " + p->ItemCode);
        return figures[0]->text() != was[0] && figures[1]->text() != was[1] && counter.paints[figures[0]] > 1 &&
               counter.paints[figures[1]] > 1;
    }, 10000));
    for (QWidget* parent : parents)
        EXPECT_EQ(counter.paints[parent], 0) << parent->metaObject()->className() << " " << parent->objectName().toStdString();
}

// The main window at each font size of the settings, in English and in two
// languages of long labels: it fits ./run's 1280x800 screen with the positions'
// totals whole, and the watchlist's first screen shows the symbol, the prices
// and the spread whole beside the charts; the name column gives way.
class WatchlistFirstScreenTest : public integration::AppWindowTest,
                                 public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    WatchlistFirstScreenTest() : AppWindowTest("watchlist_first_screen") {}
};

TEST_P(WatchlistFirstScreenTest, SymbolPricesAndSpreadShowWhole) {
    const auto& [size, language] = GetParam();
    const std::string folder = model::LanguageString::languageFolder(language);
    const std::string where = folder + " at " + std::to_string(size);
    prefs->set("LanguageKey", std::int64_t{language});
    prefs->set(kit::PreferenceManager::kWatchlistFontSize, std::int64_t{size});
    ASSERT_TRUE(startAndLogIn(recordedParts()));
    MainWindowController* main = delegate->mWindowController();
    views::WatchlistTableController* watchlist = main->pages().watchlist();
    ASSERT_TRUE(watchlist);
    const QAbstractItemView* view = watchlist->tableView();
    ASSERT_TRUE(runUntil([&] { return view->model()->rowCount() > 0; }));
    main->window()->resize(1280, 800);
    kit::testing::runFor(50);
    EXPECT_EQ(main->window()->width(), 1280) << where;  // nothing holds it wider
    namespace col = views::watchlist_column;
    for (const std::string id : {col::kCode, col::kBid, col::kAsk, col::kSpread}) {
        const int c = watchlist->columnWithIdentifier(id);
        const int x = watchlist->tableView()->columnViewportPosition(c), w = watchlist->tableView()->columnWidth(c);
        EXPECT_TRUE(x >= 0 && x + w <= view->viewport()->width() && w >= view->sizeHintForColumn(c))
            << id << " " << where << ": " << x << "+" << w << " in " << view->viewport()->width();
    }
    // The chart panes' time axes show above their sideways scroll bar.
    auto* charts = main->window()->findChild<QScrollArea*>("chartPanesScroll");
    ASSERT_TRUE(charts);
    ASSERT_TRUE(runUntil([&] {
        for (auto* chart : main->chartViewControllers)
            if (!chart->chartController()->graph() || chart->chartController()->graph()->plots().empty()) return false;
        return true;
    }, 10000));
    kit::testing::runFor(50);
    for (const QWidget* pane : main->ChartViews)
        EXPECT_LE(pane->mapTo(charts->viewport(), QPoint(0, pane->height())).y(), charts->viewport()->height()) << where;
    // Each pane's time labels whole in height ("09 12月 18:25" too), at the axis font of the setting.
    for (std::size_t i = 0; i < main->chartViewControllers.size(); ++i) {
        charts->ensureWidgetVisible(main->ChartViews[i], 0, 0);  // the panes scroll sideways
        kit::testing::runFor(10);
        charts::plot::GraphHostingView* graph = main->chartViewControllers[i]->chartController()->chartView();
        QRect seen = graph->visibleRegion().boundingRect();
        for (QScrollBar* bar = charts->horizontalScrollBar(); seen.isEmpty() && bar->value() != bar->maximum();) {
            bar->setValue(seen.isEmpty() && bar->value() == bar->minimum() ? bar->maximum() : bar->minimum());
            kit::testing::runFor(10);
            seen = graph->visibleRegion().boundingRect();
        }
        EXPECT_EQ(graph->hostedGraph()->xAxis.labelFontSize, size) << where;
        for (const auto& [box, label] : graph->hostedGraph()->xLabels(graph->plotArea(), graph)) {
            QFont font;
            font.setPointSizeF(size);
            const QRectF ink = QFontMetricsF(font, graph).boundingRect(box, Qt::AlignCenter, label);
            // Whole in height (the panes scroll sideways).
            EXPECT_TRUE(ink.top() >= seen.top() && ink.bottom() <= seen.bottom() + 1)
                << where << " " << label.toStdString() << ": " << ink.top() << "-" << ink.bottom() << " in "
                << seen.top() << "-" << seen.bottom() << " of " << graph->height();
        }
    }
    // The spread as wide as its title or a few ticks need, not as a price.
    const int spread = watchlist->columnWithIdentifier(col::kSpread);
    const QTableView* table = watchlist->tableView();
    EXPECT_LE(table->columnWidth(spread), std::max({table->horizontalHeader()->sectionSizeHint(spread), view->sizeHintForColumn(spread),
                                                   QFontMetrics(watchlist->rowFont()).horizontalAdvance("000.00") + 12}))
        << where;
    // The texts get their room first: while the name shows "…", the spread is no wider than what it shows.
    const int name = watchlist->columnWithIdentifier(col::kName);
    if (table->columnWidth(name) < view->sizeHintForColumn(name)) {
        EXPECT_LE(table->columnWidth(spread), std::max(table->horizontalHeader()->sectionSizeHint(spread), view->sizeHintForColumn(spread)))
            << where;
    }
    // The positions tab's totals: every label, figure and the button whole in sight.
    views::OpenPositionTableController* positions = main->pages().openPositions();
    ASSERT_TRUE(positions);
    for (int i = 0; i < main->mainTabView->count(); ++i)
        if (main->mainTabView->widget(i)->isAncestorOf(positions)) main->mainTabView->setCurrentIndex(i);
    kit::testing::runFor(50);
    std::vector<QWidget*> totals(positions->totalLabels().begin(), positions->totalLabels().end());
    totals.insert(totals.end(), positions->totalValues().begin(), positions->totalValues().end());
    totals.push_back(positions->findChild<QWidget*>("closeAllButton"));
    for (const QWidget* w : totals) {
        ASSERT_TRUE(w);
        const auto* label = qobject_cast<const QLabel*>(w);
        const int advance = label ? label->fontMetrics().horizontalAdvance(label->text()) : 0;
        EXPECT_TRUE(w->visibleRegion().boundingRect() == w->rect() && w->contentsRect().width() >= advance)
            << where << ": " << w->objectName().toStdString() << " " << (label ? label->text().toStdString() : "");
    }
    saveScreenshot(main->window(), QString("main_window-font%1-%2-dark").arg(size).arg(QString::fromStdString(folder)));
    // At 1600x1000: every tab whole, none behind the tab bar's arrows; the panes'
    // price labels a label's height apart, none over another.
    main->window()->resize(1600, 1000);
    kit::testing::runFor(50);
    // (At Small and Medium; at larger fonts the watchlist's texts keep their room and the tabs take their arrows.)
    const QTabBar* tabs = main->mainTabView->tabBar();
    if (size <= 12) {
        EXPECT_LE(tabs->tabRect(tabs->count() - 1).right(), tabs->width()) << where;
        for (const QToolButton* arrow : tabs->findChildren<QToolButton*>()) EXPECT_FALSE(arrow->isVisible()) << where;
    }
    for (auto* chart : main->chartViewControllers) {
        charts::plot::GraphHostingView* graph = chart->chartController()->chartView();
        const auto labels = graph->hostedGraph()->yLabels(QRectF(graph->rect()), graph->plotArea(), graph);
        EXPECT_GE(labels.size(), 2u) << where;
        for (std::size_t i = 1; i < labels.size(); ++i)
            EXPECT_FALSE(labels[i].first.intersects(labels[i - 1].first))
                << where << " " << labels[i].second.toStdString() << " over " << labels[i - 1].second.toStdString();
    }
    saveScreenshot(main->window(), QString("main_window-1600-font%1-%2-dark").arg(size).arg(QString::fromStdString(folder)));
    prefs->set("Theme", std::int64_t{1});
    platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
    kit::testing::runFor(50);
    saveScreenshot(main->window(), QString("main_window-1600-font%1-%2-light").arg(size).arg(QString::fromStdString(folder)));
    prefs->set("Theme", std::int64_t{0});
    platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
    // Through a larger font and back (XL, L to S; XL to M): the pane, the name and
    // the type take the widths the smaller font had, at 1280 and at 1600.
    const std::map<int, std::vector<int>> through = {{10, {20, 16}}, {12, {20}}};
    if (!through.contains(size)) return;
    const auto fontSize = [&](int points) {
        prefs->set(kit::PreferenceManager::kWatchlistFontSize, std::int64_t{points});
        platform::NotificationCenter::defaultCenter().post(kit::kFontSizeChangedNotification);
        kit::testing::runFor(50);
    };
    const auto widths = [&] {
        return std::vector<int>{main->mainSplitView->sizes().value(0), table->columnWidth(watchlist->columnWithIdentifier(col::kName)),
                                table->columnWidth(watchlist->columnWithIdentifier(col::kTypeName))};
    };
    for (const int width : {1280, 1600}) {
        main->window()->resize(width, 800);
        kit::testing::runFor(50);
        const std::vector<int> fresh = widths();
        for (const int larger : through.at(size)) {
            fontSize(larger);
            fontSize(size);
            EXPECT_EQ(widths(), fresh) << where << " through " << larger << " at " << width;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FontSizes, WatchlistFirstScreenTest,
                         ::testing::Combine(::testing::Values(10, 12, 16, 20), ::testing::Values(0, 1, 5, 6, 9)),
                         [](const auto& info) {
                             std::string folder = model::LanguageString::languageFolder(std::get<1>(info.param));
                             std::erase(folder, '-');
                             return folder + std::to_string(std::get<0>(info.param));
                         });

// The settings' theme change reaches what has no window controller of its
// own (alerts, menus) and the lock window, both ways.
TEST_F(MainWindowTest, ThemeChangeReachesAlertsMenusAndTheLockWindow) {
    for (const std::int64_t theme : {1, 0}) {
        prefs->set("Theme", theme);
        platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
        const QColor window = kit::ThemeManager::palette(theme).color(QPalette::Window);
        QMessageBox alert;
        QMenu menu(main->window());
        for (const QWidget* shown : std::initializer_list<const QWidget*>{&alert, &menu, delegate->unLockWindow(),
                                                                          main->window()})
            EXPECT_EQ(shown->palette().color(QPalette::Window), window) << theme << " " << shown->metaObject()->className();
    }
}

TEST_F(MainWindowTest, CommandsOpenOrKeepTheirWindowsAndLogoutAsks) {
    // Toolbar item "2" selects the third tab.
    QAction item;
    item.setProperty("identifier", "2");
    main->MainToolbarButtonClicked(&item);
    EXPECT_EQ(main->mainTabView->currentIndex(), 2);
    EXPECT_EQ(main->mainToolbar->actions().front()->text().toStdString(), tr("21001"));
    EXPECT_TRUE(main->toolbarAction("closeAllButtonClicked")->isEnabled());

    // Kept windows come back as the same window; the chart window is new at each press.
    ASSERT_TRUE(main->runCommand("SettingsButtonClicked"));
    QWidget* settings = main->keptWindow("SettingsWindowController");
    ASSERT_TRUE(settings && settings->isVisible());
    EXPECT_EQ(settings->windowTitle().toStdString(), tr("10992"));
    settings->close();
    ASSERT_TRUE(main->runCommand("SettingsButtonClicked"));
    EXPECT_EQ(main->keptWindow("SettingsWindowController"), settings);
    const auto chartWindows = [&] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == "ChartWindowController") ++n;
        return n;
    };
    main->runCommand("ChartButtonClicked");
    main->runCommand("ChartButtonClicked");
    EXPECT_EQ(chartWindows(), 2);
    EXPECT_FALSE(main->keptWindow("ChartWindowController"));
    // On the first symbol in one-minute candles; MACD opens the bottom pane.
    auto* chart = qobject_cast<charts::ChartWindowController*>(QApplication::activeWindow());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!chart && w->isVisible()) chart = qobject_cast<charts::ChartWindowController*>(w);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->windowTitle().toStdString(), state::SessionTestAccess::referenceData(*session).selectedSymbols().front() + ", M1");
    EXPECT_EQ(chart->chartTypePopButton()->currentText(), "Candle Chart");
    EXPECT_TRUE(chart->bottomViewCollapsed());
    QCheckBox* macd = chart->chartAnalysisViewController()->checkBox(charts::Indicator::MACD);
    for (bool on : {true, false}) {
        macd->click();
        EXPECT_EQ(chart->bottomViewCollapsed(), !on);
        EXPECT_EQ(chart->indicatorsShown().any(), on);
    }

    main->runCommand("AccountStatementButtonClicked");
    main->runCommand("AccountStatementButtonClicked");
    EXPECT_EQ(main->keptWindow("AccountStatementWindowController"), statementMade);
    EXPECT_EQ(statementPrepared, 2);

    // The withdrawal request does nothing while its window is visible.
    ASSERT_TRUE(main->runCommand("newWithdrawalRequest"));
    EXPECT_FALSE(main->runCommand("newWithdrawalRequest"));
    main->keptWindow("WithdrawalRequestWindowController")->hide();
    EXPECT_TRUE(main->runCommand("newWithdrawalRequest"));

    // Ticket only with a watchlist; close-all (a sheet) only with positions.
    const auto symbols = state::SessionTestAccess::referenceData(*session).selectedSymbols();
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)).clear();
    EXPECT_FALSE(main->runCommand("TradeTicketButtonClicked"));
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = symbols;
    EXPECT_TRUE(main->runCommand("TradeTicketButtonClicked"));
    ASSERT_TRUE(runUntil([&] { return !state::viewOf(*session).getOpenOrderCollection().empty(); }, 10000));
    EXPECT_TRUE(main->runCommand("closeAllButtonClicked"));
    EXPECT_TRUE(main->isSheetAttached());
    delegate->menuNeedsUpdate();
    EXPECT_FALSE(delegate->lockAction()->isEnabled());
    saveScreenshot(main->keptWindow("CloseAllWindowController"), "main_window_close_all_sheet");
    qobject_cast<QDialog*>(main->keptWindow("CloseAllWindowController"))->reject();
    EXPECT_FALSE(main->isSheetAttached());

    // The resources popover sits below the pressed control.
    QWidget* pressed = main->mainToolbar->widgetForAction(main->toolbarAction("resourcesButtonClicked"));
    ASSERT_TRUE(main->runCommand("resourcesButtonClicked", pressed));
    QWidget* popover = main->keptWindow("ResourcesViewController");
    EXPECT_TRUE(popover->windowFlags() & Qt::Popup);
    const QPoint below = pressed->mapToGlobal(QPoint(0, pressed->height()));
    const QRect available = pressed->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(popover->frameGeometry()));
    if (available.contains(QRect(below, popover->size())))  // the window may reach past the test screen
        EXPECT_LE((popover->geometry().topLeft() - below).manhattanLength(), 4);  // the frame, if any
    else
        EXPECT_GE(popover->geometry().top(), below.y() - 4);  // clamped sideways, still below
    popover->hide();

    // Pie pane: collapsed at first; 1 restores the recorded width, 0 collapses.
    EXPECT_TRUE(main->isLeftViewCollapsed());
    EXPECT_TRUE(main->leftViewToggle->button(0)->isChecked());
    main->toggleLeftViewSelectedIndex(1);
    main->toggleLeftViewSelectedIndex(0);
    EXPECT_TRUE(main->isLeftViewCollapsed());
    main->toggleLeftViewSelectedIndex(1);
    EXPECT_FALSE(main->isLeftViewCollapsed());
    EXPECT_EQ(main->pieChartPane->width(), main->pieChartPane->minimumWidth());
    EXPECT_EQ(main->openPositionSplitView->handleWidth(), 0);
    EXPECT_EQ(main->watchlistTabView->minimumWidth(), 330);
    EXPECT_EQ(main->watchlistTabView->maximumWidth(), 900);

    // Logout: "0060" stays, "0038" quits without a word to the server.
    for (const bool leave : {false, true}) {
        main->logout();
        auto* alert = main->window()->findChild<QMessageBox*>("logoutAlert");
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->text().toStdString(), tr("20209"));
        EXPECT_TRUE(main->isSheetAttached());
        for (QAbstractButton* b : alert->buttons())
            if (b->text().toStdString() == tr(leave ? "0038" : "0060")) b->click();
        runUntil([&] { return !main->window()->findChild<QMessageBox*>("logoutAlert"); });
        EXPECT_EQ(recorder->quits, leave ? 1 : 0);
    }
}

TEST_F(MainWindowTest, PositionTablesFillTheFirstTwoTabs) {
    ASSERT_TRUE(main->openPositions() && main->pendingOrders());
    EXPECT_TRUE(main->mainTabView->widget(0)->isAncestorOf(main->openPositions()));
    EXPECT_TRUE(main->mainTabView->widget(1)->isAncestorOf(main->pendingOrders()));
    EXPECT_EQ(main->mainTabView->tabText(1).toStdString(), tr("21002"));
    EXPECT_EQ(main->openPositions()->rowCount(), int(state::viewOf(*session).getOpenOrderCollection().size()));
    EXPECT_EQ(main->pendingOrders()->rowCount(), int(state::viewOf(*session).getPendingOrderCollection().size()));
    // On a 1600-point screen the floating P/L shows without scrolling (the pie pane starts collapsed).
    main->window()->resize(1600, 900);
    main->window()->show();
    kit::testing::runFor(50);
    QTableView* positions = main->openPositions()->tableView();
    const int profitLoss = main->openPositions()->columnWithIdentifier(views::position_column::kProfitLoss);
    EXPECT_LE(positions->columnViewportPosition(profitLoss) + positions->columnWidth(profitLoss),
              positions->viewport()->width());
    EXPECT_TRUE(main->canOpenWindow("AccountStatementWindowController"));
    EXPECT_FALSE(main->canOpenWindow("OffsetPositionWindowController"));
}

TEST_F(MainWindowTest, OpenWindowByNameRefusesUnknownNamesAndInstruments) {
    ASSERT_FALSE(state::viewOf(*session).watchlistCodes().empty());
    const std::string known = state::viewOf(*session).watchlistCodes().front();
    struct Case {
        const char* name;
        kit::OpenRequest request;
        bool opens;
        int prepared;  // the statement's preparations after the case
    };
    const Case cases[] = {
        {"NoSuchWindowController", {}, false, 0},
        {"AccountStatementWindowController", kit::itemRequest("NOT-AN-INSTRUMENT"), false, 0},
        {"AccountStatementWindowController", kit::itemRequest(known), true, 1},
        {"AccountStatementWindowController", kit::recordRequest("42", 1), true, 2},
        {"MessagesWindowController", {}, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(main->openWindow(c.name, c.request), c.opens);
        EXPECT_EQ(main->keptWindow(c.name) != nullptr, c.opens);
        EXPECT_EQ(statementPrepared, c.prepared);
    }
    EXPECT_EQ(main->keptWindow("AccountStatementWindowController"), statementMade);
    EXPECT_EQ(lastRequest.recordId, "42");
    EXPECT_EQ(lastRequest.mode, 1);
}

// Every name the command table and the windows open by is one the folders register.
TEST_F(MainWindowTest, EveryNameOpenedIsRegistered) {
    std::vector<std::string> names(views::other_windows::kAll.begin(), views::other_windows::kAll.end());
    for (const MainCommand& command : mainCommands()) names.emplace_back(command.window);
    for (const char* name : {views::kOpenReceiptWindow, views::kExecutedReceiptWindow, views::kAdvancedDetailWindow,
                             chat::kNoticeMessageWindow, chat::kChatMessageWindow, chat::kRecentConversationWindow})
        names.emplace_back(name);
    for (const std::string& name : names) EXPECT_TRUE(main->registry().contains(name)) << name;
}

TEST_F(MainWindowTest, RegisteredWindowsAreKeptOrNewAndGuarded) {
    struct Case {
        const char* name;
        const char* record;
        bool opens;
        int made;  // probes made after the case
    };
    const Case cases[] = {
        {"KeptProbe", "1", true, 1}, {"KeptProbe", "2", true, 1},  // one window
        {"NewProbe", "1", true, 2},  {"NewProbe", "1", true, 3},   // two
        {"NewProbe", "gone", false, 3}, {"KeptProbe", "gone", false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.record);
        EXPECT_EQ(main->canOpenWindow(c.name, kit::recordRequest(c.record)), c.opens);
        EXPECT_EQ(main->openWindow(c.name, kit::recordRequest(c.record)), c.opens);
        EXPECT_EQ(probesMade, c.made);
    }
    EXPECT_TRUE(main->keptWindow("KeptProbe"));
    EXPECT_FALSE(main->keptWindow("NewProbe"));
}

TEST_F(MainWindowTest, ARegisteredSheetGetsItsRecordAndShowsOnTheMainWindow) {
    ASSERT_TRUE(main->openWindow("SheetProbe", kit::recordRequest("70001")));
    EXPECT_EQ(lastRequest.recordId, "70001");
    QWidget* sheet = main->keptWindow("SheetProbe");
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(sheet->parentWidget(), main->window());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(main->isSheetAttached());
    static_cast<QDialog*>(sheet)->reject();
}

TEST_F(MainWindowTest, ClosingTheWindowQuitsAlsoWithAChildOpen) {
    ASSERT_TRUE(main->runCommand("ChatButtonClicked"));
    main->window()->close();
    EXPECT_EQ(recorder->quits, 1);
}

TEST_F(MainWindowTest, IdleQuitRunsOnTheTickAlsoUnderAModalDialog) {
    double idle = 299;
    platform::IdleTime::setSource([&idle] { return idle; });
    prefs->set("IdleTime", std::int64_t{300});
    // A modal dialog is up: the timer keeps firing.
    QMessageBox modal(QMessageBox::Information, "modal", "modal");
    modal.setWindowModality(Qt::ApplicationModal);
    modal.open();
    ASSERT_TRUE(nextTick());
    EXPECT_EQ(recorder->quits, 0);
    idle = 305;  // a tick passed the limit unseen
    ASSERT_TRUE(runUntil([&] { return recorder->quits == 1; }));
    modal.close();

    // The sheet: Apply starts disabled; a stored 120 shows "never"; a choice is stored in seconds.
    prefs->set("IdleTime", std::int64_t{120});
    auto* sheet = new IdleTimeoutWindowController(*prefs, 0);
    main->showCustomSheet(sheet);
    EXPECT_TRUE(main->isSheetAttached());
    EXPECT_FALSE(sheet->applyButton->isEnabled());
    EXPECT_EQ(sheet->timeoutComboBox->currentText().toStdString(), tr("0228"));
    saveScreenshot(sheet, "idle_timeout_sheet_dark");
    sheet->timeoutComboBox->setCurrentIndex(3);
    emit sheet->timeoutComboBox->activated(3);
    ASSERT_TRUE(sheet->applyButton->isEnabled());
    sheet->applyButton->click();
    EXPECT_EQ(prefs->integerForKey("IdleTime"), 1800);
    EXPECT_FALSE(main->isSheetAttached());
}

TEST(LastInputFilter, InputResetsTheIdleTime) {
    auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    QObject target;
    LastInputFilter filter(nullptr, [&now] { return now; });
    now += std::chrono::seconds(42);
    EXPECT_DOUBLE_EQ(filter.secondsIdle(), 42.0);
    target.installEventFilter(&filter);
    QEvent other(QEvent::User);
    QCoreApplication::sendEvent(&target, &other);
    EXPECT_DOUBLE_EQ(filter.secondsIdle(), 42.0);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &key);
    EXPECT_DOUBLE_EQ(filter.secondsIdle(), 0.0);
}

// Logged in without waiting for the tables, which come in slices after the
// frame; then the window stays open (false) or is closed at once (true).
class MainWindowSlicesTest : public integration::AppWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    MainWindowSlicesTest() : AppWindowTest("main_window_slices") {}
    // The login's own slice and no further: one pass of the loop at a time.
    MainWindowController* frameShown() {
        delegate = std::make_unique<AppDelegate>(recordedParts());
        delegate->applicationDidFinishLaunching();
        delegate->window()->setFields({"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())});
        delegate->loginButtonClicked();
        QElapsedTimer timer;
        timer.start();
        while (!delegate->mWindowController() && timer.elapsed() < 10000) QApplication::processEvents();
        MainWindowController* main = delegate->mWindowController();
        if (!main) return nullptr;
        // Shown in a later slice than the one that makes and writes its backing store.
        EXPECT_FALSE(main->window()->isVisible());
        while (!main->window()->isVisible() && timer.elapsed() < 10000) QApplication::processEvents();
        EXPECT_TRUE(main->window()->backingStore() &&
                    main->window()->backingStore()->size() == main->window()->size());
        return main;
    }
};

TEST_P(MainWindowSlicesTest, TablesFillAfterTheFrameAndStopWithTheWindow) {
    MainWindowController* main = frameShown();
    ASSERT_TRUE(main);
    EXPECT_TRUE(main->window()->isVisible());
    EXPECT_FALSE(main->built());
    EXPECT_EQ(main->mainTabView->count(), 8);  // every tab, their pages later
    EXPECT_FALSE(main->pages().made(views::page::kOpenPositions));
    if (GetParam()) {
        main->window()->close();
        kit::testing::runFor(300);  // the steps still posted find the window closing
        EXPECT_EQ(recorder->quits, 1);
        EXPECT_FALSE(main->built());
        return;
    }
    // The trader drags the charts/tabs divider up before the last step.
    auto* split = qobject_cast<QSplitter*>(main->mainTabView->parentWidget());
    ASSERT_TRUE(split);
    QSplitterHandle* handle = split->handle(1);
    const auto drag = [&](QEvent::Type type, int y, Qt::MouseButtons buttons) {
        const QPoint local(2, y);
        QMouseEvent event(type, local, handle->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &event);
    };
    const QList<int> before = split->sizes();
    drag(QEvent::MouseButtonPress, 2, Qt::LeftButton);
    drag(QEvent::MouseMove, -30, Qt::LeftButton);
    drag(QEvent::MouseButtonRelease, -30, Qt::NoButton);
    const QList<int> moved = split->sizes();
    ASSERT_LT(moved.value(0), before.value(0));
    ASSERT_TRUE(runUntil([&] { return main->built(); }, 10000));
    EXPECT_EQ(split->sizes(), moved);
    // The tabs not yet shown have no page until their first selection.
    EXPECT_TRUE(main->pages().made(views::page::kWatchlist));
    EXPECT_FALSE(main->pages().made(views::page::kAdvancedWatchlist));
    EXPECT_FALSE(main->pages().made(views::page::kPendingOrders));
    main->mainTabView->setCurrentIndex(1);
    EXPECT_TRUE(main->pages().made(views::page::kPendingOrders));
    EXPECT_FALSE(main->pages().made(views::page::kSettledPositions));
    const std::vector<QWidget*> watchlists = {main->watchlist(), main->advancedWatchlist()};
    const std::vector<QWidget*> tabs = {main->pendingOrders(), main->settledPositions(), main->cancelledOrders(),
                                        main->executedPositions(), main->journal(), main->page(news::kNewsPage),
                                        main->accounts()};
    ASSERT_EQ(main->watchlistTabView->count(), int(watchlists.size()));
    ASSERT_EQ(main->mainTabView->count(), int(tabs.size()) + 1);
    for (std::size_t i = 0; i < watchlists.size(); ++i)
        EXPECT_TRUE(main->watchlistTabView->widget(int(i))->isAncestorOf(watchlists[i])) << i;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        EXPECT_TRUE(main->mainTabView->widget(int(i) + 1)->isAncestorOf(tabs[i])) << i;
        // Made after the build, each page's table takes the theme as it is placed.
        if (auto* table = dynamic_cast<kit::TableControllerBase*>(tabs[i])) {
            EXPECT_TRUE(table->tableView()->property("tcGridColor").isValid()) << i;
        }
    }
    for (QTabWidget* view : {main->watchlistTabView, main->mainTabView})
        for (int i = 0; i < view->count(); ++i) EXPECT_FALSE(view->tabText(i).isEmpty()) << i;
    EXPECT_TRUE(main->mainTabView->widget(0)->isAncestorOf(main->openPositions()));
    EXPECT_TRUE(main->pieChartController);
    const auto session = delegate->session().businessbase();
    EXPECT_TRUE(runUntil(
        [&] {
            const int rows = main->openPositions()->rowCount();
            return rows > 0 && rows == int(state::viewOf(*session).getOpenOrderCollection().size());
        },
        10000));
    EXPECT_EQ(main->watchlist()->rowCount(), int(state::viewOf(*session).watchlistCodes().size()));
}

INSTANTIATE_TEST_SUITE_P(OpenOrClosed, MainWindowSlicesTest, ::testing::Bool());

}  // namespace
}  // namespace shell
