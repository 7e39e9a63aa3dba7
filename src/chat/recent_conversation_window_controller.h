#pragma once
// The recent conversations: the other side's name and the conversation's text,
// read again at each showing. A double click opens the history, asking the
// server first when no message is held; the history opens on the answer's
// notification. Kept for the login. Main thread.
#include <QWidget>

#include "platform/notification_center.h"

class QTableView;

namespace kit {
struct WindowContext;
}

namespace chat {

class RoomTableModel;

class RecentConversationWindowController : public QWidget {
public:
    explicit RecentConversationWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    void showWindow();
    // A double click on the row (nothing below 0 or past the rows).
    void doubleAction(int row);
    QTableView* recentconversationTableView() const { return table_; }

private:
    void OpenRecentConversation(const std::string& roomKey);

    kit::WindowContext& context_;
    QTableView* table_ = nullptr;
    RoomTableModel* model_ = nullptr;
    platform::ObserverHandle observer_;
};

}  // namespace chat
