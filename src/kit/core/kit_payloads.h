#pragma once
// Payloads of the kit's notifications.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/notification_center.h"

namespace kit {

// "AppUserNotificationActivatedWithTypeNotification": 1 banner, 2 action button.
struct ActivationTypePayload : platform::NotificationPayload {
    explicit ActivationTypePayload(std::int64_t t) : type(t) {}
    std::int64_t type;
};

// "ChartSymbolDragNotification": [dropped text, pane identifier].
struct TextListPayload : platform::NotificationPayload {
    explicit TextListPayload(std::vector<std::string> t) : texts(std::move(t)) {}
    std::vector<std::string> texts;
};

constexpr const char* kBannerPresentedNotification = "AppUserNotificationHasBeenPresentedNotification";
constexpr const char* kBannerActivatedNotification = "AppUserNotificationActivatedWithTypeNotification";
constexpr const char* kDismissBannerNotification = "AppUserNotificationDismissBannerNotification";
constexpr const char* kChartSymbolDragNotification = "ChartSymbolDragNotification";
constexpr const char* kTableHeaderEditNotification = "TableHeaderEditNotification";
constexpr const char* kThemeChangedNotification = "ThemeChangedNotification";
// The stored table font sizes were applied: tables without a tick refit at once.
constexpr const char* kFontSizeChangedNotification = "FontSizeChangedNotification";

}  // namespace kit
