// A new order from the ticket's request to the 60/0 message, with the
// pending-order placeholder and the journal line that follow.
#include <exception>

#include "model/formatter.h"
#include "model/login_inputdata.h"
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/msg_type.h"
#include "protocol/order_tags.h"
#include "protocol/tags.h"
#include "protocol/message_base.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/session_view.h"
#include "state/journal_data.h"

namespace orders {

namespace {

namespace tag = protocol::tag;
using model::Order;

constexpr std::int32_t kNewOrderRequest = 0;
constexpr std::int32_t kNewOrderJournalKind = 3;
constexpr const char* kConnectionChangedKey = "1074";

// A price, take-profit or stop-loss text counts as set unless it is exactly empty.
bool isSet(const std::string& text) { return !text.empty(); }

void setPrices(Order& o, const model::OrderInfo& info, const std::string& marketPrice) {
    switch (info.orderType) {
        case Order::kMarket:
            o.ordertypeInfo = 0;
            o.OrderPrice = marketPrice;
            if (isSet(info.limitPrice)) {
                o.ordertypeInfo = 1;
                o.LimitPrice = info.limitPrice;
            }
            if (isSet(info.stopPrice)) {
                o.ordertypeInfo = 1;
                o.StopPrice = info.stopPrice;
            }
            break;
        case Order::kLimit:
        case Order::kStop:
            o.ordertypeInfo = 2;
            o.OrderPrice = isSet(info.price) ? info.price : marketPrice;
            if (isSet(info.limitPrice)) {
                o.ordertypeInfo = 3;
                o.LimitPrice = info.limitPrice;
            }
            if (isSet(info.stopPrice)) {
                o.ordertypeInfo = 3;
                o.StopPrice = info.stopPrice;
            }
            break;
        default: break;
    }
}

// A take-profit or stop-loss goes out only when its value is above 0.
std::string bracketPrice(const std::string& text) { return numberOf(text) > 0 ? text : std::string(); }

}  // namespace

std::shared_ptr<Order> OrderMananger::GenerateOrder(const model::OrderInfo& info) {
    platform::assertMainThread();
    try {
        auto o = std::make_shared<Order>();
        const model::ItemDetails* item = findItem(reference_, info.itemCode);
        const int places = item ? item->DecimalPlaces : 0;
        auto price = [&](double v) { return model::Formatter::formatDecimal(v, places); };
        o->AccountNumber = std::to_string(info.accountNo);
        o->RequestId = services_.nextRequestId();
        o->ItemCode = item ? item->Code.str() : std::string();
        o->orderTypeTag = Order::GetOrderTypeTagValue(info.orderType);
        o->orderType = info.orderType;
        o->deliveryModeTag = Order::GetDeliveryModeTagValue(info.deliveryMode);
        o->deliveryMode = info.deliveryMode;
        o->OrderQty = info.quantity;
        // Move-assigned: GCC 12 warns falsely (-Wrestrict) on assigning a literal at -O3.
        o->setSpread(std::string(1, '0'));
        o->tradingModeTag = Order::GetTradingModeTagValue(info.tradingMode);
        o->tradingMode = info.tradingMode == Order::kBuy ? Order::kBuy : Order::kSell;
        o->setCurrentStatus(std::string(1, '0'));
        o->timeinForceTag = Order::GetTimeInForceTagValue(info.timeinForce);
        o->timeinForce = info.timeinForce;
        o->setBid(price(item ? item->Bid : 0));
        o->setAsk(price(item ? item->Ask : 0));
        o->setLast(price(item ? item->Last : 0));
        o->setHigh(price(item ? item->High : 0));
        o->setLow(price(item ? item->Low : 0));
        if (item && !item->UpdateTime.empty()) {
            o->setItemTime(model::Formatter::formatDateandTimeFromString(item->UpdateTime,
                                                                         model::Formatter::kDisplayFormat,
                                                                         model::Formatter::kWireFormat)
                               .value_or(""));
        }
        o->TransactionDateTime = view_.ServerTime();  // the last ping answer's; stamped again at the send
        o->builtOnConnection = view_.connectionNumber();
        o->setPreviousOrderQty(info.previousQuantity);
        o->deviation = info.deviation;
        o->setLiqudateOrderNumber(info.orderNo);
        // No fallback to Last: a zero market price is refused by the price check.
        setPrices(*o, info, o->tradingMode == Order::kBuy ? o->Ask() : o->Bid());
        o->isCloseNew = info.isCloseNew;
        o->isEditWorkOrder = info.isEWO;
        o->isEditBracketOrder = info.isEBO;
        o->isCancelOrder = info.isCancelOrder;
        o->isTakeProfitEnabled = info.TakeProfitEnabled;
        o->isStopLossEnabled = info.StopLossEnabled;
        o->validationResult = Validate(o);
        return o->validationResult ? o : nullptr;
    } catch (const std::exception& e) {
        platform::Log::warning(std::string("GenerateOrder: ") + e.what());
        return nullptr;
    }
}

void OrderMananger::PlaceOrder(const model::OrderInfo& info) { PlaceOrder(GenerateOrder(info)); }

void OrderMananger::PlaceOrder(const std::shared_ptr<Order>& order) {
    // Built at a click and perhaps confirmed much later: its prices stay, the
    // session, account and instrument are checked as they are now.
    if (order && stillValid(order)) sendNewOrder(order);
}

bool OrderMananger::stillValid(const std::shared_ptr<Order>& order) {
    // A relogin since the click: the order belongs to a connection that is gone.
    if (order->builtOnConnection != view_.connectionNumber()) {
        order->validationResult = false;
        return refuse(order, kConnectionChangedKey);
    }
    order->validationResult = Validate(order);
    return order->validationResult;
}

void OrderMananger::stampSendMoment(Order& order) {
    // The id and the time of the moment it leaves: those read at the click may
    // since have gone out with a ping.
    order.RequestId = services_.nextRequestId();
    order.TransactionDateTime = view_.ServerTime();
}

void OrderMananger::sendNewOrder(const std::shared_ptr<Order>& order) {
    stampSendMoment(*order);
    services_.outgoingMessage().setNeworderrequestType(kNewOrderRequest);
    setOrderHead(*order, protocol::MsgType::NewOrderRequest);
    protocol::TagMap& t = services_.outgoingMessage().messageDataDictionary();
    t.set(tag::OrderQty, order->OrderQty);
    t.set(tag::OrderPrice, order->OrderPrice);
    t.set(tag::LimitPrice, bracketPrice(order->LimitPrice));
    t.set(tag::StopPrice, bracketPrice(order->StopPrice));
    t.set(tag::Deviation, std::to_string(order->deviation));
    setOrderTail(*order);
    // An order that never left (a value with a separator byte, no session) gets no placeholder.
    if (!send("PlaceOrder")) return;
    book_.AddPendingOrder(order);
    ShowNewOrderMessages(order, 0);
}

void OrderMananger::setOrderHead(const Order& order, protocol::MsgType type) {
    protocol::MessageBase& m = services_.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(type));
    protocol::TagMap& t = m.messageDataDictionary();
    t.clear();
    t.setNumber(protocol::tag::MessageType, static_cast<int>(type));
    t.set(tag::AccountId, order.AccountNumber);
    t.set(tag::UserName, services_.host().logindata().userName());
    t.set(tag::AlternateRequestId, std::to_string(order.RequestId));
    if (services_.referenceId()) t.set(tag::ReferenceId, *services_.referenceId());
    t.set(tag::ItemCode, order.ItemCode);
    t.set(tag::OrderType, std::to_string(order.orderTypeTag));
    t.set(tag::DeliveryMode, std::to_string(order.deliveryModeTag));
    t.set(tag::Spread, order.Spread());
    t.set(tag::Side, std::to_string(order.tradingModeTag));
}

