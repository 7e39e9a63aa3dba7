// Confirmation of pending Limit and Stop orders, and the endings of edits.
#include "model/formatter.h"
#include "orders/order_mananger.h"
#include "orders/order_lookup.h"
#include "orders/place_order_notification.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_view.h"
#include "state/session_services.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"

namespace orders {

namespace {

using model::Order;

constexpr std::int32_t kBracketEdit = 0;
constexpr std::int32_t kCancelWorking = 1;
constexpr std::int32_t kModifyWorking = 2;

const char* lineTemplateKey(const Order& o) {
    const bool buy = o.tradingMode == Order::kBuy;
    if (o.orderType == Order::kLimit) return buy ? "20220" : "20221";
    if (o.orderType == Order::kStop) return buy ? "20222" : "20223";
    return nullptr;
}

}  // namespace

OrderMananger::OrderMananger(const state::SessionView& view, state::SessionServices& services,
                             const state::ReferenceData& reference, state::OrderBook& book,
                             state::SessionCommands& commands)
    : view_(view), services_(services), reference_(reference), book_(book), commands_(commands) {
    auto& center = platform::NotificationCenter::defaultCenter();
    pendingObserver_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kPendingOrder, [this](const platform::Notification& n) {
            const auto* payload = n.as<state::OrderPayload>();
            if (payload && payload->order) ShowOrderConfirmation(*payload->order);
        }));
}

void OrderMananger::ShowOrderConfirmation(const Order& pending) {
    platform::assertMainThread();
    // Each pending-order answer uses up one confirmation armed by a sent Limit or Stop order.
    if (armedConfirmations_ <= 0) return;
    --armedConfirmations_;
    const char* key = lineTemplateKey(pending);
    const std::string line =
        key ? model::Formatter::fillIndexedText(text(key), {pending.OrderQty, pending.ItemCode, pending.OrderPrice})
            : std::string();
    std::string message = text("0012") + " : " + pending.AccountNumber + "\n" + text("0070") + " : " +
                          pending.PendingOrderId + "\n" + line + "\n";
    if (numberOf(pending.LimitPrice) > 0) message += text("0233") + " @ " + pending.LimitPrice + "\n";
    if (numberOf(pending.StopPrice) > 0) message += text("0234") + " @ " + pending.StopPrice;
    const std::string title = text("2139");
    state::UiServices& ui = services_.ui();
    if (services_.host().showConfirmationAlert()) {
        ui.showAlert(message, title);
        return;
    }
    state::Banner banner;
    banner.title = ui.bundleName();
    banner.subtitle = title;
    banner.informativeText = message;
    banner.dismissDelayTime = 5.0;
    ui.deliverBanner(banner);
    ui.showLocalNotification(title, message);
}

void OrderMananger::ShowEditOrderMessages(const std::shared_ptr<Order>&, std::int32_t kind) {
    switch (kind) {
        case kCancelWorking:
            // Played later on the main thread, without waiting for it.
            services_.onMain([ui = &services_.ui()] { ui->playSound("cancelOrder"); });
            sendNotification(kAbortModal, nullptr);
            break;
        case kBracketEdit:
        case kModifyWorking: sendNotification(kAbortModal, nullptr); break;
        default: break;
    }
}

}  // namespace orders
