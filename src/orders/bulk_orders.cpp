// One order for several accounts at once (77): the common fields, and the
// accounts with their quantities in tag 91.
#include "model/formatter.h"
#include "model/login_inputdata.h"
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/order_tags.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "protocol/message_base.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/session_view.h"

namespace orders {

namespace {
namespace tag = protocol::tag;
using model::Order;
constexpr std::int32_t kJournalAndConfirm = 0;

bool hasPrices(std::int32_t orderType) {
    return orderType == Order::kMarket || orderType == Order::kLimit || orderType == Order::kStop;
}
std::string bracketPrice(const std::string& text) { return numberOf(text) > 0 ? text : std::string(); }
}  // namespace

std::optional<std::string> OrderMananger::multiAccountOrderDetails(const std::vector<AccountQuantity>& accounts) const {
    const std::int64_t requestId = static_cast<std::int64_t>(services_.requestId()) + 1;
    protocol::RecordWriter w;
    for (const AccountQuantity& a : accounts) w.field(a.accountId).column().fixed6(a.quantity).column().field(requestId).row();
    if (!w.ok()) platform::Log::warning("multiAccountOrderDetails: " + w.error());
    return w.value();
}

std::shared_ptr<Order> OrderMananger::GenerateBulkOrderDetails(const model::OrderInfo& info) const {
    auto o = std::make_shared<Order>();
    const model::ItemDetails* item = findItem(reference_, info.itemCode);
    // An unknown instrument prices at 0 with two decimals.
    const int places = item ? item->DecimalPlaces : 2;
    auto price = [&](double v) { return model::Formatter::formatDecimal(v, places); };
    o->ItemCode = info.itemCode;
    o->OrderQty = info.quantity;  // the accounts' total, for the log; each account's goes in tag 91
    o->orderType = info.orderType;
    o->orderTypeTag = Order::GetOrderTypeTagValue(info.orderType);
    o->deliveryModeTag = Order::GetDeliveryModeTagValue(info.deliveryMode);
    o->setBid(price(item ? item->Bid : 0));
    o->setAsk(price(item ? item->Ask : 0));
    o->setLast(price(item ? item->Last : 0));
    o->setHigh(price(item ? item->High : 0));
    o->setLow(price(item ? item->Low : 0));
    if (hasPrices(info.orderType)) {
        o->OrderPrice = info.tradingMode == Order::kBuy ? o->Ask() : o->Bid();
        if (info.orderType != Order::kMarket && !info.price.empty()) o->OrderPrice = info.price;
        if (!info.limitPrice.empty()) o->LimitPrice = info.limitPrice;
        if (!info.stopPrice.empty()) o->StopPrice = info.stopPrice;
    }
    o->setSpread(std::string(1, '0'));
    o->tradingModeTag = Order::GetTradingModeTagValue(info.tradingMode);
    o->timeinForceTag = Order::GetTimeInForceTagValue(info.timeinForce);
    o->setCurrentStatus(std::string(1, '0'));
    if (item && !item->UpdateTime.empty())
        o->setItemTime(model::Formatter::formatDateandTimeFromString(
                           item->UpdateTime, model::Formatter::kDisplayFormat, model::Formatter::kWireFormat)
                           .value_or(""));
    o->TransactionDateTime = view_.ServerTime();  // the last ping answer's; stamped again at the send
    o->builtOnConnection = view_.connectionNumber();
    o->deviation = info.deviation;
    return o;
}

void OrderMananger::CreateNewBulkOrderMessage(const std::shared_ptr<Order>& order,
                                              const std::vector<std::shared_ptr<Order>>& accountOrders) {
    if (!order || accountOrders.empty()) return;
    std::vector<AccountQuantity> accounts;
    for (const auto& one : accountOrders) {
        if (!one || !stillValid(one)) return;
        accounts.push_back({static_cast<std::int32_t>(numberOf(one->AccountNumber)), numberOf(one->OrderQty)});
    }
    if (const auto details = multiAccountOrderDetails(accounts)) sendBulkOrder(order, *details);
}

void OrderMananger::sendBulkOrder(const std::shared_ptr<Order>& order, const std::string& orderDetails) {
    platform::assertMainThread();
    stampSendMoment(*order);
    protocol::MessageBase& m = services_.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(protocol::MsgType::BulkOrderRequest));
    protocol::TagMap& t = m.messageDataDictionary();
    t.clear();
    t.setNumber(protocol::tag::MessageType, static_cast<int>(protocol::MsgType::BulkOrderRequest));
    t.set(tag::UserName, services_.host().logindata().userName());
    if (services_.referenceId()) t.set(tag::ReferenceId, *services_.referenceId());
    t.set(tag::ItemCode, order->ItemCode);
    t.set(tag::OrderType, std::to_string(order->orderTypeTag));
    t.set(tag::DeliveryMode, std::to_string(order->deliveryModeTag));
    if (hasPrices(order->orderType)) t.set(tag::OrderPrice, order->OrderPrice);
    t.set(tag::LimitPrice, bracketPrice(order->LimitPrice));
    t.set(tag::StopPrice, bracketPrice(order->StopPrice));
    t.set(tag::Spread, order->Spread());
    t.set(tag::Side, std::to_string(order->tradingModeTag));
    t.set(tag::Deviation, std::to_string(order->deviation));
    setOrderTail(*order);
    t.set(tag::AccountOrders, orderDetails);
    if (send("CreateNewBulkOrderMessage")) ShowNewOrderMessages(order, kJournalAndConfirm);
}

}  // namespace orders
