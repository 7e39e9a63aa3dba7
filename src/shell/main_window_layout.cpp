// The main window's controls: toolbar, menus, the "1000" split between the
// watchlist and the rest, the chart panes above the main tab view, the "1001"
// split of the positions tab and the account strip at the foot.
#include <QHBoxLayout>
#include <QMenuBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "charts/chart_view_controller.h"
#include "kit/controls/custom_drag_view.h"
#include "kit/plain_text.h"
#include "model/language_string.h"
#include "news/news_table_controller.h"
#include "shell/app_delegate.h"
#include "shell/main_window_controller.h"
#include "state/session_view.h"
#include "views/cancelled_order_table_controller.h"
#include "views/executed_position_table_controller.h"
#include "views/accounts_table_controller.h"
#include "views/core/position_records.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/journal_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/settled_position_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace shell {

namespace {

// Tab identifiers of the main tab view (language keys of their labels), in order.
constexpr std::array<const char*, 8> kMainTabs = {"21001", "21002", "21003", "21004",
                                                  "21005", "21006", "21007", "21008"};
constexpr const char* kWatchlistTab = "21009";
constexpr const char* kNewsTab = "21007";
constexpr const char* kAdvancedWatchlistTab = "0342";
constexpr const char* kJournalTab = "21006";
constexpr const char* kAccountsTab = "21008";

// An empty frame standing in for a view that lands later, with a muted
// caption (the text of `captionKey`) so that it does not look broken.
QFrame* paneFrame(QWidget* parent, const QString& name, const char* captionKey) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* caption = kit::plainLabel(frame);
    caption->setObjectName("paneCaption");
    caption->setProperty("key", captionKey);
    caption->setAlignment(Qt::AlignCenter);
    caption->setEnabled(false);
    (new QVBoxLayout(frame))->addWidget(caption);
    return frame;
}

// The shown size of the strip's status images (drawn at twice that).
constexpr int kStatusImageSize = 16;

QLabel* stripLabel(QWidget* parent, const char* name) {
    auto* label = kit::plainLabel(parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

void MainWindowController::buildWindow() {
    window_->setObjectName("MainWindow");
    auto* central = new QWidget(window_);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 6, 6, 4);
    column->setSpacing(4);

    mainSplitView = new QSplitter(Qt::Horizontal, central);
    mainSplitView->setObjectName("1000");
    mainSplitView->setChildrenCollapsible(false);
    watchlistTabView = new QTabWidget(mainSplitView);
    watchlistTabView->setObjectName("watchlistTabView");

    auto* right = new QSplitter(Qt::Vertical, mainSplitView);
    right->setChildrenCollapsible(false);
    connect(right, &QSplitter::splitterMoved, this, [this] { chartsDividerMoved_ = true; });
    right->addWidget(buildChartPanes());
    mainTabView = new QTabWidget(right);
    mainTabView->setObjectName("mainTabView");
    // The positions tab: the pie pane beside the positions, and its toggle.
    auto* page = new QWidget(mainTabView);
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 4, 4, 4);
    auto* toggles = new QHBoxLayout;
    leftViewToggle = new QButtonGroup(page);
    for (int segment = 0; segment < 2; ++segment) {
        auto* button = new QToolButton(page);
        button->setObjectName(segment == 0 ? "collapseLeftView" : "uncollapseLeftView");
        button->setText(segment == 0 ? QStringLiteral("\u25C0") : QStringLiteral("\u25B6"));
        button->setCheckable(true);
        leftViewToggle->addButton(button, segment);
        toggles->addWidget(button);
    }
    toggles->addStretch();
    rows->addLayout(toggles);
    openPositionSplitView = new QSplitter(Qt::Horizontal, page);
    openPositionSplitView->setObjectName("1001");
    pieChartPane = paneFrame(openPositionSplitView, "pieChartPane", "0319");
    openPositionSplitView->addWidget(pieChartPane);
    rows->addWidget(openPositionSplitView, 1);
    addPage(mainTabView, page, kMainTabs[0]);
    QObject::connect(leftViewToggle, &QButtonGroup::idClicked, this,
                     [this](int index) { toggleLeftViewSelectedIndex(index); });
    right->addWidget(mainTabView);
    right->setStretchFactor(0, 2);
    right->setStretchFactor(1, 3);
    mainSplitView->addWidget(watchlistTabView);
    mainSplitView->addWidget(right);
    mainSplitView->setStretchFactor(1, 1);
    column->addWidget(mainSplitView, 1);
    column->addWidget(buildStrip());
    window_->setCentralWidget(central);

    buildToolbar();
    buildMenus();
    applySplitViewRules();
}

