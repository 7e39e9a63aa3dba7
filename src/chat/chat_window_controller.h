#pragma once
// The chat window: the contacts outline and the support queues beside the
// conversation chosen in one of them, a send box and its button, and a
// toolbar entry opening the recent conversations. Kept for the login; closing
// it only resets it. Changes the chat only through the session's commands.
// Main thread.
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "chat/queue_request_dialog.h"
#include "platform/notification_center.h"

class QAction;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace kit {
struct WindowContext;
}
namespace model {
class ChatQueue;
}

namespace chat {

class ContactsOutlineViewController;
class ChatQueueTableViewController;
class MessageTable;


class ChatWindowController : public QWidget {
public:
    explicit ChatWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Each opening: texts, theme, nothing chosen.
    void showWindow();
    void loadDefaults();
    void userSelectedAtIndex(const std::string& userName, const std::string& displayName);
    void ChatSupportSelectedAtIndex(const model::ChatQueue& queue);
    void SendChatButtonClicked();
    void RecentConversationButtonClicked();

    const std::string& UserName() const { return UserName_; }
    ContactsOutlineViewController* contactsOutlineViewController() const { return contacts_; }
    ChatQueueTableViewController* chatQueueTableViewController() const { return queues_; }
    MessageTable* messageTableView() const { return messages_; }
    QLineEdit* messageTextView() const { return messageTextView_; }
    QPushButton* sendButton() const { return sendButton_; }
    QAction* rcToolbarItem() const { return rcToolbarItem_; }
    // The open queue request, if any.
    QueueRequestDialog* requestDialog() const { return requestDialog_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateLanguageStrings();
    void applyTheme();
    void reloadMessages();
    void LoadRequestQueueMessageAlertView();
    // "1007" when the line is down: nothing is sent.
    bool refusedOffline();
    void observe(const char* name, platform::NotificationCenter::Callback callback);

    kit::WindowContext& context_;
    std::string UserName_;
    ContactsOutlineViewController* contacts_ = nullptr;
    ChatQueueTableViewController* queues_ = nullptr;
    MessageTable* messages_ = nullptr;
    QLineEdit* messageTextView_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* rcToolbarItem_ = nullptr;
    QPointer<QueueRequestDialog> requestDialog_;
    std::vector<platform::ObserverHandle> observers_;
};

}  // namespace chat
