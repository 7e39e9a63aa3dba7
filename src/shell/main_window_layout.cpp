// The main window's controls: toolbar, menus, the "1000" split between the
// watchlist and the rest, the chart panes above the main tab view, the "1001"
// split of the positions tab and the account strip at the foot.
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/chart_view_controller.h"
#include "kit/controls/custom_drag_view.h"
#include "kit/plain_text.h"
#include "model/language_string.h"
#include "news/main_window_page.h"
#include "shell/app_delegate.h"
#include "shell/main_window_controller.h"
#include "kit/strip_flow_layout.h"
#include "views/main_window_pages.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace shell {

namespace {

// Tabs of the main tab view after the positions' (language keys of their labels), in order.
constexpr std::array<const char*, 7> kLaterMainTabs = {
    views::page::kPendingOrders, views::page::kSettledPositions, views::page::kCancelledOrders,
    views::page::kExecutedPositions, views::page::kJournal, news::kNewsPage, views::page::kAccounts};

// An empty frame standing in for a view that lands later, with a muted
// caption (the text of `captionKey`) so that it does not look broken.
QFrame* paneFrame(QWidget* parent, const QString& name, const char* captionKey) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* caption = kit::plainLabel(frame);
    caption->setObjectName("paneCaption");
    caption->setProperty("key", kit::identifierText(captionKey));
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
    mainSplitView->installEventFilter(this);
    connect(mainSplitView, &QSplitter::splitterMoved, this, [this] { watchlistDividerMoved_ = true; });
    watchlistTabView = new QTabWidget(mainSplitView);
    watchlistTabView->setObjectName("watchlistTabView");

    auto* right = new QSplitter(Qt::Vertical, mainSplitView);
    right->setChildrenCollapsible(false);
    connect(right, &QSplitter::splitterMoved, this, [this] { chartsDividerMoved_ = true; });
    // The charts scroll sideways rather than hold the watchlist's first screen
    // narrower than it must be (large fonts on a small screen).
    auto* charts = new QScrollArea(right);
    charts->setObjectName("chartPanesScroll");
    charts->setFrameShape(QFrame::NoFrame);
    charts->setWidgetResizable(true);
    charts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    charts->setWidget(buildChartPanes());
    // Their time axes above the sideways scroll bar: never lower than the panes and the bar.
    charts->setMinimumHeight(charts->widget()->minimumSizeHint().height() + charts->horizontalScrollBar()->sizeHint().height());
    right->addWidget(charts);
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
    pieChartPane = paneFrame(openPositionSplitView, QStringLiteral("pieChartPane"), "0319");
    openPositionSplitView->addWidget(pieChartPane);
    rows->addWidget(openPositionSplitView, 1);
    page->setObjectName(views::page::kOpenPositions);
    mainTabView->addTab(page, QString());
    for (const char* id : kLaterMainTabs) addTab(mainTabView, id);
    for (const char* id : {views::page::kWatchlist, views::page::kAdvancedWatchlist}) addTab(watchlistTabView, id);
    // A tab's page comes at its first selection.
    for (QTabWidget* tabs : {mainTabView, watchlistTabView})
        connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int index) {
            if (QWidget* shown = tabs->widget(index)) this->page(shown->objectName().toStdString());
        });
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

void MainWindowController::addTab(QTabWidget* tabs, const char* id) {
    auto* holder = new QWidget(tabs);
    holder->setObjectName(id);
    (new QVBoxLayout(holder))->setContentsMargins(0, 0, 0, 0);
    tabs->addTab(holder, QString());
}

QWidget* MainWindowController::tabPage(const std::string& id) const {
    for (QTabWidget* tabs : {mainTabView, watchlistTabView})
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName().toStdString() == id) return tabs->widget(i);
    return nullptr;
}

QWidget* MainWindowController::page(const std::string& id) {
    if (id != news::kNewsPage) return pages_->page(id);
    if (!news_) {
        const auto& login = delegate_.session().logindata();
        news_ = news::makeNewsPage(*context_, options_.newsHost, login.IPAddress(), login.PortNo());
        placePage(id, news_);
    }
    return news_;
}

void MainWindowController::placePage(const std::string& id, QWidget* page) {
    if (id == views::page::kOpenPositions) {
        page->setObjectName("openPositionPane");
        openPositionSplitView->addWidget(page);
        applySplitViewRules();
        if (!isLeftViewCollapsed())
            openPositionSplitView->setSizes({static_cast<int>(leftFrameWidth_), static_cast<int>(rightFrameWidth_)});
    } else if (QWidget* holder = tabPage(id)) {
        holder->layout()->addWidget(page);
    }
    themePage(page);
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
        // Its controls come in a build step after the frame's first paint.
        auto* chart = new charts::ChartViewController(delegate_.session().sharedView(),
                                                      delegate_.session().sharedCommands(), ticker_.get(), pane);
        frame->addWidget(chart);
        // As wide as its tool bar's texts in the language: none is cut.
        pane->setMinimumHeight(120);
        ChartViews[i] = pane;
        chartViewControllers[i] = chart;
        grid->addWidget(pane);
    }
    return panes;
}

