#pragma once
// The history of one conversation, read-only, in the chat window's row form.
// Opening another conversation replaces the room in the same window; a key
// that names no room opens nothing. Kept for the login. Main thread.
#include <QWidget>
#include <memory>
#include <string>

namespace kit {
struct WindowContext;
}
namespace model {
class ChatRoom;
}

namespace chat {

class MessageTable;

class ChatMessageWindowController : public QWidget {
public:
    explicit ChatMessageWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    // False when the key names no room.
    bool showWindow(const std::string& roomKey);
    MessageTable* chatmessageTableView() const { return table_; }

private:
    kit::WindowContext& context_;
    MessageTable* table_ = nullptr;
    std::shared_ptr<const model::ChatRoom> room_;
};

}  // namespace chat
