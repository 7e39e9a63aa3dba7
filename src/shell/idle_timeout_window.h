#pragma once
// The sheet of the idle timeout: never, 5, 10, 30 or 60 minutes, stored in
// seconds under "IdleTime". The choices keep the language of the first load.
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <cstdint>

namespace platform {
class Preferences;
}

namespace shell {

class IdleTimeoutWindowController : public QDialog {
public:
    IdleTimeoutWindowController(platform::Preferences& preferences, std::int64_t language, QWidget* parent = nullptr);

    // Before every showing: texts, theme, Apply disabled, the stored choice.
    void onWindowLoad(std::int64_t language);
    void applyButtonclicked();

    QComboBox* timeoutComboBox = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QGroupBox* idelTimeoutBox = nullptr;
    QLabel* timeOutIntervalLabel = nullptr;

private:
    void updateLanguageStrings(std::int64_t language);
    platform::Preferences& preferences_;
};

}  // namespace shell