void OrderMananger::setOrderTail(const Order& order) {
    protocol::TagMap& t = services_.outgoingMessage().messageDataDictionary();
    t.set(tag::CurrentStatus, order.CurrentStatus());
    if (order.timeinForceTag != Order::kNoValue && order.timeinForceTag >= 0)
        t.set(tag::TimeInForce, std::to_string(order.timeinForceTag));
    t.set(tag::Bid, order.Bid());
    t.set(tag::Ask, order.Ask());
    t.set(tag::Last, order.Last());
    t.set(tag::High, order.High());
    t.set(tag::Low, order.Low());
    t.set(tag::InstrumentTime, order.ItemTime());
    t.set(tag::TransactionTime, order.TransactionDateTime);
}

bool OrderMananger::send(const char* what) {
    const protocol::BuildResult sent = services_.outgoingMessage().BuildMessage();
    if (!sent.sent()) platform::Log::warning(std::string(what) + ": nothing sent: " + sent.error);
    return sent.sent();
}

void OrderMananger::ShowNewOrderMessages(const std::shared_ptr<Order>& order, std::int32_t kind) {
    if (kind == 0) {
        if (!order) return;
        services_.appendJournal(state::JournalData::getOrderJournalData(kNewOrderJournalKind, *order,
                                                                        services_.journalContext()));
        if (order->orderType == Order::kLimit || order->orderType == Order::kStop) ++armedConfirmations_;
        if (order->orderType == Order::kMarket)
            platform::Log::info("Market order sent: side " + std::to_string(order->tradingMode) + ", quantity " +
                                order->OrderQty);
    } else if (kind == 1) {
        sendNotification(kAbortModal, nullptr);
    }
}

void OrderMananger::sendNotification(const std::string& text, const std::shared_ptr<Order>& order) {
    platform::NotificationCenter::defaultCenter().post(kPlaceOrderNotification,
                                                       std::make_shared<const PlaceOrderReport>(text, order));
}

std::string OrderMananger::text(const std::string& key) const { return services_.text(key); }

bool OrderMananger::refuse(const std::shared_ptr<Order>& order, const std::string& key, const std::string& value) {
    // The value takes the text's "{0}" where it has one, else follows the text.
    const std::string message = text(key);
    if (value.empty()) {
        sendNotification(message, order);
    } else if (message.find("{0}") != std::string::npos) {
        sendNotification(model::Formatter::fillIndexedText(message, {value}), order);
    } else {
        sendNotification(message + " " + value, order);
    }
    return false;
}

}  // namespace orders
