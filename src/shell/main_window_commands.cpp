// The main window's commands: tab selection, the windows of the command
// table, lock, logout and the pie pane of the positions split view.
#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QWindow>
#include <QLayout>
#include <QMessageBox>
#include <QScrollArea>
#include <QTabBar>

#include "kit/plain_text.h"
#include "kit/popover_placement.h"
#include "shell/app_delegate.h"
#include "shell/main_window_controller.h"
#include "platform/log.h"
#include "state/session_view.h"
#include "views/main_window_pages.h"
#include "views/watchlist_table_controller.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

namespace {
// Widths of the pie pane and the positions pane as the layout sets them.
constexpr int kPieWidth = 280;
constexpr int kPositionsWidth = 900;
}  // namespace

void MainWindowController::MainToolbarButtonClicked(QAction* item) {
    if (!item) return;
    if (const auto index = toolbarTabIndex(item->property("identifier").toString().toStdString(), mainTabView->count()))
        mainTabView->setCurrentIndex(*index);
}

QWidget* MainWindowController::makeWindow(const kit::WindowSpec& described) {
    QWidget* made = described.make(*context_);
    if (made && made->parentWidget() != window_) made->setParent(window_, made->windowFlags());
    return made;
}

void MainWindowController::present(QWidget* shown, kit::Presentation presentation, QWidget* pressed) {
    switch (presentation) {
    case kit::Presentation::Sheet:
        if (auto* sheet = qobject_cast<QDialog*>(shown)) {
            showCustomSheet(sheet);
            return;
        }
        break;
    case kit::Presentation::Popover:
        // Transient: it closes when the user clicks elsewhere. Below the control, or above it.
        shown->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        if (pressed) kit::placePopover(*shown, *pressed, kit::PopoverSide::Below);
        break;
    case kit::Presentation::Window:
        break;
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

bool MainWindowController::runCommand(const std::string& name, QWidget* pressed) {
    const MainCommand* command = mainCommand(name);
    if (!command) return false;
    kit::OpenRequest request;
    request.anchor = pressed;
    return openWindow(command->window, request);
}

QWidget* MainWindowController::keptWindow(const std::string& windowName) const {
    const auto it = kept_.find(windowName);
    return it == kept_.end() ? nullptr : it->second.data();
}

QAction* MainWindowController::toolbarAction(const std::string& command) const {
    const auto it = commandActions_.find(command);
    return it == commandActions_.end() ? nullptr : it->second;
}

bool MainWindowController::openWindow(const std::string& name, const kit::OpenRequest& request) {
    const kit::WindowSpec* registered = registry_.find(name);
    if (!registered) {
        platform::Log::error("openWindow: no window \"" + name + "\"");
        return false;
    }
    const bool kept = registered->creation == kit::Creation::Kept;
    QWidget* shown = kept ? keptWindow(name) : nullptr;
    if (!canOpenWindow(name, request)) {
        platform::Log::info("openWindow: \"" + name + "\" refused item \"" + request.itemCode + "\" record \"" +
                            request.recordId + "\"");
        return false;
    }
    const bool made = shown == nullptr;
    if (made) shown = makeWindow(*registered);
    if (!shown) return false;
    if (made && kept) kept_[name] = shown;
    // In sight already (kept, or About shown from the application menu): nothing.
    if (registered->notWhileVisible && shown->isVisible()) return false;
    if (registered->open && !registered->open(shown, request)) {
        // It found nothing to show: a new window goes, a kept one stays hidden.
        platform::Log::error("openWindow: \"" + name + "\" has nothing for record \"" + request.recordId + "\"");
        if (auto* dialog = qobject_cast<QDialog*>(shown)) dialog->reject();
        if (made && !kept) shown->deleteLater();
        return false;
    }
    if (made && !kept) shown->setAttribute(Qt::WA_DeleteOnClose);
    present(shown, registered->presentation, request.anchor);
    return true;
}

bool MainWindowController::canOpenWindow(const std::string& name, const kit::OpenRequest& request) const {
    const kit::WindowSpec* registered = registry_.find(name);
    if (!registered) return false;
    // An instrument must be in the session's list.
    if (!request.itemCode.empty()) {
        const state::SessionView* session = delegate_.session().view();
        if (!session || !session->instrument(request.itemCode)) return false;
    }
    return !registered->canOpen || registered->canOpen(*context_, request);
}

void MainWindowController::lockConsole() { delegate_.lockAppMenuItemClicked(); }

void MainWindowController::hideForLock() {
    // Disabled first: nothing under the main window acts until the unlock.
    window_->setEnabled(false);
    for (QWidget* shown : window_->findChildren<QWidget*>()) {
        if (!shown->isWindow() || !shown->isVisible()) continue;
        auto* dialog = qobject_cast<QDialog*>(shown);
        const bool ownSheet = shown->parentWidget() == window_ && shown->windowModality() == Qt::WindowModal;
        if (dialog && !ownSheet) {
            dialog->reject();
        } else {
            // The sheets and the windows (the statement, the chat) come back at the unlock.
            lockedWindows_.emplace_back(shown);
            shown->hide();
        }
    }
    // Back to front: the one activated last is in front.
    std::stable_sort(lockedWindows_.begin(), lockedWindows_.end(), [](const QPointer<QWidget>& a, const QPointer<QWidget>& b) {
        return a->property(kActivatedProperty).toULongLong() < b->property(kActivatedProperty).toULongLong();
    });
    window_->hide();
}

void MainWindowController::showAfterUnlock() {
    window_->setEnabled(true);
    window_->show();
    window_->raise();
    // In front of the main window, stacked as they were; the front one active.
    QWidget* front = nullptr;
    for (const QPointer<QWidget>& shown : lockedWindows_)
        if (shown) {
            shown->show();
            shown->raise();
            front = shown;
        }
    if (front) front->activateWindow();
    lockedWindows_.clear();
}

void MainWindowController::windowActivated(QWindow* activated) {
    if (!activated || !window_) return;
    for (QWidget* shown : window_->findChildren<QWidget*>())
        if (shown->isWindow() && shown->windowHandle() == activated) {
            shown->setProperty(kActivatedProperty, QVariant::fromValue(++activations_));
            return;
        }
}

void MainWindowController::logout() {
    auto* alert = kit::plainMessageBox(QMessageBox::Warning, kit::shownText(delegate_.AppName()),
                                       kit::shownText(text("20209")), window_);
    alert->setObjectName("logoutAlert");
    alert->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* leave = alert->addButton(kit::shownText(text("0038")), QMessageBox::AcceptRole);
    alert->addButton(kit::shownText(text("0060")), QMessageBox::RejectRole);
    alert->setDefaultButton(leave);
    // No logout message goes to the server: the application ends.
    QObject::connect(alert, &QMessageBox::buttonClicked, this, [this, leave](QAbstractButton* b) {
        if (b == leave) terminateOnce();
    });
    showCustomSheet(alert);
}

void MainWindowController::SetOpenPositionSplitViewDefaultSize() {
    leftFrameWidth_ = kPieWidth;
    rightFrameWidth_ = kPositionsWidth;
    applySplitViewRules();
}

void MainWindowController::applySplitViewRules() {
    const SplitViewRule outer = splitViewRule(mainSplitView->objectName().toStdString(), leftFrameWidth_);
    watchlistTabView->setMinimumWidth(static_cast<int>(outer.minimum));
    watchlistTabView->setMaximumWidth(static_cast<int>(outer.maximum));
    const SplitViewRule pie = splitViewRule(openPositionSplitView->objectName().toStdString(), leftFrameWidth_);
    if (pie.maximum > 0) pieChartPane->setFixedWidth(static_cast<int>(pie.maximum));
    if (pie.dividerHidden) {
        openPositionSplitView->setHandleWidth(0);
        // The positions join the split after the frame: their handle then.
        if (QSplitterHandle* divider = openPositionSplitView->handle(1)) divider->setEnabled(false);
    }
}

void MainWindowController::sizeWatchlistPane() {
    if (!pages_->made(views::page::kWatchlist)) return;
    views::WatchlistTableController* watchlist = pages_->watchlist();
    if (QLayout* layout = window_->centralWidget()->layout()) layout->activate();
    // The tab view's frame and margins around its page: as laid out once shown
    // (a size hint may still be the last font's, larger or smaller).
    const int chrome = watchlist->isVisible() ? watchlistTabView->width() - watchlist->width()
                                              : std::max(0, watchlistTabView->sizeHint().width() - watchlist->sizeHint().width());
    // The content measured once: the widths the pane takes and the fit below.
    const views::WatchlistTableController::FirstScreen screen = watchlist->firstScreen();
    if (!watchlistDividerMoved_) {
        const SplitViewRule outer = splitViewRule(mainSplitView->objectName().toStdString(), leftFrameWidth_);
        const int total = mainSplitView->width();
        // Its pages may come after the showing: the share is of the width then.
        const int shown = splitWidthAtShow_ > 0 ? splitWidthAtShow_ : total;
        // Up to a share of the split that leaves the charts whole the name
        // shows whole; past it the name gives way, and the pane widens only
        // for what must show whole (the charts then scroll sideways).
        // Where the first screen's least does not fit beside them, the charts
        // scroll whatever the share: it stays. The tabs are left whole, none
        // behind the tab bar's arrows, only where the texts that give way keep
        // at least half their room.
        int share = shown * 9 / 20;
        const auto leaveWhole = [&](int right, int least) {
            const int left = shown - right - mainSplitView->handleWidth();
            if (left >= least + chrome) share = std::min(share, left);
        };
        if (const auto* charts = window_->findChild<QScrollArea*>(QStringLiteral("chartPanesScroll")); charts && charts->widget())
            leaveWhole(charts->widget()->minimumSizeHint().width(), screen.least);
        leaveWhole(mainTabView->tabBar()->sizeHint().width() + 8, (screen.least + screen.whole) / 2);
        const int wanted = std::min(screen.whole, std::max(screen.least, share - chrome)) + chrome;
        const int width = std::clamp(wanted, static_cast<int>(outer.minimum), static_cast<int>(outer.maximum));
        mainSplitView->setSizes({width, std::max(1, total - width)});
    }
    watchlist->fitFirstScreen(mainSplitView->sizes().value(0) - chrome, screen);
}

bool MainWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mainToolbar && event->type() == QEvent::Resize) fitToolbarLabels();
    if (watched == mainSplitView && event->type() == QEvent::Resize && splitWidthAtShow_ > 0 && !watchlistDividerMoved_) {
        splitWidthAtShow_ = mainSplitView->width();
        sizeWatchlistPane();
    }
    return QObject::eventFilter(watched, event);
}

bool MainWindowController::isLeftViewCollapsed() const { return pieChartPane->isHidden(); }

void MainWindowController::toggleLeftViewSelectedIndex(int index) {
    if (index == 0 && !isLeftViewCollapsed()) {
        pieChartPane->hide();
    } else if (index == 1 && isLeftViewCollapsed()) {
        pieChartPane->show();
        openPositionSplitView->setSizes({static_cast<int>(leftFrameWidth_), static_cast<int>(rightFrameWidth_)});
    }
    if (QAbstractButton* segment = leftViewToggle->button(isLeftViewCollapsed() ? 0 : 1)) segment->setChecked(true);
}

}  // namespace shell
