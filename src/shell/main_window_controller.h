#pragma once
// The main trading window after login: toolbar, tab views, chart panes, the
// positions split view with its pie pane, the account strip refreshed every
// second, the server time and network status, and the commands that open the
// other subsystems' windows. It hosts their sheets and opens their windows.
// Main thread.
#include <QActionGroup>
#include <QButtonGroup>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "kit/figure_label.h"
#include "kit/live_ticker.h"
#include "kit/sheet_host.h"
#include "kit/core/preference_manager.h"
#include "kit/window_opener.h"
#include "shell/core/chart_panes.h"
#include "shell/core/main_commands.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "model/account_details.h"
#include "platform/notification_center.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "views/main_window_pages.h"

namespace kit {
class CustomDragView;
}
namespace charts {
class ChartViewController;
class PieChartViewController;
}

namespace shell {

class AppDelegate;

class MainWindowController : public QObject, public kit::SheetHost, public kit::WindowOpener {
    Q_OBJECT
public:
    struct Options {
        std::chrono::milliseconds refreshInterval{1000};
        // Windows registered before the window folders' own (a name taken here wins).
        std::function<void(kit::WindowRegistry&)> registerWindows;
        // The news panel's "host" or "host:port"; none: the shipped "NewsServiceHost".
        std::optional<std::string> newsHost;
    };

    MainWindowController(AppDelegate& delegate, Options options);
    explicit MainWindowController(AppDelegate& delegate) : MainWindowController(delegate, Options{}) {}
    ~MainWindowController() override;

    QMainWindow* window() { return window_; }
    // Calls `show` (which shows the window) in the slice after the one that
    // makes the window's backing store and writes it whole: the first paint
    // then lands in memory already there.
    void showWhenReady(std::function<void()> show);

    // --- SheetHost ---------------------------------------------------------------
    // Window-modal on the main window, opened without blocking; ordered out when it ends.
    void showCustomSheet(QDialog* sheet) override;
    bool isSheetAttached() const override;
    // The page of a tab by the language key of its label, made at its first
    // ask: the tabs a trader sees at login in slices after the frame, the
    // others when first selected.
    QWidget* page(const std::string& id);
    views::MainWindowPages& pages() { return *pages_; }
    views::WatchlistTableController* watchlist() const { return pages_->watchlist(); }
    views::OpenPositionTableController* openPositions() const { return pages_->openPositions(); }
    views::PendingOrderTableController* pendingOrders() const { return pages_->pendingOrders(); }
    views::SettledPositionTableController* settledPositions() const { return pages_->settledPositions(); }
    views::CancelledOrderTableController* cancelledOrders() const { return pages_->cancelledOrders(); }
    views::ExecutedPositionTableController* executedPositions() const { return pages_->executedPositions(); }
    views::AdvancedWatchlistTableController* advancedWatchlist() const { return pages_->advancedWatchlist(); }
    views::AccountsTableController* accounts() const { return pages_->accounts(); }
    views::JournalTableController* journal() const { return pages_->journal(); }
    // The charts' controls, the first tabs, the charts' symbols and the pie pane come in main-thread
    // slices after the frame; true once the last is in.
    bool built() const { return buildSteps_.empty(); }

    // --- WindowOpener ------------------------------------------------------------
    bool openWindow(const std::string& name, const kit::OpenRequest& request) override;
    bool canOpenWindow(const std::string& name, const kit::OpenRequest& request = {}) const override;
    // The account of that id in the strip; nothing for an unknown one.
    void setAccount(std::int32_t accountId) override;

    // --- Set-up and the one-second tick ----------------------------------------------
    void setFullScreen();
    void applyTheme();
    void updateLanguageStrings();
    void getAccountDetails();
    // One slice of the login's ticker: the recomputation, the strip, then the tables.
    void RefreshValues();
    kit::LiveTicker& ticker() { return *ticker_; }
    // What every window of this login is made with.
    kit::WindowContext& context() { return *context_; }
    const kit::WindowRegistry& registry() const { return registry_; }
    void loadAccountDetails();
    // The pie panel fills the first pane of the positions split.
    void loadPieChart();
    // The height split between the chart panes and the main tab view.
    void shareChartsAndTabs();
    // Server time and network status from "NetworkSpeedNotification".
    void changeNetworkStatusimage(const platform::Notification& notification);
    // A symbol dropped on a chart pane ("ChartSymbolDragNotification").
    void ReloadDataforChart(const platform::Notification& notification);
    const std::shared_ptr<model::AccountDetails>& account() const { return account_; }
    void setAccount(std::shared_ptr<model::AccountDetails> account);

