#include "shell/idle_timeout_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "kit/controls/sheet_buttons.h"
#include "kit/core/preference_manager.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "shell/core/idle_time_checker.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

IdleTimeoutWindowController::IdleTimeoutWindowController(platform::Preferences& preferences, std::int64_t language,
                                                         QWidget* parent)
    : QDialog(parent), preferences_(preferences) {
    setObjectName("IdleTimeoutWindowController");
    auto* column = new QVBoxLayout(this);
    idelTimeoutBox = new QGroupBox(this);
    auto* row = new QHBoxLayout(idelTimeoutBox);
    timeOutIntervalLabel = kit::plainLabel(idelTimeoutBox);
    timeoutComboBox = new QComboBox(idelTimeoutBox);
    timeoutComboBox->setMinimumWidth(160);
    // Built once: later language changes do not reach these texts.
    for (const std::string& choice : idleTimeoutChoices(language)) timeoutComboBox->addItem(kit::shownText(choice));
    row->addWidget(timeOutIntervalLabel);
    row->addWidget(timeoutComboBox, 1);
    column->addWidget(idelTimeoutBox);
    const kit::SheetButtons buttons = kit::addSheetButtons(this, column);
    cancelButton = buttons.cancel;
    applyButton = buttons.confirm;
    connect(timeoutComboBox, &QComboBox::activated, this, [this] { applyButton->setEnabled(true); });
    connect(applyButton, &QPushButton::clicked, this, [this] { applyButtonclicked(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    onWindowLoad(language);
}

void IdleTimeoutWindowController::updateLanguageStrings(std::int64_t language) {
    const auto text = [language](const char* key) {
        return kit::tableText(language, key);
    };
    idelTimeoutBox->setTitle(text("0372"));
    timeOutIntervalLabel->setText(text("0413"));
    applyButton->setText(text("0373"));
    cancelButton->setText(text("0060"));
}

void IdleTimeoutWindowController::onWindowLoad(std::int64_t language) {
    updateLanguageStrings(language);
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, preferences_.integerForKey(kit::PreferenceManager::kTheme));
    applyButton->setEnabled(false);
    timeoutComboBox->setCurrentIndex(idleTimeoutPosition(preferences_.integerForKey(IdleTimeChecker::kIdleTimeKey)));
}

void IdleTimeoutWindowController::applyButtonclicked() {
    const int position = timeoutComboBox->currentIndex();
    if (position < 0 || position >= static_cast<int>(kIdleTimeoutSeconds.size())) return;
    preferences_.set(IdleTimeChecker::kIdleTimeKey, kIdleTimeoutSeconds[static_cast<std::size_t>(position)]);
    preferences_.synchronize();
    accept();
}

}  // namespace shell
