#include "shell/font_size_settings_window_controller.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "kit/controls/sheet_buttons.h"
#include "kit/control_texts_walk.h"
#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "platform/notification_center.h"
#include "shell/core/settings_rules.h"
#include "kit/own_text.h"

namespace shell {

namespace {

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = kit::plainLabel(parent);
    label->setProperty("tag", tag);
    return label;
}

}  // namespace

FontSizeSettingsWindowController::FontSizeSettingsWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("FontSizeSettingsWindowController");
    auto* column = new QVBoxLayout(this);
    fontSizeBox = new QGroupBox(this);
    auto* form = new QFormLayout(fontSizeBox);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    watchlistComboBox = new QComboBox(fontSizeBox);
    positionsComboBox = new QComboBox(fontSizeBox);
    for (QComboBox* list : {watchlistComboBox, positionsComboBox}) {
        list->setMinimumWidth(160);
        connect(list, &QComboBox::activated, this, [this, list] { comboBoxSelectionIsChanging(list); });
    }
    form->addRow(taggedLabel(21009, fontSizeBox), watchlistComboBox);
    form->addRow(taggedLabel(11028, fontSizeBox), positionsComboBox);
    column->addWidget(fontSizeBox);
    const kit::SheetButtons buttons = kit::addSheetButtons(this, column);
    cancelButton = buttons.cancel;
    applyButton = buttons.confirm;
    connect(applyButton, &QPushButton::clicked, this, [this] { applyButtonClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void FontSizeSettingsWindowController::updateLanguageStrings() {
    fontSizeBox->setTitle(kit::tableText(context_, "11027"));
    kit::applyControlTexts(fontSizeBox, context_.language);
    applyButton->setText(kit::tableText(context_, "0373"));
    cancelButton->setText(kit::tableText(context_, "0060"));
}

void FontSizeSettingsWindowController::onWindowLoad() {
    applyButton->setEnabled(false);
    updateLanguageStrings();
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    loadData();
}

void FontSizeSettingsWindowController::showSize(QComboBox* list, std::uint64_t size) {
    const std::string key = fontSizeNameKey(size);
    // A size that is not listed shows an empty text.
    list->setCurrentIndex(key.empty() ? -1 : list->findText(kit::tableText(context_, key)));
}

void FontSizeSettingsWindowController::loadData() {
    for (QComboBox* list : {watchlistComboBox, positionsComboBox}) {
        list->clear();
        for (std::uint64_t size : kFontSizeChoices)
            list->addItem(kit::tableText(context_, fontSizeNameKey(size)));
    }
    wlFontSize_ = context_.preferences.getFontSizeInfoForKey(kit::PreferenceManager::kWatchlistFontSize);
    showSize(watchlistComboBox, wlFontSize_);
    poFontSize_ = context_.preferences.getFontSizeInfoForKey(kit::PreferenceManager::kPositionsFontSize);
    showSize(positionsComboBox, poFontSize_);
}

void FontSizeSettingsWindowController::comboBoxSelectionIsChanging(QComboBox* list) {
    applyButton->setEnabled(true);
    std::uint64_t* pending = list == watchlistComboBox ? &wlFontSize_ : list == positionsComboBox ? &poFontSize_ : nullptr;
    if (!pending) return;
    if (const auto size = fontSizeAtIndex(list->findText(list->currentText()))) *pending = *size;
}

void FontSizeSettingsWindowController::applyButtonClicked() {
    context_.preferences.saveFontSizeInfo(wlFontSize_, kit::PreferenceManager::kWatchlistFontSize);
    context_.preferences.saveFontSizeInfo(poFontSize_, kit::PreferenceManager::kPositionsFontSize);
    platform::NotificationCenter::defaultCenter().post(kit::kFontSizeChangedNotification);
    accept();
}

}  // namespace shell
