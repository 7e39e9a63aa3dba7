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

#include "kit/live_ticker.h"
#include "kit/sheet_host.h"
#include "kit/core/preference_manager.h"
#include "kit/window_opener.h"
#include "shell/core/chart_panes.h"
#include "shell/core/main_commands.h"
#include "shell/main_window.h"
#include "model/account_details.h"
#include "platform/notification_center.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"

namespace kit {
class CustomDragView;
}
namespace charts {
class ChartViewController;
class PieChartViewController;
}
namespace views {
class WatchlistTableController;
class OpenPositionTableController;
class PositionRecordsCache;
class PendingOrderTableController;
class SettledPositionTableController;
class CancelledOrderTableController;
class ExecutedPositionTableController;
class AdvancedWatchlistTableController;
class AccountsTableController;
class JournalTableController;
}
namespace news {
class NewsTableController;
}

namespace shell {

class AppDelegate;

class MainWindowController : public QObject, public kit::SheetHost, public kit::WindowOpener {
    Q_OBJECT
public:
    struct Options {
        std::chrono::milliseconds refreshInterval{1000};
        // Windows registered before the window folders' own (a name taken here
        // wins); a command's window that nobody registered opens a placeholder.
        std::function<void(kit::WindowRegistry&)> registerWindows;
        // The news panel's "host" or "host:port"; none: the shipped "NewsServiceHost".
        std::optional<std::string> newsHost;
    };

    MainWindowController(AppDelegate& delegate, Options options);
    explicit MainWindowController(AppDelegate& delegate) : MainWindowController(delegate, Options{}) {}
    ~MainWindowController() override;

    QMainWindow* window() { return window_; }

    // --- SheetHost ---------------------------------------------------------------
    // Window-modal on the main window, opened without blocking; ordered out when it ends.
    void showCustomSheet(QDialog* sheet) override;
    bool isSheetAttached() const override;
    views::WatchlistTableController* watchlist() const { return watchlist_; }
    views::OpenPositionTableController* openPositions() const { return openPositions_; }
    views::PendingOrderTableController* pendingOrders() const { return pendingOrders_; }
    views::SettledPositionTableController* settledPositions() const { return settledPositions_; }
    views::CancelledOrderTableController* cancelledOrders() const { return cancelledOrders_; }
    views::ExecutedPositionTableController* executedPositions() const { return executedPositions_; }
    news::NewsTableController* newsPanel() const { return news_; }
    views::AdvancedWatchlistTableController* advancedWatchlist() const { return advancedWatchlist_; }
    views::AccountsTableController* accounts() const { return accounts_; }
    views::JournalTableController* journal() const { return journal_; }
    // The tables, the charts' symbols and the pie pane come in main-thread
    // slices after the frame; true once the last is in. A table's accessor
    // is null until its slice ran.
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
    // Server time and network status from "NetworkSpeedNotification".
    void changeNetworkStatusimage(const platform::Notification& notification);
    // A symbol dropped on a chart pane ("ChartSymbolDragNotification").
    void ReloadDataforChart(const platform::Notification& notification);
    const std::shared_ptr<model::AccountDetails>& account() const { return account_; }
    void setAccount(std::shared_ptr<model::AccountDetails> account);

    // --- Commands ------------------------------------------------------------------
    // Selects the tab whose index is the item's "identifier".
    void MainToolbarButtonClicked(QAction* item);
    // A command of the command table; `pressed` anchors a popover. False when
    // the press did nothing.
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
    QLabel* ServerTimeTextField = nullptr;
    std::array<QLabel*, 6> stripLabels{};  // account, equity, balance, P/L, used, available
    std::array<QLabel*, 6> stripValues{};
    std::uint64_t refreshCount() const { return refreshCount_; }
    const ChartPanes& chartPanes() const { return chartPanes_; }

private:
    void buildWindow();
    QWidget* buildStrip();
    QWidget* buildChartPanes();
    // The tables' construction, one step each, in the window's order.
    std::vector<std::function<void()>> tableSteps();
    void postBuildStep();
    void addPage(QTabWidget* tabs, QWidget* page, const char* id);
    std::int64_t theme() const;
    void themeTables();
    void buildToolbar();
    void buildMenus();
    void applySplitViewRules();
    // The watchlist as wide as its visible columns within the split's rule.
    void sizeWatchlistPane();
    void SetOpenPositionSplitViewDefaultSize();
    void showChartPane(std::size_t index);
    std::string text(const std::string& key) const;
    void makeContext();
    // The registered window, parented to the main window; else the placeholder.
    QWidget* makeWindow(const std::string& window, const std::string& title);
    void present(QWidget* shown, Presentation presentation, QWidget* pressed);
    // What a press of the command does now; `command` takes its window's registration.
    PressOutcome commandOutcome(MainCommand& command) const;
    void terminateOnce();
    // The strip's part of the tick.
    void refreshStrip();

    AppDelegate& delegate_;
    Options options_;
    kit::PreferenceManager preferenceManager_;
    views::WatchlistTableController* watchlist_ = nullptr;
    views::OpenPositionTableController* openPositions_ = nullptr;
    views::PendingOrderTableController* pendingOrders_ = nullptr;
    views::SettledPositionTableController* settledPositions_ = nullptr;
    views::CancelledOrderTableController* cancelledOrders_ = nullptr;
    views::ExecutedPositionTableController* executedPositions_ = nullptr;
    news::NewsTableController* news_ = nullptr;
    views::AdvancedWatchlistTableController* advancedWatchlist_ = nullptr;
    views::AccountsTableController* accounts_ = nullptr;
    views::JournalTableController* journal_ = nullptr;
    QPointer<MainWindow> window_;
    std::unique_ptr<kit::LiveTicker> ticker_;
    kit::WindowRegistry registry_;
    std::unique_ptr<kit::WindowContext> context_;
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
    bool terminating_ = false;
    std::vector<platform::ObserverHandle> observers_;
    std::deque<std::function<void()>> buildSteps_;
    bool chartsDividerMoved_ = false;  // by the trader, before the build's last step
    int splitWidthAtShow_ = 0;  // the "1000" split's width at the first showing
    std::shared_ptr<views::PositionRecordsCache> positionRecordsAhead_;  // until the position tables hold them
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace shell
