#include "shell/main_window_controller.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QLayout>
#include <algorithm>
#include <cassert>
#include <QScreen>
#include <QScrollArea>
#include <QWindow>

#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/text_direction.h"
#include "kit/theme_manager.h"
#include "kit/two_line_text.h"
#include "shell/app_delegate.h"
#include "shell/core/account_strip.h"
#include "shell/core/idle_time_checker.h"
#include "shell/core/network_status.h"
#include "shell/register_windows.h"
#include "model/language_string.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"
#include "platform/resource_bundle.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "kit/table_controller_base.h"
#include "trading/register_windows.h"
#include "views/register_windows.h"
#include "charts/chart_view_controller.h"
#include "charts/pie_chart_view_controller.h"
#include "charts/register_windows.h"
#include "chat/register_windows.h"
#include "funds/register_windows.h"
#include "reports/register_windows.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

namespace {

QPixmap statusImage(const char* name) {
    const auto path = platform::ResourceBundle::pathForResource(std::string("images/") + name, "png");
    QPixmap image(path ? kit::filePath(*path) : QString());
    image.setDevicePixelRatio(2.0);  // drawn at twice the shown size
    return image;
}

}  // namespace

MainWindowController::MainWindowController(AppDelegate& delegate, Options options)
    : delegate_(delegate), options_(std::move(options)), preferenceManager_(delegate.preferences()) {
    window_ = new MainWindow([this] { terminateOnce(); }, [this] {
        if (QLayout* layout = window_->centralWidget()->layout()) layout->activate();
        // The charts' sideways bar follows the width just laid out before the
        // first paint, not from a queued call after it.
        if (auto* charts = window_->findChild<QScrollArea*>(QStringLiteral("chartPanesScroll")))
            charts->setHorizontalScrollBarPolicy(charts->horizontalScrollBarPolicy());
        splitWidthAtShow_ = mainSplitView->width();
        sizeWatchlistPane();
    });
    // The profit and conversion of the positions whose prices moved and the
    // figures of their accounts (the state's own recomputation, a bounded
    // number of positions a slice) come first; the strip, then the tables,
    // read them after.
    ticker_ = std::make_unique<kit::LiveTicker>(kit::LiveTicker::Steps{[this] {
                                                    state::SessionCommands* commands = delegate_.session().commands();
                                                    return !commands || commands->recalculateChangedAccountsStep();
                                                }},
                                                options_.refreshInterval);
    makeContext();  // the tables are made with it
    const auto& login = delegate_.session().logindata();
    pages_ = std::make_unique<views::MainWindowPages>(
        *context_, views::MainWindowPages::Options{login.baseCurrencyAvailable(), login.showAccountCurrency()},
        [this](const std::string& id, QWidget* page) { placePage(id, page); });
    // The frame now; the charts' controls and the tabs a trader sees first each in a later slice.
    buildWindow();
    setFullScreen();
    applyTheme();
    window_->setWindowTitle(kit::shownText(delegate_.AppName() + " v" +
                                                   platform::ResourceBundle::applicationVersion() + " - " +
                                                   delegate_.session().logindata().userName()));

    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.emplace_back(&center, center.addObserver(state::notifications::kNetworkSpeed,
                                                        [this](const auto& n) { changeNetworkStatusimage(n); }));
    observers_.emplace_back(&center, center.addObserver(kit::kChartSymbolDragNotification,
                                                        [this](const auto& n) { ReloadDataforChart(n); }));
    observers_.emplace_back(&center,
                            center.addObserver(kit::kThemeChangedNotification, [this](const auto&) { applyTheme(); }));
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) { windowActivated(w); });
    // After the watchlist refits its columns to the new font: the pane follows them.
    observers_.emplace_back(&center, center.addObserver(kit::kFontSizeChangedNotification, [this](const auto&) {
        fitChartPaneFonts();
        QMetaObject::invokeMethod(this, [this] { if (splitWidthAtShow_ > 0) sizeWatchlistPane(); }, Qt::QueuedConnection);
    }));

    getAccountDetails();
    stripTick_ = ticker_->subscribe([this] { refreshStrip(); });
    ticker_->start();
    // A test's own windows first: a name registered twice keeps the first.
    if (options_.registerWindows) options_.registerWindows(registry_);
    trading::registerWindows(registry_);
    views::registerWindows(registry_);
    charts::registerWindows(registry_);
    chat::registerWindows(registry_);
    reports::registerWindows(registry_);
    funds::registerWindows(registry_, *context_);
    registerWindows(registry_);

    SetOpenPositionSplitViewDefaultSize();
    // The pie pane starts collapsed: open, it pushes the positions' last
    // columns (the floating P/L) off a common screen. Its toggle opens it.
    toggleLeftViewSelectedIndex(0);
    updateLanguageStrings();
    loadAccountDetails();

    // The charts' controls before the watchlist takes its width beside them.
    buildSteps_.push_back([this] {
        for (charts::ChartViewController* chart : chartViewControllers) chart->awakeFromNib();
        fitChartPaneFonts();
    });
    buildSteps_.push_back([this] {
        pages_->watchlist();
        // Shown before its page came: the watchlist pane takes its width now.
        if (splitWidthAtShow_ > 0) sizeWatchlistPane();
    });
    buildSteps_.push_back([this] {
        pages_->openPositions();
        // Before the positions first paint: they are laid out once at their height.
        shareChartsAndTabs();
    });
    buildSteps_.push_back([this] {
        if (const state::SessionView* session = delegate_.session().view())
            chartPanes_.getChartSymbolDetails(session->watchlistCodes());
        for (std::size_t i = 0; i < ChartViews.size(); ++i) showChartPane(i);
        loadPieChart();
    });
    buildSteps_.push_back([this] {
        // Widgets made after the frame take the theme's marks too.
        applyTheme();
        // The charts' content may have changed their hint: the same sizes leave the layout as it is.
        shareChartsAndTabs();
    });
    postBuildStep();
}

