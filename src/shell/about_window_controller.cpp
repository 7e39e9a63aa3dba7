#include "shell/about_window_controller.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "platform/resource_bundle.h"
#include "shell/core/about_texts.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

AboutWindowController::AboutWindowController(QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName("AboutWindowController");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 20, 24, 18);
    column->setSpacing(6);
    const auto label = [&](const char* name, Qt::Alignment alignment) {
        auto* made = kit::plainLabel(this);
        made->setObjectName(name);
        made->setAlignment(alignment);
        made->setTextFormat(Qt::PlainText);  // translated texts are never markup
        made->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(made);
        return made;
    };
    appNameLabel = label("appNameLabel", Qt::AlignHCenter);
    QFont big = appNameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    appNameLabel->setFont(big);
    versionLabel = label("versionLabel", Qt::AlignHCenter);
    column->addSpacing(8);
    disclaimerLabel = label("disclaimerLabel", Qt::AlignLeft | Qt::AlignTop);
    disclaimerLabel->setWordWrap(true);
    disclaimerLabel->setMinimumWidth(360);
    column->addSpacing(8);
    copyRightInfoLabel = label("copyRightInfoLabel", Qt::AlignHCenter);
    copyRightInfoLabel->setWordWrap(true);
    QFont small = copyRightInfoLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    copyRightInfoLabel->setFont(small);
    column->addStretch(1);
    closeButton = new QPushButton(this);
    closeButton->setObjectName("closeButton");
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    column->addSpacing(8);
    column->addLayout(buttons);
}

void AboutWindowController::windowDidAppear(std::int64_t language, std::int64_t theme) {
    setWindowTitle(kit::shownText(platform::ResourceBundle::applicationName()));
    applyTheme(theme);
    loadData(language);
}

void AboutWindowController::applyTheme(std::int64_t theme) { kit::ThemeManager::applyTheme({{"Windows", {this}}}, theme); }

void AboutWindowController::loadData(std::int64_t language) {
    const AboutTexts texts = aboutTexts(
        [language](const std::string& key) { return model::LanguageString::stringforSelectedLanguage(language, key); });
    appNameLabel->setText(kit::shownText(texts.name));  // the app's bundle
    versionLabel->setText(kit::shownText(texts.version));  // the app's bundle
    disclaimerLabel->setText(kit::shownText(texts.disclaimer));  // the app's bundle
    copyRightInfoLabel->setText(kit::shownText(texts.copyright));  // the app's bundle
    closeButton->setText(kit::tableText(language, "0246"));
    adjustSize();
}

}  // namespace shell