std::vector<std::function<void()>> MainWindowController::tableSteps() {
    const auto& login = delegate_.session().logindata();
    std::vector<std::function<void()>> steps;
    steps.push_back([this] {
        watchlist_ = new views::WatchlistTableController(*context_, watchlistTabView);
        addPage(watchlistTabView, watchlist_, kWatchlistTab);
    });
    steps.push_back([this] {
        advancedWatchlist_ = new views::AdvancedWatchlistTableController(*context_, watchlistTabView);
        addPage(watchlistTabView, advancedWatchlist_, kAdvancedWatchlistTab);
        // Shown before its pages came: the watchlist pane takes their width now.
        if (splitWidthAtShow_ > 0) sizeWatchlistPane();
    });
    // The open positions' records in a step of their own, kept for their
    // table (and the executed positions', which list the same orders).
    steps.push_back([this] {
        positionRecordsAhead_ = std::make_shared<views::PositionRecordsCache>(views::PositionRecordsCache::makeShared());
        positionRecordsAhead_->lookUp(context_->view, context_->view.getOpenOrderCollection());
    });
    steps.push_back([this, base = login.baseCurrencyAvailable()] {
        openPositions_ = new views::OpenPositionTableController(*context_, base, positionRecordsAhead_->shared());
        openPositions_->setObjectName("openPositionPane");
        openPositionSplitView->addWidget(openPositions_);
        applySplitViewRules();
        themeTables();
        if (!isLeftViewCollapsed())
            openPositionSplitView->setSizes({static_cast<int>(leftFrameWidth_), static_cast<int>(rightFrameWidth_)});
    });
    steps.push_back([this] { addPage(mainTabView, pendingOrders_ = new views::PendingOrderTableController(*context_), kMainTabs[1]); });
    steps.push_back([this, currency = login.showAccountCurrency()] {
        addPage(mainTabView, settledPositions_ = new views::SettledPositionTableController(*context_, currency),
                kMainTabs[2]);
    });
    steps.push_back([this] { addPage(mainTabView, cancelledOrders_ = new views::CancelledOrderTableController(*context_), kMainTabs[3]); });
    // Found again only where the records changed since.
    steps.push_back([this] { positionRecordsAhead_->lookUp(context_->view, context_->view.getExecutedOrderCollection()); });
    steps.push_back([this] {
        addPage(mainTabView, executedPositions_ = new views::ExecutedPositionTableController(*context_, positionRecordsAhead_->shared()), kMainTabs[4]);
        positionRecordsAhead_.reset();
    });
    steps.push_back([this] { addPage(mainTabView, journal_ = new views::JournalTableController(*context_), kJournalTab); });
    steps.push_back([this, session = &login] {
        news::NewsTableController::Settings settings;
        settings.host = options_.newsHost ? *options_.newsHost
                                          : news::NewsTableController::newsHostForLogin(session->IPAddress(), session->PortNo());
        addPage(mainTabView, news_ = new news::NewsTableController(*context_, std::move(settings), mainTabView), kNewsTab);
    });
    steps.push_back([this, currency = login.showAccountCurrency()] {
        addPage(mainTabView, accounts_ = new views::AccountsTableController(*context_, currency), kAccountsTab);
    });
    return steps;
}

