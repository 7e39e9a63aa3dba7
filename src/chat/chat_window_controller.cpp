#include "chat/chat_window_controller.h"
#include "chat/register_windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "chat/chat_queue_table_view_controller.h"
#include "chat/contacts_outline_view_controller.h"
#include "chat/message_table.h"
#include "chat/queue_request_dialog.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "kit/window_opener.h"
#include "model/formatter.h"
#include "platform/log.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"

namespace chat {

namespace {

QString qs(const std::string& text) { return kit::shownText(text); }

}  // namespace

ChatWindowController::ChatWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("ChatWindowController");
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    rcToolbarItem_ = toolbar_->addAction(qs(context_.text("0309")));
    rcToolbarItem_->setObjectName("rcToolbarItem");
    connect(rcToolbarItem_, &QAction::triggered, this, [this] { RecentConversationButtonClicked(); });

    contacts_ = new ContactsOutlineViewController(context_.view, this);
    queues_ = new ChatQueueTableViewController(context_.view, qs(context_.text("0165")), this);
    messages_ = new MessageTable(qs(context_.text("90518")), dayPeriods(context_.language), this);
    messageTextView_ = new QLineEdit(this);
    messageTextView_->setObjectName("messageTextView");
    sendButton_ = new QPushButton(this);
    sendButton_->setObjectName("sendButton");

    auto* left = new QSplitter(Qt::Vertical, this);
    left->addWidget(contacts_);
    left->addWidget(queues_);
    left->setStretchFactor(0, 3);
    left->setStretchFactor(1, 1);
    auto* right = new QWidget(this);
    auto* sendRow = new QHBoxLayout;
    sendRow->setSpacing(6);
    sendRow->addWidget(messageTextView_, 1);
    sendRow->addWidget(sendButton_);
    auto* conversation = new QVBoxLayout(right);
    conversation->setContentsMargins(0, 0, 0, 0);
    conversation->setSpacing(6);
    conversation->addWidget(messages_, 1);
    conversation->addLayout(sendRow);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 480});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(toolbar_);
    layout->addWidget(split, 1);
    setMinimumSize(620, 420);
    resize(760, 520);

    contacts_->setContactsDelegate([this](const std::string& user, const std::string& display) {
        userSelectedAtIndex(user, display);
    });
    queues_->setChatqueueDelegate([this](const model::ChatQueue& queue) { ChatSupportSelectedAtIndex(queue); });
    connect(sendButton_, &QPushButton::clicked, this, [this] { SendChatButtonClicked(); });
    connect(messageTextView_, &QLineEdit::returnPressed, this, [this] { SendChatButtonClicked(); });

    // The parked first text goes out once, under the room's id and name as announced.
    observe(state::notifications::kChatRoomCreation, [this](const platform::Notification& n) {
        const auto* created = n.as<state::ChatRoomCreated>();
        if (!created) return;
        if (const auto text = context_.commands.takeParkedText(created->roomUsers))
            context_.commands.sendChatMessage(*text, created->roomId, created->roomName);
    });
    observe(state::notifications::kUpdateChatMessage, [this](const platform::Notification&) {
        reloadMessages();
        const int rows = messages_->model()->rowCount();
        if (rows > 0) messages_->scrollToBottom();
    });
    observe(state::notifications::kUserStatus,
            [this](const platform::Notification&) { contacts_->UpdateChatUserOnlineStatus(); });
    observe(state::notifications::kChatQueueStatusUpdate,
            [this](const platform::Notification&) { queues_->reloadChatQueueTableView(); });
    // A contact list after the first opening rebuilds the tree, keeping the chosen contact.
    observe(state::notifications::kChatContactList, [this](const platform::Notification&) {
        contacts_->buildTree(UserName_);
        queues_->reloadChatQueueTableView();
    });
    contacts_->buildTree("");
    queues_->reloadChatQueueTableView();
}

