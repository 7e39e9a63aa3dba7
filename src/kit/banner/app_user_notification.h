#pragma once
// A banner record and its options, and the delegate of the banner centre.
#include <QImage>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "state/ui_services.h"

namespace kit {

struct AppUserNotificationFeature {
    double dismissDelayTime = 5.0;  // from the start of the slide-in; <= 0: stays
    std::uint64_t lineBreakMode = 4;  // 0 word wrap, 1 char wrap, 2 clip, 3-5 truncate head/tail/middle
    QImage bannerImage;             // null: the application's icon
};

struct AppUserNotification {
    std::string title;
    std::string subtitle;
    std::string informativeText;
    bool hasActionButton = false;
    std::string actionButtonTitle;
    std::string otherButtonTitle;
    std::string soundName;
    std::map<std::string, std::string> userInfo;
    AppUserNotificationFeature feature;
    bool presented = false;
    std::int64_t activationType = 0;

    // The session's banner as a record, its texts in their shown form.
    static AppUserNotification fromBanner(const state::Banner& banner);
    // The texts cut to what a banner shows: all a banner keeps of them.
    void keepShownTexts();
    state::Banner toBanner() const;
};

constexpr const char* AppUserNotificationDefaultSound = "AppUserNotificationDefaultSound";
constexpr const char* AppUserNotificationDefaultSound2 = "AppUserNotificationDefaultSound2";

// An empty operation is one the delegate does not answer.
struct AppUserNotificationCenterDelegate {
    std::function<void(const AppUserNotification&)> didDeliver;
    std::function<bool(const AppUserNotification&)> shouldPresent;
    std::function<void(const AppUserNotification&)> didActivate;
};

// The delegate answered by an object with the session's three operations.
template <class Session>
std::shared_ptr<AppUserNotificationCenterDelegate> delegateFor(Session& session) {
    auto d = std::make_shared<AppUserNotificationCenterDelegate>();
    d->didDeliver = [&session](const AppUserNotification& n) {
        session.userNotificationCenterDidDeliverNotification(n.toBanner());
    };
    d->shouldPresent = [&session](const AppUserNotification& n) {
        return session.userNotificationCenterShouldPresentNotification(n.toBanner());
    };
    d->didActivate = [&session](const AppUserNotification& n) {
        session.userNotificationCenterDidActivateNotification(n.toBanner());
    };
    return d;
}

}  // namespace kit