void MainWindowController::shareChartsAndTabs() {
    // The charts and the tabs share the height as the first layout of the
    // whole window would have: by their hints weighted by their stretch;
    // a divider the trader already moved stays where it was put.
    auto* right = qobject_cast<QSplitter*>(mainTabView->parentWidget());
    if (!right || chartsDividerMoved_) return;
    QList<int> sizes;
    for (int i = 0; i < right->count(); ++i)
        sizes.append(right->widget(i)->sizeHint().height() * std::max(1, right->widget(i)->sizePolicy().verticalStretch()));
    right->setSizes(sizes);
}

void MainWindowController::showWhenReady(std::function<void()> show) {
    buildSteps_.push_front(std::move(show));
    buildSteps_.push_front([this] { readyBackingStore(); });
}

void MainWindowController::readyBackingStore() {
    // Asking its id makes the native window and its store, not yet shown.
    window_->winId();
    QBackingStore* store = window_->backingStore();
    if (!store) return;
    store->resize(window_->size());
    QPaintDevice* device = store->paintDevice();
    if (device && device->devType() == QInternal::Image) static_cast<QImage*>(device)->fill(0u);
}

void MainWindowController::postBuildStep() {
    platform::MainExecutor::post([this, alive = std::weak_ptr<int>(alive_)] {
        // Gone, closing or ended: the rest is never built.
        if (!alive.lock() || !window_ || terminating_ || buildSteps_.empty()) return;
        const std::function<void()> step = std::move(buildSteps_.front());
        buildSteps_.pop_front();
        step();
        if (!buildSteps_.empty()) postBuildStep();
    });
}

MainWindowController::~MainWindowController() {
    observers_.clear();
    ticker_->stop();
    delete sheet_.data();
    for (auto& [name, kept] : kept_) delete kept.data();
    // Windows made new at each press are the main window's children.
    delete window_.data();
}

void MainWindowController::loadPieChart() {
    if (pieChartController) return;
    pieChartController = new charts::PieChartViewController(*context_, pieChartPane);
    if (QWidget* caption = pieChartPane->findChild<QWidget*>(QStringLiteral("paneCaption"))) caption->hide();
    pieChartPane->layout()->setContentsMargins(0, 0, 0, 0);
    pieChartPane->layout()->addWidget(pieChartController->view());
}

void MainWindowController::makeContext() {
    AppSession& session = delegate_.session();
    std::shared_ptr<state::SessionCommands> commands = session.sharedCommands();
    std::shared_ptr<const state::SessionView> view = session.sharedView();
    assert(view && commands && session.orderManager());
    platform::Preferences& preferences = delegate_.preferences();
    context_ = std::unique_ptr<kit::WindowContext>(new kit::WindowContext{
        *view,
        *commands,
        *session.orderManager(),
        session.selectedLanguage(),
        [language = session.selectedLanguage()](const std::string& key) {
            return model::LanguageString::stringforSelectedLanguage(language, key);
        },
        [&preferences] { return preferences.integerForKey(kit::PreferenceManager::kTheme); },
        delegate_.ui(),
        *this,
        *this,
        *ticker_,
        preferenceManager_,
        view,
    });
}

