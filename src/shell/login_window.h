#pragma once
// The login window: language, Live/Demo, the four fields, remember-me, and the
// buttons of a login. It holds no logic of its own beyond its busy state and
// texts; the application delegate answers its signals.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <cstdint>

#include "shell/core/remembered_credentials.h"

namespace shell {

// Return and Enter in the closed list stop there: the arrows already chose.
// Its width is that of the widest name its own font draws: measuring every
// name, as the list does by default, loads a fallback face for each other
// script (CJK, Devanagari, Bengali, Arabic, about 4 MB kept for the session)
// though the closed list draws one name. Those names are the narrower ones.
class LanguageComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class LoginWindow : public QWidget {
    Q_OBJECT
public:
    explicit LoginWindow(QWidget* parent = nullptr);
    ~LoginWindow() override;

    LoginFields fields() const;
    void setFields(const LoginFields& fields);
    int selectedSegment() const { return demoSegment->isChecked() ? 1 : 0; }
    void setSelectedSegment(int segment);
    // setDisableUIObjects (true) and SetEnableUIObjects (false).
    void setBusy(bool busy);
    // The drawer of the connection settings at the right edge.
    void toggleRightDrawer();
    void setDrawerOpen(bool open);
    bool isDrawerOpen() const { return !rightDrawer->isHidden(); }
    void updateLanguageStrings(std::int64_t language);
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Return or Enter that no control took: Login.
    void keyPressEvent(QKeyEvent* event) override;

    LanguageComboBox* languagesComboBox;
    QPushButton* liveSegment;
    QPushButton* demoSegment;
    QGroupBox* loginBox;
    QFrame* rightDrawer;
    QGroupBox* connectionsettingsBox;
    QLineEdit* usernameTextField;
    QLineEdit* passwordTextField;
    QLineEdit* serverTextField;
    QLineEdit* portTextField;
    QCheckBox* CheckBox;
    QLabel* rememberNote;  // beside the box: these fields cannot be remembered
    QProgressBar* loginProgressIndicator;
    QPushButton* loginButton;
    QPushButton* cancelButton;
    QPushButton* resetdefaultsButton;
    QPushButton* demouserCreationButton;
    QPushButton* openliveaccountButton;
    QPushButton* drawerButton;

private:
    // The chosen segment in the theme's highlight, so that the mode reads at a glance.
    void markSegments();
    void updateRememberNote();

signals:
    void segmentChanged(int segment);
    void closedByUser();
};

}  // namespace shell