void MainWindowController::addPage(QTabWidget* tabs, QWidget* page, const char* id) {
    page->setObjectName(id);
    tabs->addTab(page, QString::fromStdString(text(model::LanguageString::setLanguageKey(id))));
    themeTables();
}

QWidget* MainWindowController::buildChartPanes() {
    auto* panes = new QWidget;
    auto* grid = new QHBoxLayout(panes);
    grid->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < ChartViews.size(); ++i) {
        auto* pane = new kit::CustomDragView(panes);
        pane->setObjectName(ChartPanes::kIdentifiers[i]);
        auto* frame = new QVBoxLayout(pane);
        frame->setContentsMargins(0, 0, 0, 0);
        auto* chart = new charts::ChartViewController(delegate_.session().sharedView(),
                                                      delegate_.session().sharedCommands(), ticker_.get(), pane);
        chart->awakeFromNib();
        frame->addWidget(chart);
        // As wide as its tool bar's texts in the language: none is cut.
        pane->setMinimumHeight(120);
        ChartViews[i] = pane;
        chartViewControllers[i] = chart;
        grid->addWidget(pane);
    }
    return panes;
}

void MainWindowController::showChartPane(std::size_t index) {
    const ChartPaneSettings& pane = chartPanes_.pane(index);
    if (pane.itemDetails.empty()) return;
    chartViewControllers[index]->setValue({{"ItemDetails", QString::fromStdString(pane.itemDetails)},
                                           {"ChartIntervalType", QString::number(pane.intervalType)},
                                           {"ChartType", QString::number(pane.chartType)}},
                                          ChartPanes::kIdentifiers[index]);
}

QWidget* MainWindowController::buildStrip() {
    static constexpr std::array<const char*, 6> kLabels = {"AccountIdTextField",   "equityTextField",
                                                           "BalanceTextField",     "ProfitLossTextField",
                                                           "UsedMarginTextField",  "AvailableMarginTextField"};
    static constexpr std::array<const char*, 6> kValues = {
        "AccountIdValueTextField", "equityValueTextField",     "BalanceValueTextField",
        "ProfitLossValueTextField", "UsedMarginValueTextField", "AvailableMarginValueTextField"};
    auto* strip = new QFrame;
    strip->setObjectName("accountStrip");
    strip->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(0);  // "Label: value" 
    QFont figures = strip->font();
    figures.setStyleHint(QFont::Monospace);
    figures.setFamily("monospace");  // digits of one width: the figures do not jitter
    const int valueWidth = QFontMetrics(figures).horizontalAdvance(": -99,999,999.99");
    // The figures, the status images and the time arrive after the window
    // shows: the row has their height from the start, so the strip never grows.
    const int figuresHeight = QFontMetrics(figures).height();
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        stripLabels[i] = stripLabel(strip, kLabels[i]);
        stripValues[i] = stripLabel(strip, kValues[i]);
        stripValues[i]->setFont(figures);
        stripValues[i]->setMinimumHeight(figuresHeight);
        stripValues[i]->setMinimumWidth(i == 0 ? QFontMetrics(figures).horizontalAdvance(": 99999999") : valueWidth);
        row->addWidget(stripLabels[i]);
        row->addWidget(stripValues[i]);
        row->addSpacing(14);
    }
    row->addStretch(1);
    NetworkStatusIndicatorImage = stripLabel(strip, "NetworkStatusIndicatorImage");
    ConnectionStatusImage = stripLabel(strip, "ConnectionStatusImage");
    ConnectionStatusTextField = stripLabel(strip, "ConnectionStatusTextField");
    ServerTimeTextField = stripLabel(strip, "ServerTimeTextField");
    ServerTimeTextField->setFont(figures);
    ServerTimeTextField->setMinimumHeight(figuresHeight);
    for (QLabel* image : {NetworkStatusIndicatorImage, ConnectionStatusImage})
        image->setMinimumSize(kStatusImageSize, kStatusImageSize);
    ServerTimeTextField->setMinimumWidth(QFontMetrics(figures).horizontalAdvance("Mmm 00, 0000 00:00:00"));
    ServerTimeTextField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* status : {NetworkStatusIndicatorImage, ConnectionStatusImage, ConnectionStatusTextField}) {
        row->addWidget(status);
        row->addSpacing(4);
    }
    row->addSpacing(12);
    row->addWidget(ServerTimeTextField);
    return strip;
}

