#pragma once
// The lock window: the login password typed again before the main window returns.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <string>

namespace shell {

class LockWindow : public QWidget {
    Q_OBJECT
public:
    explicit LockWindow(QWidget* parent = nullptr);
    // Title "10855" and `name`; placeholder, password title and tagged buttons.
    void updateLanguageStrings(std::int64_t language, const std::string& name);

    QLabel* lockpasswordtitleTextField;
    QLineEdit* lockPasswordTextField;
    QPushButton* unlockButton;
};

}  // namespace shell
