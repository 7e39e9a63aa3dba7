#include "chat/chat_message_window_controller.h"

#include <QVBoxLayout>

#include "chat/core/chat_texts.h"
#include "chat/message_table.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "state/session_view.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace chat {

ChatMessageWindowController::ChatMessageWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("ChatMessageWindowController");
    table_ = new MessageTable(kit::tableText(context_, "90518"), dayPeriods(context_.language), this);
    table_->setObjectName("chatmessageTableView");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(table_);
    setMinimumSize(420, 260);
    resize(560, 400);
}

bool ChatMessageWindowController::showWindow(const std::string& roomKey) {
    auto room = context_.view.chatRoom(roomKey);
    if (!room) return false;
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    room_ = room;
    // Without a display name the room is titled by its sender, as the recent list shows it.
    setWindowTitle(kit::shownText(conversationTitle(*room)));
    table_->showRoom(room_, context_.view.loginUserName());
    return true;
}

}  // namespace chat
