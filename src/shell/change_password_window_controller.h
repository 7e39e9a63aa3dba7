#pragma once
// The change-password sheet of the settings panel: the three fields are
// checked against each other and the login's password, the change is sent
// and the sheet closes 0.3 s later; while it is open, the server's acceptance
// shows a confirmation.
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "platform/notification_center.h"

namespace kit {
struct WindowContext;
}

namespace shell {

class ChangePasswordWindowController : public QDialog {
public:
    explicit ChangePasswordWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Before every showing: texts, theme, the acceptance observed, empty fields.
    void onWindowLoad();
    void ChangePasswordButtonClicked();
    // True when the texts pass; else the reason is shown.
    bool CheckPasswordValidation(const std::string& current, const std::string& fresh, const std::string& confirmation);
    void closeModal();
    bool initiated() const { return initiated_; }

    QGroupBox* changePasswordBox = nullptr;
    QLineEdit* OldPasswordTextField = nullptr;
    QLineEdit* NewPasswordField = nullptr;
    QLineEdit* ConfirmPasswordField = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void updateLanguageStrings();
    void ValidationAlert(const std::string& message);
    // The sheet no longer hears the acceptance.
    void ended();

    kit::WindowContext& context_;
    QTimer closeTimer_;
    platform::ObserverHandle observer_;
    bool initiated_ = false;
};

}  // namespace shell
