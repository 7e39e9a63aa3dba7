#pragma once
// Delivers records as banners and relays clicks to its delegate. The
// application delegate owns the one centre every banner goes through.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "kit/banner/app_user_notification.h"
#include "kit/banner/app_user_notification_banner_controller.h"

namespace kit {

class AppUserNotificationCenter : public QObject {
public:
    // `playSound` plays a banner's sound by name, whatever the sound preference.
    explicit AppUserNotificationCenter(std::function<void(const std::string&)> playSound = {},
                                       BannerTiming timing = {});
    // Banners still on screen go with the centre.
    ~AppUserNotificationCenter() override;

    void setDelegate(std::shared_ptr<AppUserNotificationCenterDelegate> delegate) { delegate_ = std::move(delegate); }
    const std::shared_ptr<AppUserNotificationCenterDelegate>& delegate() const { return delegate_; }

    // The banner keeps the record's texts in their shown form only.
    void deliverNotification(AppUserNotification notification);
    // The controller of the banner delivered last, while it is on screen.
    AppUserNotificationBannerController* notificationBannerController() const { return controller_; }

    void userNotificationCenterDidDeliverNotification(const AppUserNotification& notification);
    // The delegate's answer; NO when it has none.
    bool userNotificationCenterShouldPresentNotification(const AppUserNotification& notification);
    // Tells the delegate, then dismisses every banner; nothing without a delegate.
    void userNotificationCenterDidActivateNotification(const AppUserNotification& notification);

private:
    void activate(const AppUserNotification& notification, std::int64_t type);

    std::function<void(const std::string&)> playSound_;
    BannerTiming timing_;
    std::shared_ptr<AppUserNotificationCenterDelegate> delegate_;
    QPointer<AppUserNotificationBannerController> controller_;
    std::vector<QPointer<AppUserNotificationBannerController>> banners_;
};

}  // namespace kit