void MainWindowController::buildToolbar() {
    mainToolbar = new QToolBar(window_);
    mainToolbar->setObjectName("mainToolbar");
    mainToolbar->setMovable(false);
    mainToolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    window_->addToolBar(Qt::TopToolBarArea, mainToolbar);
    // Items that select a tab: tag (label key) and identifier (tab index).
    const std::array<std::pair<int, const char*>, 4> tabItems = {{{21001, "0"}, {21002, "1"}, {21006, "5"}, {21008, "7"}}};
    for (const auto& [tag, identifier] : tabItems) {
        QAction* item = mainToolbar->addAction(QString());
        item->setProperty("tag", tag);
        item->setProperty("identifier", identifier);
        QObject::connect(item, &QAction::triggered, this, [this, item] { MainToolbarButtonClicked(item); });
    }
    mainToolbar->addSeparator();
    const std::array<const char*, 10> commands = {
        "AddRemoveSymbolstoWatchlistClicked", "TradeTicketButtonClicked",       "ChartButtonClicked",
        "closeAllButtonClicked",             "DepositsWithdrawalsButtonClicked", "AccountStatementButtonClicked",
        "ChatButtonClicked",                 "MessagesButtonClicked",            "resourcesButtonClicked",
        "SettingsButtonClicked"};
    for (const char* name : commands) {
        const MainCommand* command = mainCommand(name);
        QAction* item = mainToolbar->addAction(QString());
        item->setProperty("tag", std::stoi(command->titleKey));
        item->setObjectName(name);
        commandActions_[name] = item;
        QObject::connect(item, &QAction::triggered, this, [this, item, name] {
            runCommand(name, mainToolbar->widgetForAction(item));
        });
    }
    mainToolbar->addSeparator();
    QAction* lock = mainToolbar->addAction(QString());
    lock->setProperty("tag", 21017);
    lock->setObjectName("lockConsole");
    QObject::connect(lock, &QAction::triggered, this, [this] { lockConsole(); });
    QAction* logoutItem = mainToolbar->addAction(QString());
    logoutItem->setProperty("tag", 38);
    logoutItem->setObjectName("logout");
    QObject::connect(logoutItem, &QAction::triggered, this, [this] { logout(); });
    commandActions_["lockConsole"] = lock;
    commandActions_["logout"] = logoutItem;
}

void MainWindowController::buildMenus() {
    QMenuBar* bar = window_->menuBar();
    if (QMenu* app = delegate_.appMenu()) bar->addMenu(app);
    // Funds: the two requests; Help: About. Titles and items carry their keys.
    const std::array<std::pair<const char*, std::vector<const char*>>, 2> menus = {
        {{"0422", {"newDepositRequest", "newWithdrawalRequest"}}, {"21019", {"aboutApplication"}}}};
    for (const auto& [key, items] : menus) {
        QMenu* menu = bar->addMenu(QString());
        menu->setObjectName("mainWindowMenu");
        menu->setProperty("key", key);
        for (const char* name : items) {
            QAction* item = menu->addAction(QString());
            item->setObjectName(name);
            item->setProperty("key", mainCommand(name)->titleKey);
            commandActions_[name] = item;
            QObject::connect(item, &QAction::triggered, this, [this, name] { runCommand(name); });
        }
    }
}

}  // namespace shell
