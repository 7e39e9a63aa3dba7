#include "kit/banner/app_user_notification.h"

#include "kit/shown_text.h"

namespace kit {

AppUserNotification AppUserNotification::fromBanner(const state::Banner& banner) {
    AppUserNotification n;
    n.title = model::shownText(banner.title, std::size_t(kMaxAlertLength));
    n.subtitle = model::shownText(banner.subtitle, std::size_t(kMaxAlertLength));
    n.informativeText = model::shownText(banner.informativeText, std::size_t(kMaxAlertLength));
    n.hasActionButton = banner.hasActionButton;
    n.actionButtonTitle = banner.actionButtonTitle;
    n.soundName = banner.soundName;
    n.userInfo = banner.userInfo;
    n.feature.dismissDelayTime = banner.dismissDelayTime;
    n.feature.lineBreakMode = static_cast<std::uint64_t>(banner.lineBreakMode);
    return n;
}

void AppUserNotification::keepShownTexts() {
    for (std::string* text : {&title, &subtitle, &informativeText})
        if (text->size() > std::size_t(kMaxAlertLength)) *text = model::shownText(*text, std::size_t(kMaxAlertLength));
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
