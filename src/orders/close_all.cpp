// Closing all or selected open positions in one request (82).
#include <chrono>
#include <string_view>

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
#include "platform/code_set.h"
#include "state/reference_data.h"
#include "state/session_view.h"
#include "state/session_services.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"

namespace orders {

namespace {
namespace tag = protocol::tag;
using model::Order;

// Status "73" of the "BulkCloseNotification" that says the request went out.
constexpr const char* kBulkCloseSent = "82";
constexpr std::int64_t kListConstant = 2;
constexpr int kTrailingZeroSections = 4;

// Each value once, in first-seen order; `seen` views the positions' own texts.
void addDistinct(std::vector<std::string>& list, platform::CodeSet& seen, std::string_view value) {
    if (seen.insert(value)) list.emplace_back(value);
}
}  // namespace

void OrderMananger::validateBeforeCloseAllPositions(const model::OrderInfo& info) {
    // Failures have been posted with the order; success posts nothing.
    GenerateOrder(info);
}

void OrderMananger::validateBeforeCloseAllPositions(const Order& position) {
    model::OrderInfo info;
    info.itemCode = position.ItemCode;
    info.accountNo = static_cast<std::int32_t>(numberOf(position.AccountNumber));
    info.orderType = Order::kMarket;
    info.tradingMode = position.tradingMode == Order::kBuy ? Order::kSell : Order::kBuy;
    info.deliveryMode = position.deliveryMode;
    info.timeinForce = position.timeinForce;
    info.quantity = info.previousQuantity = position.RemainingQty;
    info.orderNo = position.OpenPositionId;
    info.isCloseNew = true;
    info.deviation = -1;
    validateBeforeCloseAllPositions(info);
}

std::optional<std::string> OrderMananger::closePositionsList(const std::vector<std::shared_ptr<Order>>& positions,
                                                             std::int64_t requestType, std::string* error) const {
    std::vector<std::string> accounts, codes;
    // By sets, not by a walk of the list for each position.
    platform::CodeSet seenAccounts, seenCodes;
    seenAccounts.reserve(positions.size());
    seenCodes.reserve(positions.size());
    for (const auto& p : positions) {
        if (!p) continue;
        addDistinct(accounts, seenAccounts, p->AccountNumber);
        addDistinct(codes, seenCodes, p->ItemCode);
    }
    protocol::RecordWriter w;
    for (const std::string& account : accounts) w.field(account).row();
    w.section().field(requestType).section().field(kListConstant).section();
    for (const auto& p : positions)
        if (p) w.field(static_cast<unsigned long long>(view_.getItemIdForItemCode(p->ItemCode))).row();
    w.section();
    if (requestType == kCloseSelected)
        for (const auto& p : positions)
            if (p) w.field(p->OpenPositionId).column().column().field(p->RemainingQty).column().field(p->AccountNumber).row();
    w.section();
    for (const std::string& code : codes) {
        const model::ItemDetails* item = findItem(reference_, code);
        const std::string time = item ? model::Formatter::formatDateandTimeFromString(
                                            item->UpdateTime, model::Formatter::kDisplayFormat,
                                            model::Formatter::kWireFormat)
                                            .value_or("")
                                      : std::string();
        w.field(static_cast<long long>(item ? item->InstrumentId : 0)).column();
        w.fixed6(item ? item->Bid : 0).column().fixed6(item ? item->Ask : 0).column().field(time).row();
    }
    w.section();
    for (int i = 0; i < kTrailingZeroSections; ++i) w.field(0).section();
    w.section();
    if (!w.ok()) {
        if (error) *error = w.error();
        platform::Log::warning("closePositionsList: " + w.error() + "; nothing sent");
    }
    return w.value();
}

void OrderMananger::createBulkClosePositionInfo(const std::vector<std::shared_ptr<Order>>& positions,
                                                std::int64_t requestType) {
    platform::assertMainThread();
    const auto list = closePositionsList(positions, requestType);
    if (!list) return;
    protocol::MessageBase& m = services_.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(protocol::MsgType::ClosePositionsRequest));
    protocol::TagMap& t = m.messageDataDictionary();
    t.clear();
    t.setNumber(protocol::tag::MessageType, static_cast<int>(protocol::MsgType::ClosePositionsRequest));
    t.set(tag::PositionList, *list);
    // The request id the server answers with; the session's own counter stays.
    t.set(tag::RequestId, std::to_string(static_cast<std::int64_t>(services_.requestId()) + 1));
    t.set(tag::UserName, services_.host().logindata().userName());
    if (services_.referenceId()) t.set(tag::ReferenceId, *services_.referenceId());
    if (const auto& date = services_.serverDate())
        t.set(tag::ServerTime, model::Formatter::setPackedFormat(
                                   std::chrono::time_point_cast<std::chrono::milliseconds>(*date)));
    if (!send("createBulkClosePositionInfo")) return;
    auto sent = std::make_shared<state::BulkCloseResult>();
    sent->status = kBulkCloseSent;
    platform::NotificationCenter::defaultCenter().post(state::notifications::kBulkClose, sent);
}

}  // namespace orders
