#pragma once
// The notice inbox: subject, text and time of every notice, unread ones in
// bold. The sorted list is built once per reload (at each showing and on
// "NoticeMessageNotification"), not at every cell read, so a notice room that
// a room answer adds shows at the next reload rather than the next redraw. A
// double click marks the notice read and opens it, acknowledging it when its
// messages are held, else asking for them first. Kept for the login. Main thread.
#include <QWidget>
#include <string>
#include <vector>

#include "platform/notification_center.h"

class QTableView;

namespace kit {
struct WindowContext;
}

namespace chat {

class RoomTableModel;

class MessagesWindowController : public QWidget {
public:
    explicit MessagesWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    // Texts, theme, no selection, rows read again; does not bring the window forward.
    void showWindow();
    // A double click on the row (nothing below 0 or past the rows).
    void doubleAction(int row);
    QTableView* messagesTableView() const { return table_; }

private:
    void OpenNoticeMessageWindow(const std::string& roomKey);

    kit::WindowContext& context_;
    QTableView* table_ = nullptr;
    RoomTableModel* model_ = nullptr;
    std::vector<platform::ObserverHandle> observers_;
};

}  // namespace chat
