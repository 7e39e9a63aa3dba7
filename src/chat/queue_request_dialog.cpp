#include "chat/queue_request_dialog.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace chat {

QueueRequestDialog::QueueRequestDialog(QWidget* parent, const std::function<std::string(const std::string&)>& text)
    : QDialog(parent) {
    const auto qs = [&text](const char* key) { return kit::shownText(text ? text(key) : std::string(key)); };
    setObjectName("queueRequestDialog");
    setWindowTitle(qs("90514"));
    setWindowModality(Qt::WindowModal);
    auto* message = kit::plainLabel(qs("90514"), this);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    field_ = new QLineEdit(qs("90515"), this);
    field_->setObjectName("requestField");
    field_->setMinimumWidth(250);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* request = buttons->addButton(qs("90516"), QDialogButtonBox::AcceptRole);
    buttons->addButton(qs("0060"), QDialogButtonBox::RejectRole);
    request->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addWidget(message);
    layout->addWidget(field_);
    layout->addWidget(buttons);
}

QString QueueRequestDialog::requestText() const { return field_->text(); }

void QueueRequestDialog::accept() {
    if (mayRequest && !mayRequest()) return;
    QDialog::accept();
}

}  // namespace chat
