// Open positions (execution 67/74, status update 67/73), the bracket prices
// that follow their take-profit and stop-loss legs, and settlements (66).
#include <utility>

#include "platform/log.h"
#include "protocol/tags.h"
#include "platform/main_executor.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/journal_data.h"
#include "state/order_book.h"
#include "state/order_fields.h"
#include "protocol/order_tags.h"
#include "state/profit_loss.h"

namespace state {
namespace tag = protocol::tag;

namespace {

namespace status = protocol::tag::status;

// The paid commission's share of the remaining quantity; unchanged without an initial quantity.
void rescaleCommission(model::Order& o) {
    if (OrderFields::number(o.OrderQty) == 0.0) return;
    o.Commision = ProfitLoss::calcCommission(o.OrderQty, o.RemainingQty, o.CommisionPaid);
}

}  // namespace

void OrderBook::FillOpenOrderCollection(const MessageFields& fields) {
    platform::assertMainThread();
    auto position = std::make_shared<model::Order>();
    position->orderType = model::Order::kMarket;
    bool hasPositionId = false, hasQuantity = false;
    OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
        model::Order& p = *position;
        switch (t) {
            case tag::ItemCode: p.ItemCode = v; break;
            case tag::AlternateRequestId: p.RequestId = OrderFields::integer(v); break;
            case tag::AccountId: p.AccountNumber = v; break;
            case tag::OrderQty:
                p.OrderQty = v;
                hasQuantity = true;
                break;
            case tag::OrderPrice: p.OrderPrice = v; break;
            case tag::ExpiryDate: p.ExpiryDate = OrderFields::date(v); break;
            case tag::ExecutionId: p.ExecutionId = v; break;
            case tag::RemainingQty: p.RemainingQty = v; break;
            case tag::TransactionTime: p.TransactionDateTime = OrderFields::time(v); break;
            case tag::PendingOrderId: p.PendingOrderId = v; break;
            case tag::OpenPositionId:
                p.OpenPositionId = v;
                hasPositionId = true;
                break;
            case tag::BaseCurrencyRate: p.BaseCurrencyRate = OrderFields::number(v); break;
            case tag::Commission: p.Commision = p.CommisionPaid = OrderFields::number(v); break;
            case tag::OrderRouteId: p.OrderRouteId = v; break;
            case tag::ValueDate: p.ValueDate = OrderFields::date(v); break;
            default: break;
        }
    });
    if (!hasPositionId) {
        platform::Log::debug("Execution without a position id: not stored");
        return;
    }
    if (hasQuantity) rescaleCommission(*position);
    // Side, type, delivery mode and brackets come from the order; one still pending wins.
    // The copies by their id index: they grow with every order filled.
    const auto fromOrder = [&](const model::Order& order) {
        position->tradingMode = order.tradingMode;
        position->deliveryMode = order.deliveryMode;
        position->orderType = order.orderType;
        position->StopPrice = order.StopPrice;
        position->LimitPrice = order.LimitPrice;
    };
    if (!position->PendingOrderId.empty()) {
        forEachPendingCopy(position->PendingOrderId, fromOrder);
        for (const auto& order : pending_)
            if (order && order->PendingOrderId == position->PendingOrderId) fromOrder(*order);
    }
    if (holdsOpenPosition(position->OpenPositionId)) return;
    if (OrderFields::isZeroQuantity(position->RemainingQty))
        appendOpenCopy(position);
    else
        appendOpenPosition(position);
    openPositionsChanged();
    orderexecutedNotification(position);
}