void ChatWindowController::observe(const char* name, platform::NotificationCenter::Callback callback) {
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.emplace_back(&center, center.addObserver(name, std::move(callback)));
}

void ChatWindowController::showWindow() {
    updateLanguageStrings();
    applyTheme();
    loadDefaults();
}

void ChatWindowController::updateLanguageStrings() {
    sendButton_->setText(qs(context_.text("90150")));
    rcToolbarItem_->setText(qs(context_.text("0309")));
    rcToolbarItem_->setToolTip(qs(context_.text("0309")));
}

void ChatWindowController::applyTheme() { kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme()); }

void ChatWindowController::loadDefaults() {
    UserName_.clear();
    context_.commands.setChatUserName("");
    setWindowTitle(qs(context_.text("0090")));
    sendButton_->setEnabled(false);
    messageTextView_->clear();
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    reloadMessages();
    contacts_->deselectOutlineView();
    queues_->deselectTableView();
}

void ChatWindowController::reloadMessages() {
    messages_->showRoom(UserName_.empty() ? nullptr : context_.view.chatRoom(UserName_), context_.view.loginUserName());
}

void ChatWindowController::userSelectedAtIndex(const std::string& userName, const std::string& displayName) {
    queues_->deselectTableView();
    if (userName.empty() || displayName.empty()) {
        loadDefaults();
        return;
    }
    sendButton_->setEnabled(true);
    UserName_ = userName;
    context_.commands.setChatUserName(userName);
    setWindowTitle(kit::shownText(displayName));
    reloadMessages();
    queues_->reloadChatQueueTableView();
    context_.commands.openContactRoom(userName);
}

void ChatWindowController::ChatSupportSelectedAtIndex(const model::ChatQueue& queue) {
    contacts_->deselectOutlineView();
    UserName_ = queue.QueueId;
    context_.commands.setChatUserName(queue.roomUserName);
    setWindowTitle(kit::shownText(queue.QueueName));
    reloadMessages();
    sendButton_->setEnabled(false);
    if (!queue.isAvailable) {
        loadDefaults();
        return;
    }
    sendButton_->setEnabled(true);
    if (queue.chartRequestStatus == 2) return;
    LoadRequestQueueMessageAlertView();
}

void ChatWindowController::LoadRequestQueueMessageAlertView() {
    if (requestDialog_) requestDialog_->deleteLater();
    auto* dialog = new QueueRequestDialog(this, context_.text);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    requestDialog_ = dialog;
    const std::string queueId = UserName_;
    // Refused while the line is down before it closes: the typed text stays.
    dialog->mayRequest = [this] { return !refusedOffline(); };
    connect(dialog, &QDialog::finished, this, [this, dialog, queueId](int result) {
        if (result != QDialog::Accepted)
            loadDefaults();
        else
            context_.commands.sendChatQueueRequest(
                queueId, model::Formatter::convertStringtoRTF(dialog->requestText().toStdString()));
    });
    kit::ThemeManager::applyTheme({{"Windows", {dialog}}}, context_.theme());
    dialog->open();
}

bool ChatWindowController::refusedOffline() {
    if (context_.view.isNetworkAvailable()) return false;
    platform::Log::warning("Chat text not sent: the network is not available");
    context_.ui.showAlert(context_.text("1007"), context_.text("10980"));
    return true;
}

void ChatWindowController::SendChatButtonClicked() {
    const QString text = messageTextView_->text();
    if (text.isEmpty() || UserName_.empty()) return;
    if (refusedOffline()) return;  // the text stays in the box
    context_.commands.sendChat(UserName_, model::Formatter::convertStringtoRTF(text.toStdString()));
    messageTextView_->clear();
}

void ChatWindowController::RecentConversationButtonClicked() {
    context_.opener.openWindow(kRecentConversationWindow, kit::OpenRequest{"", "", 0, this});
}

void ChatWindowController::closeEvent(QCloseEvent* event) {
    loadDefaults();
    QWidget::closeEvent(event);
}

}  // namespace chat