std::string MainWindowController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(delegate_.session().selectedLanguage(), key);
}

void MainWindowController::setFullScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window_->setGeometry(QRect(QPoint(0, 0), screen->geometry().size()));
}

void MainWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {window_}}}, theme());
    themeTables();
}

std::int64_t MainWindowController::theme() const {
    return delegate_.preferences().integerForKey(kit::PreferenceManager::kTheme);
}

void MainWindowController::themeTables() {
    // Only the tables made so far.
    std::vector<QWidget*> views;
    for (QTabWidget* tabs : {watchlistTabView, mainTabView})
        for (QWidget* child : tabs->findChildren<QWidget*>())
            if (auto* table = dynamic_cast<kit::TableControllerBase*>(child)) views.push_back(table->tableView());
    if (news_)
        for (QTableView* table : news_->findChildren<QTableView*>()) views.push_back(table);
    kit::ThemeManager::applyTheme({{"TableView", views}}, theme());
}

void MainWindowController::themePage(QWidget* page) {
    kit::ThemeTargets targets;
    auto& tables = targets["TableView"];
    if (auto* table = dynamic_cast<kit::TableControllerBase*>(page)) tables.push_back(table->tableView());
    for (QWidget* child : page->findChildren<QWidget*>())
        if (auto* table = dynamic_cast<kit::TableControllerBase*>(child)) tables.push_back(table->tableView());
    // Made after the frame: the theme's marks too once the window is built.
    if (built()) targets["Marks"] = {page};
    kit::ThemeManager::applyTheme(targets, theme());
}

void MainWindowController::updateLanguageStrings() {
    for (QAction* item : mainToolbar->actions()) {
        const auto tag = item->property("tag").toLongLong();
        if (tag == 0 || tag == -1) continue;
        const QString label = kit::shownText(text(model::LanguageString::setLanguageKey(std::to_string(tag))));
        item->setProperty("label", label);
        item->setText(label);
        item->setIconText(label);
    }
    toolbarLabelsBroken_ = false;
    fitToolbarLabels();
    for (QTabWidget* tabs : {mainTabView, watchlistTabView})
        for (int i = 0; i < tabs->count(); ++i)
            tabs->setTabText(i, kit::shownText(text(
                                    model::LanguageString::setLanguageKey(tabs->widget(i)->objectName().toStdString()))));
    for (std::size_t i = 0; i < stripLabels.size(); ++i)
        stripLabels[i]->setText(kit::shownText(text(accountStripRows(nullptr)[i].labelKey)));
    for (QLabel* caption : window_->findChildren<QLabel*>(QStringLiteral("paneCaption")))
        caption->setText(kit::shownText(text(caption->property("key").toString().toStdString())));
    for (QMenu* menu : window_->findChildren<QMenu*>(QStringLiteral("mainWindowMenu"))) {
        menu->setTitle(kit::shownText(text(menu->property("key").toString().toStdString())));
        for (QAction* item : menu->actions())
            item->setText(kit::shownText(text(item->property("key").toString().toStdString())));
    }
}

void MainWindowController::fitToolbarLabels() {
    // The row with every label on one line: as it is, less what the broken ones save.
    int oneLine = mainToolbar->layout()->sizeHint().width();
    const QList<QAction*> items = mainToolbar->actions();
    for (QAction* item : items)
        if (QWidget* button = mainToolbar->widgetForAction(item); button && toolbarLabelsBroken_) {
            const QString label = item->property("label").toString();
            oneLine += button->fontMetrics().horizontalAdvance(label) - kit::widestLine(item->iconText(), button->fontMetrics());
        }
    // Before the first showing the toolbar has no width of its own yet: it takes the window's.
    const bool broken = oneLine > (mainToolbar->isVisible() ? mainToolbar->width() : window_->width());
    if (broken == toolbarLabelsBroken_) return;
    toolbarLabelsBroken_ = broken;
    for (QAction* item : items) {
        const QString label = item->property("label").toString();
        if (label.isEmpty()) continue;
        item->setIconText(broken ? kit::twoLineText(label) : label);  // the button's; the action keeps its text
    }
}

void MainWindowController::getAccountDetails() {
    const state::SessionView* session = delegate_.session().view();
    state::SessionCommands* commands = delegate_.session().commands();
    if (!session || !commands) return;
    const auto accounts = session->getAccountCollection();
    if (accounts.empty() || !accounts.front()) return;
    account_ = accounts.front();
    commands->setCurrentAccountSelected(account_->AccountId);
}

