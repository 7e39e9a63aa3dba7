#pragma once
// The demo-account sheet of the login window: the form, its checks, the
// registration request once the registration connection is up, and the new
// login shown and copied into the login form. Made at first use and kept.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <vector>

#include "model/demo_registration.h"
#include "platform/notification_center.h"

namespace shell {

class AppDelegate;

class LoginRegistrationWindowController : public QDialog {
public:
    explicit LoginRegistrationWindowController(AppDelegate& delegate, QWidget* parent = nullptr);

    // Before every showing: the observers once, empty fields, the lists, the texts.
    void onWindowLoad();
    void registerButtonClicked();
    // True when the form passes; else the reason is shown and the form kept.
    bool validationsBeforeRegister();
    model::DemoRegistration form() const;
    void closeModal();
    bool initiated() const { return initiated_; }
    // The alert showing the new login, while it is open.
    QMessageBox* resultAlert() const { return result_; }

    QGroupBox* createdemouserBox = nullptr;
    QLineEdit* NameTextField = nullptr;
    QLineEdit* PhoneTextField = nullptr;
    QLineEdit* EmailTextField = nullptr;
    QComboBox* DepositComboBox = nullptr;
    QComboBox* CountryComboBox = nullptr;
    QCheckBox* SubNewsLetterCheckBox = nullptr;
    QPushButton* submitButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void updateLanguageStrings();
    void applyTheme();
    void LoadDepositData();
    void LoadCountriesData();
    void DemoUserCreationRequest();
    void requestDone(const platform::Notification& notification);
    std::string text(const char* key) const;

    AppDelegate& delegate_;
    std::vector<platform::ObserverHandle> observers_;
    bool initiated_ = false;
    QPointer<QMessageBox> result_;
};

}  // namespace shell
