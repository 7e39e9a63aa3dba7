#pragma once
// One notice: "Subject: …", "Time: …" and the text of the room's first
// message. A room without a message shows its subject with empty time and
// text; a key that names no room opens nothing. Kept for the login. Main thread.
#include <QWidget>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace kit {
struct WindowContext;
}

namespace chat {

class NoticeMessageWindowController : public QWidget {
public:
    explicit NoticeMessageWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    // False when the key names no room.
    bool showWindow(const std::string& roomKey);
    QLabel* subjectLabel() const { return subjectLabel_; }
    QLabel* timeLabel() const { return timeLabel_; }
    QLabel* messageTitleLabel() const { return messageTitleLabel_; }
    QPlainTextEdit* messageTextView() const { return messageTextView_; }

private:
    kit::WindowContext& context_;
    QLabel* subjectLabel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QLabel* messageTitleLabel_ = nullptr;
    QPlainTextEdit* messageTextView_ = nullptr;
};

}  // namespace chat
