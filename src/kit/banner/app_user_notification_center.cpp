#include "kit/banner/app_user_notification_center.h"

#include "kit/core/kit_payloads.h"

namespace kit {

AppUserNotificationCenter::AppUserNotificationCenter(std::function<void(const std::string&)> playSound,
                                                     BannerTiming timing)
    : playSound_(std::move(playSound)), timing_(timing) {}

AppUserNotificationCenter::~AppUserNotificationCenter() {
    for (auto& banner : banners_) delete banner.data();
}

void AppUserNotificationCenter::deliverNotification(AppUserNotification notification) {
    notification.keepShownTexts();
    QPointer<AppUserNotificationCenter> self(this);
    auto handler = [self](const AppUserNotification& shown, std::int64_t type) {
        if (self) self->activate(shown, type);
    };
    // An earlier banner stays until its own dismissal.
    controller_ = new AppUserNotificationBannerController(std::move(notification), delegate_, handler, timing_);
    std::erase_if(banners_, [](const auto& banner) { return banner.isNull(); });
    // Below the banners still coming in or shown, so that none covers another.
    std::vector<Rect> taken;
    for (const auto& banner : banners_)
        if (banner->phase() == BannerLifecycle::Phase::SlidingIn || banner->phase() == BannerLifecycle::Phase::Shown)
            taken.push_back(banner->frames().shown);
    controller_->setTakenFrames(std::move(taken));
    banners_.push_back(controller_);
    const AppUserNotification& shown = controller_->userNotification();
    userNotificationCenterDidDeliverNotification(shown);
    controller_->presentBannerDismissAfter(shown.feature.dismissDelayTime);
    if (playSound_ && !shown.soundName.empty()) playSound_(shown.soundName);
}

void AppUserNotificationCenter::activate(const AppUserNotification& notification, std::int64_t type) {
    platform::NotificationCenter::defaultCenter().post(kBannerActivatedNotification,
                                                       std::make_shared<ActivationTypePayload>(type));
    if (type != 1 && type != 2) return;
    if (userNotificationCenterShouldPresentNotification(notification))
        userNotificationCenterDidActivateNotification(notification);
}

void AppUserNotificationCenter::userNotificationCenterDidDeliverNotification(const AppUserNotification& n) {
    if (delegate_ && delegate_->didDeliver) delegate_->didDeliver(n);
}

bool AppUserNotificationCenter::userNotificationCenterShouldPresentNotification(const AppUserNotification& n) {
    return delegate_ && delegate_->shouldPresent && delegate_->shouldPresent(n);
}

void AppUserNotificationCenter::userNotificationCenterDidActivateNotification(const AppUserNotification& n) {
    if (!delegate_ || !delegate_->didActivate) return;
    delegate_->didActivate(n);
    platform::NotificationCenter::defaultCenter().post(kDismissBannerNotification);
}

}  // namespace kit
