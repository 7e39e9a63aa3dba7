#pragma once
// What the session asks of the windows, done with Qt: alerts, banners, system
// notifications, sounds and opening web addresses.
#include <QUrl>
#include <functional>
#include <memory>

#include "kit/core/sound_notification.h"
#include "kit/banner/app_user_notification_center.h"
#include "kit/common_alert.h"
#include "state/ui_services.h"

namespace platform {
class Preferences;
}

namespace kit {

class QtUiServices : public state::UiServices {
public:
    struct Parts {
        std::shared_ptr<SoundOutput> sound;           // default: Qt Multimedia
        std::shared_ptr<SystemNotifier> notifier;     // default: the system tray
        std::function<void(const QUrl&)> openUrl;     // default: the desktop's browser
        std::function<void()> terminate;              // default: quit the event loop
        BannerTiming bannerTiming;
    };

    QtUiServices(platform::Preferences& preferences, std::string appName, Parts parts = {});

    void showAlert(const std::string& message, const std::string& title) override;
    void deliverBanner(const state::Banner& banner) override;
    void showLocalNotification(const std::string& title, const std::string& text) override;
    void playSound(const std::string& name) override;
    // http and https only.
    void openUrl(const std::string& url) override;
    void terminate() override;
    std::string bundleName() const override { return appName_; }

    AppUserNotificationCenter& customUserNotificationCenter() { return center_; }
    SoundNotification& soundNotification() { return sounds_; }

private:
    platform::Preferences& preferences_;
    std::string appName_;
    Parts parts_;
    SoundNotification sounds_;
    AppUserNotificationCenter center_;
};

}  // namespace kit
