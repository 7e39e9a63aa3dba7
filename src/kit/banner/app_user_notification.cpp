#include "kit/banner/app_user_notification.h"

namespace kit {

AppUserNotification AppUserNotification::fromBanner(const state::Banner& banner) {
    AppUserNotification n;
    n.title = banner.title;
    n.subtitle = banner.subtitle;
    n.informativeText = banner.informativeText;
    n.hasActionButton = banner.hasActionButton;
    n.actionButtonTitle = banner.actionButtonTitle;
    n.soundName = banner.soundName;
    n.userInfo = banner.userInfo;
    n.feature.dismissDelayTime = banner.dismissDelayTime;
    n.feature.lineBreakMode = static_cast<std::uint64_t>(banner.lineBreakMode);
    return n;
}

state::Banner AppUserNotification::toBanner() const {
    state::Banner b;
    b.title = title;
    b.subtitle = subtitle;
    b.informativeText = informativeText;
    b.hasActionButton = hasActionButton;
    b.actionButtonTitle = actionButtonTitle;
    b.dismissDelayTime = feature.dismissDelayTime;
    b.lineBreakMode = static_cast<int>(feature.lineBreakMode);
    b.soundName = soundName;
    b.userInfo = userInfo;
    return b;
}

}  // namespace kit
