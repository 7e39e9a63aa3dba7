#include "shell/change_password_window_controller.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "kit/control_texts_walk.h"
#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "shell/core/settings_rules.h"
#include "state/session_commands.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/own_text.h"

namespace shell {

namespace {

QLineEdit* passwordField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    field->setMinimumWidth(200);
    kit::attachSeparatorGuard(field);
    return field;
}

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = kit::plainLabel(parent);
    label->setProperty("tag", tag);
    return label;
}

}  // namespace

ChangePasswordWindowController::ChangePasswordWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("ChangePasswordWindowController");
    auto* column = new QVBoxLayout(this);
    changePasswordBox = new QGroupBox(this);
    auto* form = new QFormLayout(changePasswordBox);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    OldPasswordTextField = passwordField(changePasswordBox);
    NewPasswordField = passwordField(changePasswordBox);
    ConfirmPasswordField = passwordField(changePasswordBox);
    form->addRow(taggedLabel(406, changePasswordBox), OldPasswordTextField);
    form->addRow(taggedLabel(407, changePasswordBox), NewPasswordField);
    form->addRow(taggedLabel(408, changePasswordBox), ConfirmPasswordField);
    column->addWidget(changePasswordBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cancelButton = new QPushButton(this);
    cancelButton->setProperty("tag", 60);
    changeButton = new QPushButton(this);
    changeButton->setProperty("tag", 405);
    changeButton->setDefault(true);
    buttons->addWidget(cancelButton);
    buttons->addWidget(changeButton);
    column->addLayout(buttons);
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(300);
    connect(&closeTimer_, &QTimer::timeout, this, [this] { closeModal(); });
    connect(changeButton, &QPushButton::clicked, this, [this] { ChangePasswordButtonClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { closeModal(); });
    // However the sheet ends (Cancel, Escape, the timer), it stops listening.
    connect(this, &QDialog::finished, this, [this] { ended(); });
}

void ChangePasswordWindowController::updateLanguageStrings() {
    changePasswordBox->setTitle(kit::tableText(context_, "0405"));
    kit::applyControlTexts(this, context_.language);
}

void ChangePasswordWindowController::onWindowLoad() {
    closeTimer_.stop();
    updateLanguageStrings();
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    if (!initiated_) {
        auto& center = platform::NotificationCenter::defaultCenter();
        observer_ = platform::ObserverHandle(
            &center, center.addObserver(state::notifications::kPasswordChange,
                                        [this](const platform::Notification&) { ValidationAlert(context_.text("0369")); }));
        initiated_ = true;
    }
    for (QLineEdit* field : {OldPasswordTextField, NewPasswordField, ConfirmPasswordField}) field->clear();
}

bool ChangePasswordWindowController::CheckPasswordValidation(const std::string& current, const std::string& fresh,
                                                             const std::string& confirmation) {
    const auto failure = checkPasswordValidation(current, fresh, confirmation, context_.view.loginPassword());
    if (failure) ValidationAlert(context_.text(*failure));
    return !failure;
}

void ChangePasswordWindowController::ChangePasswordButtonClicked() {
    const std::string current = OldPasswordTextField->text().toStdString();
    const std::string fresh = NewPasswordField->text().toStdString();
    const std::string confirmation = ConfirmPasswordField->text().toStdString();
    if (!CheckPasswordValidation(current, fresh, confirmation)) return;
    context_.commands.changeMyPassword(current, confirmation);
    closeTimer_.start();
}

void ChangePasswordWindowController::ValidationAlert(const std::string& message) {
    context_.ui.showAlert(message, context_.text("10980"));
}

void ChangePasswordWindowController::closeModal() {
    ended();
    reject();
}

void ChangePasswordWindowController::ended() {
    closeTimer_.stop();
    observer_.reset();
    initiated_ = false;
}

}  // namespace shell