void MainWindowController::setAccount(std::shared_ptr<model::AccountDetails> account) {
    account_ = std::move(account);
    // Its figures now; from then on the tick's recomputation keeps every account's.
    if (state::SessionCommands* commands = delegate_.session().commands())
        commands->calcAccountDetails(account_ ? account_->AccountId : 0);
    loadAccountDetails();
}

void MainWindowController::setAccount(std::int32_t accountId) {
    const state::SessionView* session = delegate_.session().view();
    if (!session) return;
    if (auto found = session->account(std::to_string(accountId))) setAccount(std::move(found));
}

void MainWindowController::RefreshValues() { ticker_->tick(); }

void MainWindowController::refreshStrip() {
    ++refreshCount_;
    loadAccountDetails();
    IdleTimeChecker::startCheckingIdleTime(delegate_.preferences(), [this] { terminateOnce(); });
}

void MainWindowController::loadAccountDetails() {
    if (const state::SessionView* session = delegate_.session().view()) {
        // A later login holds new records: follow the shown account to its own.
        if (account_) {
            const auto current = session->account(std::to_string(account_->AccountId));
            if (current && current != account_) account_ = current;
        }
    }
    const AccountStrip rows = accountStripRows(account_.get());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        stripLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        stripValues[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const QString value = kit::labelledFigure(kit::shownText(rows[i].value));
        stripValues[i]->setFigure(value);
    }
}

void MainWindowController::changeNetworkStatusimage(const platform::Notification& notification) {
    if (const auto* time = notification.as<state::TextPayload>()) {
        const auto months = model::monthNamesOf([this](const std::string& key) { return text(key); });
        if (const auto shown = serverTimeText(time->text, months)) {
            const QString shownText = kit::shownText(*shown);
            if (ServerTimeTextField->text() != shownText) {
                // The monospace font draws Arabic letters apart: a month name in that script takes the strip's font.
                const bool arabicScript = std::any_of(shownText.begin(), shownText.end(), [](QChar c) {
                    return c.script() == QChar::Script_Arabic;
                });
                QFont font = ServerTimeTextField->font();
                if (arabicScript != (font.family() != u"monospace")) {
                    font.setFamily(arabicScript && ServerTimeTextField->parentWidget() ? ServerTimeTextField->parentWidget()->font().family() : QStringLiteral("monospace"));
                    ServerTimeTextField->setFont(font);
                }
                ServerTimeTextField->setFigure(shownText);  // a longer month name widens it
            }
        }
        else
            platform::Log::debug("changeNetworkStatusimage " + time->text);
    }
    const state::SessionView* session = delegate_.session().view();
    if (!session) return;
    const auto status = networkStatusFor(session->networkspeedStatus());
    if (!status) return;
    // Comes every second: a label is set again only when its image or text changed.
    if (shownStatus_ != std::make_pair(std::string(status->speedImage), std::string(status->connectionImage))) {
        shownStatus_ = {status->speedImage, status->connectionImage};
        NetworkStatusIndicatorImage->setPixmap(statusImage(status->speedImage));
        ConnectionStatusImage->setPixmap(statusImage(status->connectionImage));
    }
    const QString statusText = kit::shownText(text(status->textKey));
    if (ConnectionStatusTextField->text() != statusText) ConnectionStatusTextField->setText(statusText);
}

void MainWindowController::ReloadDataforChart(const platform::Notification& notification) {
    const auto* dropped = notification.as<kit::TextListPayload>();
    if (!dropped) return;
    const auto pane = chartPanes_.ReloadDataforChart(dropped->texts);
    if (!pane) return;
    // The pane keeps the type and interval its own menus chose.
    const charts::ChartViewController& chart = *chartViewControllers[*pane];
    chartPanes_.follow(*pane, chart.chartType(), chart.currentInterval());
    showChartPane(*pane);
}

void MainWindowController::showCustomSheet(QDialog* sheet) {
    if (!sheet) return;
    if (sheet->parentWidget() != window_) sheet->setParent(window_, Qt::Dialog);
    sheet->setWindowModality(Qt::WindowModal);
    // Ordered out when it ends (connected once per sheet).
    if (!sheet->property("sheetOfMainWindow").toBool()) {
        sheet->setProperty("sheetOfMainWindow", true);
        QObject::connect(sheet, &QDialog::finished, sheet, [sheet] { sheet->hide(); });
    }
    sheet_ = sheet;
    sheet->open();
}

bool MainWindowController::isSheetAttached() const { return sheet_ && sheet_->isVisible(); }

void MainWindowController::terminateOnce() {
    if (terminating_) return;
    terminating_ = true;
    delegate_.ui().terminate();
}

}  // namespace shell
