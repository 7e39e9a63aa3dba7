#include "shell/lock_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "kit/control_texts_walk.h"
#include "kit/plain_text.h"
#include "model/language_string.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace shell {

LockWindow::LockWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LockWindow");
    lockpasswordtitleTextField = kit::plainLabel(this);
    lockPasswordTextField = new QLineEdit(this);
    lockPasswordTextField->setEchoMode(QLineEdit::Password);
    lockPasswordTextField->setMinimumWidth(220);
    unlockButton = new QPushButton(this);
    unlockButton->setProperty("tag", 37);  // "Login"
    unlockButton->setDefault(true);
    unlockButton->setMinimumWidth(100);
    connect(lockPasswordTextField, &QLineEdit::returnPressed, unlockButton, &QPushButton::click);

    auto* row = new QHBoxLayout;
    row->addWidget(lockpasswordtitleTextField);
    row->addWidget(lockPasswordTextField, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(unlockButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setMinimumWidth(400);
}

void LockWindow::updateLanguageStrings(std::int64_t language, const std::string& name) {
    const auto text = [language](const char* key) {
        return kit::tableText(language, key);
    };
    setWindowTitle(text("10855") + u' ' + kit::shownText(name));
    lockPasswordTextField->setPlaceholderText(text("0078"));
    lockpasswordtitleTextField->setText(text("0467") + QStringLiteral(" :"));
    kit::applyControlTexts(this, language);
}

}  // namespace shell
