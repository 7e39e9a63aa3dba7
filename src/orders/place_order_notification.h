#pragma once
// What the order manager tells the order windows.
#include <memory>
#include <string>

#include "model/order.h"
#include "platform/notification_center.h"

namespace orders {

inline constexpr const char* kPlaceOrderNotification = "PlaceOrderNotification";
// The text a window closes on: the request was sent.
inline constexpr const char* kAbortModal = "AbortModal";

// The object is the text; the userInfo {"ValidationKey": order} is `ValidationKey`,
// null when the report carries no order.
struct PlaceOrderReport : platform::NotificationPayload {
    PlaceOrderReport(std::string t, std::shared_ptr<const model::Order> o) : text(std::move(t)), ValidationKey(std::move(o)) {}
    std::string text;
    std::shared_ptr<const model::Order> ValidationKey;
};

}  // namespace orders
