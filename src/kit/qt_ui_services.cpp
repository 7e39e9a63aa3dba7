#include "kit/qt_ui_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QTimer>

#include "kit/qt_sound_output.h"
#include "model/language_string.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace kit {

namespace {

QtUiServices::Parts completed(QtUiServices::Parts parts) {
    if (!parts.sound) parts.sound = std::make_shared<QtSoundOutput>();
    if (!parts.notifier) parts.notifier = std::make_shared<TraySystemNotifier>();
    if (!parts.openUrl) parts.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!parts.terminate)
        parts.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    return parts;
}

}  // namespace

QtUiServices::QtUiServices(platform::Preferences& preferences, std::string appName, Parts parts)
    : preferences_(preferences),
      appName_(std::move(appName)),
      parts_(completed(std::move(parts))),
      sounds_(preferences, *parts_.sound),
      center_([this](const std::string& name) { sounds_.playBannerSound(name); }, parts_.bannerTiming) {}

void QtUiServices::showAlert(const std::string& message, const std::string& title) {
    const std::int64_t language = preferences_.integerForKey("LanguageKey");
    CommonAlert::ShowCommonAlertVieWwithMessage(message, title,
                                                model::LanguageString::stringforSelectedLanguage(language, "0167"));
}

void QtUiServices::deliverBanner(const state::Banner& banner) {
    AppUserNotification n = AppUserNotification::fromBanner(banner);
    // Buttons the sender left unnamed read "Close" and "Show" in the selected language.
    const std::int64_t language = preferences_.integerForKey("LanguageKey");
    if (n.otherButtonTitle.empty()) n.otherButtonTitle = model::LanguageString::stringforSelectedLanguage(language, "0246");
    if (n.actionButtonTitle.empty()) n.actionButtonTitle = model::LanguageString::stringforSelectedLanguage(language, "0441");
    center_.deliverNotification(std::move(n));
    // A large text was copied on its way here: its pages go back once the sender's copies are gone.
    if (banner.informativeText.size() >= platform::kLargeAnswerBytes)
        QTimer::singleShot(0, &center_, [] { platform::releaseFreeMemory(); });
}

void QtUiServices::showLocalNotification(const std::string& title, const std::string& text) {
    CommonAlert::showLocalNotificationWithTitle(parts_.notifier, title, text);
}

void QtUiServices::playSound(const std::string& name) { sounds_.playSoundNamed(name); }

void QtUiServices::openUrl(const std::string& url) {
    if (!state::ResourceFiles::isOpenableUrl(url)) {
        platform::Log::error("Failed to open url: not an http or https address");
        return;
    }
    const QUrl address(kit::exactText(kit::ExactInput(url)), QUrl::StrictMode);
    if (!address.isValid()) {
        platform::Log::error("Failed to open url: " + url);  // no blank or control byte here
        return;
    }
    parts_.openUrl(address);
}

void QtUiServices::terminate() { parts_.terminate(); }

}  // namespace kit