void MainWindowController::fitChartPaneFonts() {
    const auto points = preferenceManager_.getFontSizeInfoForKey(kit::PreferenceManager::kWatchlistFontSize);
    for (std::size_t i = 0; i < chartViewControllers.size(); ++i) {
        if (!chartViewControllers[i]) continue;
        chartViewControllers[i]->setAxisFontSize(points > 0 ? double(points) : 12.0);
        // Its least size now, not at its layout's next request.
        if (QLayout* own = chartViewControllers[i]->layout()) own->activate();
        ChartViews[i]->setMinimumHeight(std::max(120, ChartViews[i]->layout()->minimumSize().height()));
    }
    // Their time axes above the sideways scroll bar: never lower than the panes and the bar.
    if (auto* charts = window_->findChild<QScrollArea*>(QStringLiteral("chartPanesScroll")); charts && charts->widget())
        charts->setMinimumHeight(charts->widget()->minimumSizeHint().height() +
                                 charts->horizontalScrollBar()->sizeHint().height());
}

void MainWindowController::showChartPane(std::size_t index) {
    const ChartPaneSettings& pane = chartPanes_.pane(index);
    if (pane.itemDetails.empty()) return;
    chartViewControllers[index]->setValue({{QStringLiteral("ItemDetails"), kit::shownText(pane.itemDetails)},
                                           {QStringLiteral("ChartIntervalType"), QString::number(pane.intervalType)},
                                           {QStringLiteral("ChartType"), QString::number(pane.chartType)}},
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
    strip->setAutoFillBackground(true);  // a new figure repaints the strip, not the window under it
    // Pairs of "Label: value" and the status: they wrap into a second row on a narrow window.
    auto* flow = new kit::StripFlowLayout(strip, 14, 2);
    flow->setContentsMargins(8, 4, 8, 4);
    // A cell of the flow: its widgets side by side.
    const auto cell = [strip, flow](int spacing) {
        auto* box = new QWidget(strip);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(spacing);
        flow->addWidget(box);
        return std::pair{box, row};
    };
    QFont figures = strip->font();
    figures.setStyleHint(QFont::Monospace);
    figures.setFamily(QStringLiteral("monospace"));  // digits of one width: the figures do not jitter
    // The figures, the status images and the time arrive after the window
    // shows: the row has their height from the start, so the strip never grows;
    // a new figure or time repaints its label alone.
    const auto figureLabel = [&figures](QWidget* parent, const char* name, const char* widest) {
        auto* label = new kit::FigureLabel(kit::identifierText(widest), parent);
        label->setObjectName(name);
        label->setFont(figures);
        return label;
    };
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        auto [box, row] = cell(0);  // "Label: value"
        stripLabels[i] = stripLabel(box, kLabels[i]);
        stripValues[i] = figureLabel(box, kValues[i], i == 0 ? ": 99999999" : ": -99,999,999.99");
        row->addWidget(stripLabels[i]);
        row->addWidget(stripValues[i]);
    }
    auto [status, row] = cell(4);
    NetworkStatusIndicatorImage = stripLabel(status, "NetworkStatusIndicatorImage");
    ConnectionStatusImage = stripLabel(status, "ConnectionStatusImage");
    ConnectionStatusTextField = stripLabel(status, "ConnectionStatusTextField");
    ServerTimeTextField = figureLabel(status, "ServerTimeTextField", "Mmm 00, 0000 00:00:00");
    for (QLabel* image : {NetworkStatusIndicatorImage, ConnectionStatusImage})
        image->setMinimumSize(kStatusImageSize, kStatusImageSize);
    ServerTimeTextField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* shown : {NetworkStatusIndicatorImage, ConnectionStatusImage, ConnectionStatusTextField}) {
        shown->setAutoFillBackground(true);  // a new grade repaints the label alone, not the window under it
        row->addWidget(shown);
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
    mainToolbar->installEventFilter(this);
    window_->addToolBar(Qt::TopToolBarArea, mainToolbar);
    // Items that select a tab: tag (label key) and identifier (tab index).
    const std::array<std::pair<int, const char*>, 4> tabItems = {{{21001, "0"}, {21002, "1"}, {21006, "5"}, {21008, "7"}}};
    for (const auto& [tag, identifier] : tabItems) {
        QAction* item = mainToolbar->addAction(QString());
        item->setProperty("tag", tag);
        item->setProperty("identifier", kit::identifierText(identifier));
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
        menu->setProperty("key", kit::identifierText(key));
        for (const char* name : items) {
            QAction* item = menu->addAction(QString());
            item->setObjectName(name);
            item->setProperty("key", kit::identifierText(mainCommand(name)->titleKey));
            commandActions_[name] = item;
            QObject::connect(item, &QAction::triggered, this, [this, name] { runCommand(name); });
        }
    }
}

}  // namespace shell
