// The main window's commands: tab selection, the windows of the command
// table, lock, logout and the pie pane of the positions split view.
#include <algorithm>

#include <QAbstractButton>
#include <QLayout>
#include <QMessageBox>

#include "kit/plain_text.h"
#include "kit/popover_placement.h"
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
    if (const kit::WindowSpec* registered = registry_.find(window))
        if (QWidget* made = registered->make(*context_)) {
            if (made->parentWidget() != window_) made->setParent(window_, made->windowFlags());
            return made;
        }
    return new PlaceholderWindow(QString::fromStdString(title), window_);
}

void MainWindowController::present(QWidget* shown, Presentation presentation, QWidget* pressed) {
    switch (presentation) {
    case Presentation::Sheet:
        if (auto* sheet = qobject_cast<QDialog*>(shown)) {
            showCustomSheet(sheet);
            return;
        }
        break;
    case Presentation::Popover:
        // Transient: it closes when the user clicks elsewhere. Below the control, or above it.
        shown->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        if (pressed) kit::placePopover(*shown, *pressed, kit::PopoverSide::Below);
        break;
    case Presentation::Child:
    case Presentation::Floating:
        break;
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

namespace {
// How a registered window shows and lives, in the command table's terms.
Presentation presentationOf(kit::Presentation presentation) {
    switch (presentation) {
    case kit::Presentation::Sheet: return Presentation::Sheet;
    case kit::Presentation::Popover: return Presentation::Popover;
    case kit::Presentation::Window:
    case kit::Presentation::Drawer: break;
    }
    return Presentation::Child;
}

Creation creationOf(kit::Creation creation) {
    return creation == kit::Creation::Kept ? Creation::KeptAfterFirstUse : Creation::NewAtEveryPress;
}

// The command of the command table that opens the window, if any.
const MainCommand* commandOpening(const std::string& window) {
    for (const MainCommand& c : mainCommands())
        if (c.window == window) return &c;
    return nullptr;
}
}  // namespace

PressOutcome MainWindowController::commandOutcome(MainCommand& command) const {
    if (const kit::WindowSpec* registered = registry_.find(command.window)) {
        command.creation = creationOf(registered->creation);
        command.presentation = presentationOf(registered->presentation);
    }
    const state::SessionView* session = delegate_.session().view();
    QWidget* existing = keptWindow(command.window);
    PressState state;
    state.exists = existing != nullptr;
    state.visible = existing && existing->isVisible();
    state.hasWatchlistCodes = session && !session->watchlistCodes().empty();
    state.hasOpenPositions = session && !session->getOpenOrderCollection().empty();
    return pressOutcome(command, state);
}

bool MainWindowController::runCommand(const std::string& name, QWidget* pressed) {
    const MainCommand* found = mainCommand(name);
    if (!found) return false;
    MainCommand command = *found;
    const kit::WindowSpec* registered = registry_.find(command.window);
    QWidget* existing = keptWindow(command.window);
    const PressOutcome outcome = commandOutcome(command);
    if (outcome == PressOutcome::Nothing) return false;
    if (registered && registered->canOpen && !registered->canOpen(*context_, {})) return false;
    QWidget* shown = existing;
    if (outcome == PressOutcome::CreateAndShow) {
        shown = makeWindow(command.window, text(command.titleKey));
        if (command.creation == Creation::KeptAfterFirstUse)
            kept_[command.window] = shown;
        else
            shown->setAttribute(Qt::WA_DeleteOnClose);  // not referenced afterwards
    }
    if (registered && registered->open) registered->open(shown, kit::OpenRequest{"", "", 0, pressed});
    present(shown, command.presentation, pressed);
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

bool MainWindowController::openWindow(const std::string& name, const kit::OpenRequest& request) {
    const MainCommand* command = commandOpening(name);
    const kit::WindowSpec* registered = registry_.find(name);
    // A known but unbuilt window opens the placeholder; an unknown one nothing.
    if (!registered && !command) {
        platform::Log::error("openWindow: no window \"" + name + "\"");
        return false;
    }
    // A command's window opens as its command would: nothing where its press does nothing.
    if (command) {
        MainCommand press = *command;
        if (commandOutcome(press) == PressOutcome::Nothing) {
            platform::Log::info("openWindow: \"" + name + "\" not opened as its command");
            return false;
        }
    }
    if (registered && !canOpenWindow(name, request)) {
        platform::Log::error("openWindow: \"" + name + "\" refused item \"" + request.itemCode + "\" record \"" +
                             request.recordId + "\"");
        return false;
    }
    const bool kept = registered ? registered->creation == kit::Creation::Kept
                                 : command->creation == Creation::KeptAfterFirstUse;
    QWidget* shown = kept ? keptWindow(name) : nullptr;
    const bool made = shown == nullptr;
    if (made) shown = makeWindow(name, command ? text(command->titleKey) : name);
    if (registered && registered->open && !registered->open(shown, request)) {
        // It found nothing to show: a new window goes, a kept one stays hidden.
        platform::Log::error("openWindow: \"" + name + "\" has nothing for record \"" + request.recordId + "\"");
        if (auto* dialog = qobject_cast<QDialog*>(shown)) dialog->reject();
        if (made && kept) kept_[name] = shown;
        else if (made) shown->deleteLater();
        return false;
    }
    if (made && kept) kept_[name] = shown;
    else if (made) shown->setAttribute(Qt::WA_DeleteOnClose);
    const Presentation presentation = registered ? presentationOf(registered->presentation)
                                                 : command->presentation;
    present(shown, presentation, request.anchor);
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
    window_->hide();
}

void MainWindowController::showAfterUnlock() {
    window_->setEnabled(true);
    window_->show();
    window_->raise();
    for (const QPointer<QWidget>& shown : lockedWindows_)
        if (shown) shown->show();
    lockedWindows_.clear();
}

void MainWindowController::logout() {
    auto* alert = kit::plainMessageBox(QMessageBox::Warning, QString::fromStdString(delegate_.AppName()),
                                       QString::fromStdString(text("20209")), window_);
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
        // The positions join the split after the frame: their handle then.
        if (QSplitterHandle* divider = openPositionSplitView->handle(1)) divider->setEnabled(false);
    }
}

void MainWindowController::sizeWatchlistPane() {
    // Its visible columns within the split's rule, leaving the charts and the
    // positions beside it more than half of the split.
    if (QLayout* layout = window_->centralWidget()->layout()) layout->activate();
    const SplitViewRule outer = splitViewRule(mainSplitView->objectName().toStdString(), leftFrameWidth_);
    const int total = mainSplitView->width();
    // Its pages may come after the showing: the share is of the width then.
    const int shown = splitWidthAtShow_ > 0 ? splitWidthAtShow_ : total;
    const int wanted = std::min(watchlistTabView->sizeHint().width(), shown * 9 / 20);
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
