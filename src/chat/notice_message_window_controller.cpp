#include "chat/notice_message_window_controller.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "chat/core/chat_texts.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "state/session_view.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace chat {

NoticeMessageWindowController::NoticeMessageWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("NoticeMessageWindowController");
    subjectLabel_ = kit::plainLabel(this);
    subjectLabel_->setObjectName("subjectLabel");
    QFont bold = subjectLabel_->font();
    bold.setBold(true);
    subjectLabel_->setFont(bold);
    subjectLabel_->setWordWrap(true);
    timeLabel_ = kit::plainLabel(this);
    timeLabel_->setObjectName("timeLabel");
    messageTitleLabel_ = kit::plainLabel(this);
    messageTitleLabel_->setObjectName("messageTitleLabel");
    messageTextView_ = new QPlainTextEdit(this);
    messageTextView_->setObjectName("messageTextView");
    messageTextView_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addWidget(subjectLabel_);
    layout->addWidget(timeLabel_);
    layout->addSpacing(6);
    layout->addWidget(messageTitleLabel_);
    layout->addWidget(messageTextView_, 1);
    setMinimumSize(380, 260);
    resize(460, 320);
}

bool NoticeMessageWindowController::showWindow(const std::string& roomKey) {
    const auto room = context_.view.chatRoom(roomKey);
    if (!room) return false;
    setWindowTitle(kit::tableText(context_, "0517"));
    messageTitleLabel_->setText(kit::tableText(context_, "90518"));  // "Message", not "Event"
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    const NoticeTexts texts =
        noticeTexts(*room, [this](const std::string& key) { return context_.text(key); });
    kit::setShownText(*subjectLabel_, texts.subject);
    kit::setShownText(*timeLabel_, texts.time);
    messageTextView_->setPlainText(kit::shownText(texts.text));
    return true;
}

}  // namespace chat
