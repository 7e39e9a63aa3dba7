#include "chat/messages_window_controller.h"
#include "chat/register_windows.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include "chat/core/chat_texts.h"
#include "chat/room_table_model.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "kit/window_opener.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "kit/own_text.h"

namespace chat {

MessagesWindowController::MessagesWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("MessagesWindowController");
    RoomTableModel::Columns columns;
    columns.keys = {"0452", "0157", "0153"};
    for (const auto& key : columns.keys) columns.titles.push_back(kit::tableText(context_, key));
    columns.cell = noticeCellText;
    columns.bold = [](const model::ChatRoom& room) { return room.isanUnreadMessage; };
    model_ = new RoomTableModel(std::move(columns), this);
    table_ = roomTableView("messagesTableView", model_, this, [this](int row) { doubleAction(row); });
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // The time column fits a bold 12-point time; subjects get the same room.
    QFont boldCell = QApplication::font();
    boldCell.setPointSizeF(12.0);
    boldCell.setBold(true);
    const int timeWidth = QFontMetrics(boldCell).horizontalAdvance(QStringLiteral("88/88/8888 88:88:88")) + 20;
    table_->setColumnWidth(0, timeWidth);
    table_->setColumnWidth(2, timeWidth);
    setMinimumSize(560, 260);
    resize(680, 360);
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.emplace_back(&center, center.addObserver(state::notifications::kNoticeMessage,
                                                        [this](const platform::Notification&) { showWindow(); }));
    observers_.emplace_back(
        &center, center.addObserver(state::notifications::kNoticeMessageReceived, [this](const platform::Notification& n) {
            if (const auto* room = n.as<state::TextPayload>()) OpenNoticeMessageWindow(room->text);
        }));
}

void MessagesWindowController::showWindow() {
    setWindowTitle(kit::tableText(context_, "0099"));
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {table_}}}, context_.theme());
    table_->clearSelection();
    model_->reload(context_.view.getMessageNoticesCollection());
}

void MessagesWindowController::doubleAction(int row) {
    const auto room = model_->room(row);
    if (!room) return;
    // Read here; the row loses its bold font when next drawn.
    context_.commands.markNoticeRead(room->RoomId);
    if (room->messages.empty()) {
        context_.commands.requestRoomMessage(room->RoomId);
        return;
    }
    // Acknowledged at every opening, read before or not.
    context_.commands.requestChatMessageAcknowledgement(room->RoomId);
    OpenNoticeMessageWindow(room->RoomId);
}

void MessagesWindowController::OpenNoticeMessageWindow(const std::string& roomKey) {
    context_.opener.openWindow(kNoticeMessageWindow, kit::recordRequest(roomKey));
}

}  // namespace chat