void OrderBook::UpdateOpenOrderCollection(const std::optional<std::string>& positionId, const MessageFields& fields,
                                          const std::optional<std::string>& remainingQty) {
    platform::assertMainThread();
    if (!positionId) {
        platform::Log::debug("Position update without a position id: ignored");
        return;
    }
    // By the id index (which keeps up with a removal): each update walked
    // every position, and a close of many read every id again at each.
    if (OrderFields::isZeroQuantity(remainingQty)) {
        if (auto closed = takeOpenPosition(*positionId)) {
            appendOpenCopy(std::move(closed));
            openPositionsChanged();
        }
        return;
    }
    forEachOpenPosition(*positionId, [&](model::Order& position) {
        bool rescale = false;
        OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
            switch (t) {
                case tag::OrderQty: rescale = true; break;
                case tag::OrderPrice: position.OrderPrice = v; break;
                case tag::RemainingQty: position.RemainingQty = v; break;
                case tag::Storage: position.Storage = OrderFields::number(v); break;
                case tag::Commission: position.Commision = position.CommisionPaid = OrderFields::number(v); break;
                default: break;
            }
        });
        if (rescale) rescaleCommission(position);
        openPositionsChanged();
    });
}

void OrderBook::ModifyBracketOrderUpdateonOpenOrderCollection(const MessageFields& fields,
                                                              const std::optional<std::string>& reference,
                                                              std::int32_t code) {
    platform::assertMainThread();
    if (!reference) return;
    const bool legGone = code == status::FullyFilled || code == status::Cancelled || code == status::Rejected;
    forEachOpenPosition(*reference, [&](model::Order& position) {
        std::int32_t legType = 0;
        OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
            if (t == tag::OrderType) legType = OrderFields::integer(v);
            if (t != tag::OrderPrice) return;
            model::CompactText* price = legType == tag::wire::Limit  ? &position.LimitPrice
                                 : legType == tag::wire::Stop ? &position.StopPrice
                                                              : nullptr;
            if (!price) return;
            if (legGone)
                price->clear();
            else
                *price = v;
            openPositionsChanged();
        });
    });
}

void OrderBook::FillSettledOrderCollection(const MessageFields& fields) {
    platform::assertMainThread();
    auto settled = std::make_shared<model::Order>();
    OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
        model::Order& s = *settled;
        switch (t) {
            // The instrument's id here, not its code.
            case tag::ItemCode: s.ItemCode = reference_.itemCode(OrderFields::integer(v)); break;
            case tag::AccountId: s.AccountNumber = v; break;
            case tag::TransactionTime: s.TransactionDateTime = OrderFields::time(v); break;
            case tag::OpenPositionId: s.OpenPositionId = v; break;
            case tag::SettlementId: s.setSettlementId(v); break;
            case tag::ClosingPositionId: s.setClosingPositionId(v); break;
            case tag::SettledPL: s.setSettledPL(v); break;
            case tag::SettledQty: s.setSettledQty(v); break;
            case tag::Storage: s.Storage = OrderFields::number(v); break;
            case tag::CurrencyRate: s.setCurrencyRate(OrderFields::number(v)); break;
            case tag::OtherCharges: s.setOtherCharges(OrderFields::number(v)); break;
            case tag::Commission: s.Commision = OrderFields::number(v); break;
            case tag::AccountCurrencyRate: s.setAccountCurrencyRate(OrderFields::number(v)); break;
            default: break;
        }
    });
    // By the id indexes: walks of every position, copy and settlement for each
    // settlement made a close of many positions quadratic. Of each id, the last
    // position of the lists in order gives its fields.
    const model::CompactText positionId = settled->OpenPositionId, closingId = settled->ClosingPositionId();
    if (!positionId.empty())
        forEachPositionOrCopy(positionId, [&](const model::Order& p) {
            settled->OrderPrice = p.OrderPrice;
            settled->deliveryMode = p.deliveryMode;
            settled->setItemTime(p.TransactionDateTime);
            settled->tradingMode = p.tradingMode;
        });
    if (!closingId.empty())
        forEachPositionOrCopy(closingId, [&](const model::Order& p) { settled->setSettledPrice(p.OrderPrice); });
    if (!settled->SettlementId().empty() && holdsSettlement(settled->SettlementId())) return;
    appendSettlement(settled);
    settledOrdersChanged();
    services_.appendJournal(JournalData::getOrderJournalData(7, *settled, services_.journalContext()));
    ShowSettledOrderNotification(settled->ItemCode + "#" + settled->SettledPrice() + "#" +
                                          settled->SettlementId());
    bulkCloseSettledNotification(settled);
}

}  // namespace state
