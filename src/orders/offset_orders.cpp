// Offsetting hedged positions of one account and instrument (1052).
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

// Where the order checks would let a close through, an offset is refused with "1072".
const char* tradingStatusRefusal(std::int32_t status) {
    switch (status) {
        case 2:
        case 4:
        case 6: return "1072";
        case 3: return "0334";
        case 5: return "0333";
        default: return nullptr;
    }
}
}  // namespace

std::optional<std::string> OrderMananger::offsetPositionList(const std::string& positionId,
                                                             const std::string& totalQty,
                                                             const std::vector<model::OffsetPosition>& opposite) {
    protocol::RecordWriter w;
    w.field(positionId).column().field(totalQty).row().section();
    for (const model::OffsetPosition& p : opposite) w.field(p.postionId).column().field(p.offsetQty).row();
    w.section();
    if (!w.ok()) platform::Log::warning("offsetPositionList: " + w.error());
    return w.value();
}

std::optional<std::string> OrderMananger::offsetRefusal(const std::string& itemCode,
                                                        const std::string& accountNumber) const {
    const OrderRecords r = lookUp(reference_, accountNumber, itemCode);
    const model::SessionSettings* settings = findSession(reference_, r.item);
    if (!settings) return "1049";
    if (settings->settingsID != 0 && settings->settingsID != 1) return "1071";
    const std::int32_t status = r.account ? r.account->tradingStatus : 0;
    if (const char* key = tradingStatusRefusal(status)) return key;
    const std::int32_t access = r.account ? r.account->accountaccessType : 0;
    if (access == 2 || access == 3) return "1072";
    if (!r.group || !r.group->TradingEnabled) return "1072";
    if (!r.groupInstrument) return "1075";
    return std::nullopt;
}

bool OrderMananger::validateOffsetPosition(const std::string& itemCode, const std::string& accountNumber) {
    const auto key = offsetRefusal(itemCode, accountNumber);
    return !key || refuse(nullptr, *key);
}

void OrderMananger::PlaceOffsetOrder(const std::string& offsetList, const std::string& itemCode,
                                     const std::string& accountNo) {
    platform::assertMainThread();
    if (!validateOffsetPosition(itemCode, accountNo)) return;
    protocol::MessageBase& m = services_.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(protocol::MsgType::CloseHedgedPositions));
    protocol::TagMap& t = m.messageDataDictionary();
    t.clear();
    t.setNumber(protocol::tag::MessageType, static_cast<int>(protocol::MsgType::CloseHedgedPositions));
    t.set(tag::AccountId, accountNo);
    t.set(tag::ItemCode, itemCode);
    t.set(tag::PositionList, offsetList);
    t.set(tag::UserName, services_.host().logindata().userName());
    if (services_.referenceId()) t.set(tag::ReferenceId, *services_.referenceId());
    // The last ping answer's time; none before the first answer.
    if (const std::string time = view_.ServerTime(); !time.empty()) t.set(tag::ServerTime, time);
    // Fire and forget: the dialog closes on the server's answer.
    send("PlaceOffsetOrder");
}

}  // namespace orders