    // --- Commands ------------------------------------------------------------------
    // Selects the tab whose index is the item's "identifier".
    void MainToolbarButtonClicked(QAction* item);
    // A command of the command table: its window opened with `pressed` as the
    // anchor of a popover. False when the press did nothing.
    bool runCommand(const std::string& command, QWidget* pressed = nullptr);
    void lockConsole();
    // The lock: the main window and every window over it (the ticket, the row
    // dialogs, the sheets) go out of sight and take no input. A dialog that
    // does not come back ends as its cancel would.
    void hideForLock();
    // The unlock: the main window comes back with the sheets and windows it
    // had; the dialogs that ended stay out until opened again.
    void showAfterUnlock();
    void logout();
    // 0 collapses the pie pane, 1 restores the recorded widths; others nothing.
    void toggleLeftViewSelectedIndex(int index);
    bool isLeftViewCollapsed() const;
    // The kept window of a window controller, if it was opened.
    QWidget* keptWindow(const std::string& windowName) const;
    QAction* toolbarAction(const std::string& command) const;

    // --- Controls (the views and tests read them) -------------------------------------
    QTabWidget* mainTabView = nullptr;
    QTabWidget* watchlistTabView = nullptr;
    QToolBar* mainToolbar = nullptr;
    QSplitter* mainSplitView = nullptr;          // "1000": watchlist and the rest
    QSplitter* openPositionSplitView = nullptr;  // "1001": pie pane and positions
    QWidget* pieChartPane = nullptr;
    charts::PieChartViewController* pieChartController = nullptr;  // in pieChartPane
    QButtonGroup* leftViewToggle = nullptr;
    std::array<kit::CustomDragView*, 4> ChartViews{};
    std::array<charts::ChartViewController*, 4> chartViewControllers{};  // one in each pane
    QLabel* NetworkStatusIndicatorImage = nullptr;
    QLabel* ConnectionStatusTextField = nullptr;
    QLabel* ConnectionStatusImage = nullptr;
    kit::FigureLabel* ServerTimeTextField = nullptr;
    std::array<QLabel*, 6> stripLabels{};  // account, equity, balance, P/L, used, available
    std::array<kit::FigureLabel*, 6> stripValues{};
    std::uint64_t refreshCount() const { return refreshCount_; }
    const ChartPanes& chartPanes() const { return chartPanes_; }

private:
    void buildWindow();
    QWidget* buildStrip();
    QWidget* buildChartPanes();
    // The chart panes' axes at the watchlist's font size of the settings.
    void fitChartPaneFonts();
    void postBuildStep();
    void readyBackingStore();
    // An empty tab whose page comes at its first selection.
    void addTab(QTabWidget* tabs, const char* id);
    QWidget* tabPage(const std::string& id) const;
    // Where a page just made shows.
    void placePage(const std::string& id, QWidget* page);
    std::int64_t theme() const;
    void themeTables();
    // A page placed after the first theming: its table, and its marks once the window is built.
    void themePage(QWidget* page);
    void buildToolbar();
    // The toolbar's labels of several words on two lines while its items on one
    // line would not fit its width (the rest would sit behind its "»").
    void fitToolbarLabels();
    void buildMenus();
    void applySplitViewRules();
    // The watchlist pane as wide as its first screen (its columns through the
    // spread) within the split's rule and a share of the split, the name
    // column giving way first; a divider the trader moved keeps its place.
    void sizeWatchlistPane();
    // The split's resizes: the pane follows until the trader moves the divider.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A window of the main window's activated: the lock keeps their stacking by it.
    void windowActivated(QWindow* activated);
    static constexpr const char* kActivatedProperty = "tcActivated";
    void SetOpenPositionSplitViewDefaultSize();
    void showChartPane(std::size_t index);
    std::string text(const std::string& key) const;
    void makeContext();
    // The registered window, parented to the main window.
    QWidget* makeWindow(const kit::WindowSpec& described);
    void present(QWidget* shown, kit::Presentation presentation, QWidget* pressed);
    void terminateOnce();
    // The strip's part of the tick.
    void refreshStrip();

    AppDelegate& delegate_;
    Options options_;
    kit::PreferenceManager preferenceManager_;
    QPointer<MainWindow> window_;
    std::unique_ptr<kit::LiveTicker> ticker_;
    kit::WindowRegistry registry_;
    std::unique_ptr<kit::WindowContext> context_;
    std::unique_ptr<views::MainWindowPages> pages_;
    QPointer<QWidget> news_;
    kit::LiveTicker::Subscription stripTick_;
    std::shared_ptr<model::AccountDetails> account_;
    ChartPanes chartPanes_;
    double leftFrameWidth_ = 0;
    double rightFrameWidth_ = 0;
    std::map<std::string, QPointer<QWidget>> kept_;
    std::map<std::string, QAction*> commandActions_;
    QPointer<QDialog> sheet_;
    std::vector<QPointer<QWidget>> lockedWindows_;  // shown again at the unlock
    std::uint64_t refreshCount_ = 0;
    std::pair<std::string, std::string> shownStatus_;  // the speed and connection images shown
    bool terminating_ = false;
    std::vector<platform::ObserverHandle> observers_;
    std::deque<std::function<void()>> buildSteps_;
    bool chartsDividerMoved_ = false;  // by the trader, before the build's last step
    int splitWidthAtShow_ = 0;  // the "1000" split's width at the first showing
    bool watchlistDividerMoved_ = false;  // the "1000" split's, by the trader
    bool toolbarLabelsBroken_ = false;  // on two lines
    std::uint64_t activations_ = 0;  // the windows' activations so far
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace shell
