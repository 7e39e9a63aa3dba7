// The main window's commands: tab selection, the windows of the command
// table, lock, logout and the pie pane of the positions split view.
#include <algorithm>

#include <QAbstractButton>
#include <QLayout>
#include <QMessageBox>

#include "shell/app_delegate.h"
#include "shell/main_window_controller.h"
#include "shell/placeholder_window.h"
#include "platform/log.h"
#include "state/session_view.h"

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

QWidget* MainWindowController::makeWindow(const std::string& window, const std::string& title) {
    const auto child = options_.windows.find(window);
    if (child != options_.windows.end() && child->second.make)
        if (QWidget* made = child->second.make(*this)) return made;
    return new PlaceholderWindow(QString::fromStdString(title), window_);
}

void MainWindowController::prepare(const std::string& window, QWidget* shown) {
    const auto child = options_.windows.find(window);
    if (child != options_.windows.end() && child->second.beforeShowing) child->second.beforeShowing(shown);
}

void MainWindowController::present(QWidget* shown, const MainCommand& command, QWidget* pressed) {
    switch (command.presentation) {
    case Presentation::Sheet:
        if (auto* sheet = qobject_cast<QDialog*>(shown)) {
            showCustomSheet(sheet);
            return;
        }
        break;
    case Presentation::Popover:
        // Transient: it closes when the user clicks elsewhere. Below the control.
        shown->setWindowFlags(Qt::Popup);
        if (pressed) shown->move(pressed->mapToGlobal(QPoint(0, pressed->height())));
        break;
    case Presentation::Child:
    case Presentation::Floating:
        break;
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

bool MainWindowController::runCommand(const std::string& name, QWidget* pressed) {
    const MainCommand* command = mainCommand(name);
    if (!command) return false;
    const state::SessionView* session = delegate_.session().view();
    QWidget* existing = keptWindow(command->window);
    PressState state;
    state.exists = existing != nullptr;
    state.visible = existing && existing->isVisible();
    state.hasWatchlistCodes = session && !session->watchlistCodes().empty();
    state.hasOpenPositions = session && !session->getOpenOrderCollection().empty();
    QWidget* shown = nullptr;
    switch (pressOutcome(*command, state)) {
    case PressOutcome::Nothing:
        return false;
    case PressOutcome::ShowKept:
        shown = existing;
        break;
    case PressOutcome::CreateAndShow:
        shown = makeWindow(command->window, text(command->titleKey));
        if (command->creation == Creation::KeptAfterFirstUse)
            kept_[command->window] = shown;
        else
            shown->setAttribute(Qt::WA_DeleteOnClose);  // not referenced afterwards
        break;
    }
    prepare(command->window, shown);
    present(shown, *command, pressed);
    return true;
}

QWidget* MainWindowController::keptWindow(const std::string& windowName) const {
    const auto it = kept_.find(windowName);
    return it == kept_.end() ? nullptr : it->second.data();
}

QAction* MainWindowController::toolbarAction(const std::string& command) const {
    const auto it = commandActions_.find(command);
    return it == commandActions_.end() ? nullptr : it->second;
}

namespace {
// The command of the command table that opens the window, if any.
const MainCommand* commandOpening(const std::string& window) {
    for (const MainCommand& c : mainCommands())
        if (c.window == window) return &c;
    return nullptr;
}
}  // namespace

bool MainWindowController::openWindow(const std::string& name, const kit::OpenRequest& request) {
    const MainCommand* command = commandOpening(name);
    const auto child = options_.windows.find(name);
    const bool built = child != options_.windows.end() && child->second.make;
    // A known but unbuilt window opens the placeholder; an unknown one nothing.
    if (!built && !command) {
        platform::Log::error("openWindow: no window \"" + name + "\"");
        return false;
    }
    if (!canOpenWindow(name, request) && built) {
        platform::Log::error("openWindow: \"" + name + "\" refused item \"" + request.itemCode + "\"");
        return false;
    }
    QPointer<QWidget>& shown = kept_[name];
    if (!shown) shown = makeWindow(name, command ? text(command->titleKey) : name);
    if (!request.itemCode.empty() && built && child->second.beforeShowingItem)
        child->second.beforeShowingItem(shown, request.itemCode);
    else
        prepare(name, shown);
    if (command) {
        present(shown, *command, request.anchor);
    } else {
        shown->show();
        shown->raise();
        shown->activateWindow();
    }
    return true;
}

bool MainWindowController::canOpenWindow(const std::string& name, const kit::OpenRequest& request) const {
    if (!options_.windows.count(name)) return false;
    if (request.itemCode.empty()) return true;
    // An instrument must be in the session's list.
    const state::SessionView* session = delegate_.session().view();
    return session && session->instrument(request.itemCode) != nullptr;
}

void MainWindowController::lockConsole() { delegate_.lockAppMenuItemClicked(); }

void MainWindowController::logout() {
    auto* alert = new QMessageBox(QMessageBox::Warning, QString::fromStdString(delegate_.AppName()),
                                  QString::fromStdString(text("20209")), QMessageBox::NoButton, window_);
    alert->setObjectName("logoutAlert");
    alert->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* leave = alert->addButton(QString::fromStdString(text("0038")), QMessageBox::AcceptRole);
    alert->addButton(QString::fromStdString(text("0060")), QMessageBox::RejectRole);
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
        openPositionSplitView->handle(1)->setEnabled(false);
    }
}

void MainWindowController::sizeWatchlistPane() {
    // Its visible columns within the split's rule, leaving the charts and the
    // positions beside it more than half of the split.
    if (QLayout* layout = window_->centralWidget()->layout()) layout->activate();
    const SplitViewRule outer = splitViewRule(mainSplitView->objectName().toStdString(), leftFrameWidth_);
    const int total = mainSplitView->width();
    const int wanted = std::min(watchlistTabView->sizeHint().width(), total * 9 / 20);
    const int width = std::clamp(wanted, static_cast<int>(outer.minimum), static_cast<int>(outer.maximum));
    mainSplitView->setSizes({width, std::max(1, total - width)});
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
