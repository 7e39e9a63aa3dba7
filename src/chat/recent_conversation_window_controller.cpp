#include "chat/recent_conversation_window_controller.h"
#include "chat/register_windows.h"

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

RecentConversationWindowController::RecentConversationWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("RecentConversationWindowController");
    RoomTableModel::Columns columns;
    columns.keys = {"0397", "0157"};
    // Headed "Name" and "Last Message"; the keys above pick the cells.
    for (const char* title : {"0021", "90151"}) columns.titles.push_back(kit::tableText(context_, title));
    columns.cell = recentCellText;
    model_ = new RoomTableModel(std::move(columns), this);
    // Only rows: the header and the space below the rows give no index.
    table_ = roomTableView("recentconversationTableView", model_, this, [this](int row) { doubleAction(row); });
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(0, 180);
    setMinimumSize(420, 260);
    resize(520, 340);
    auto& center = platform::NotificationCenter::defaultCenter();
    observer_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kRecentConversationReceived, [this](const platform::Notification& n) {
            if (const auto* room = n.as<state::TextPayload>()) OpenRecentConversation(room->text);
        }));
}

void RecentConversationWindowController::showWindow() {
    setWindowTitle(kit::tableText(context_, "0309"));
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    table_->clearSelection();
    // Rows are read at each showing; no notification reloads them.
    model_->reload(context_.view.getrecentChatCollection());
}

void RecentConversationWindowController::doubleAction(int row) {
    const auto room = model_->room(row);
    if (!room) return;
    if (!room->messages.empty()) {
        OpenRecentConversation(room->RoomId);
        return;
    }
    context_.commands.requestRoomMessage(room->RoomId);
}

void RecentConversationWindowController::OpenRecentConversation(const std::string& roomKey) {
    context_.opener.openWindow(kChatMessageWindow, kit::recordRequest(roomKey));
}

}  // namespace chat
