#include "views/core/position_rules.h"

#include <cmath>
#include <map>

#include "model/decimal.h"
#include "model/formatter.h"
#include "model/text_value.h"
#include "views/core/position_cells.h"

namespace views {

namespace {

model::Decimal quantityOf(const std::string& stored) {
    return model::Decimal::fromDouble(model::TextValue::doubleValue(stored));
}

// Quantities carry far fewer places; more would show a sum's binary noise.
constexpr int kQuantityPlaces = 8;

bool hasAll(std::int32_t bits, std::int32_t wanted) { return (bits & wanted) == wanted; }

}  // namespace

std::string quantitySumText(double sum) {
    // The shortest plain text, without the noise of binary fractions ("0.3", not "0.30000000000000004").
    const model::Decimal shown = model::Decimal::fromDouble(sum).rounded(kQuantityPlaces, model::RoundingMode::Plain);
    return shown.isNaN() ? "" : shown.toString();
}

std::string moneyText(double sum) {
    if (!std::isfinite(sum)) return "";
    return model::Formatter::formatDecimalWithString(model::Formatter::formatDecimal(sum, 2)).value_or("");
}

PositionSums positionSums(const PositionRecords& row) {
    PositionSums sums;
    if (!row.order) return sums;
    const model::Order& o = *row.order;
    sums.counted = true;
    sums.quantity = model::TextValue::doubleValue(o.RemainingQty);
    if (row.item)
        if (const auto single = o.GetMarginForSingleLot(row.groupInstrument.get(), *row.item)) {
            sums.hasMargin = true;
            sums.margin = *single * sums.quantity;
        }
    sums.profit = o.UnrealisedPL;
    sums.commission = o.Commision;
    sums.storage = o.Storage;
    return sums;
}

PositionTotals positionTotals(const std::vector<PositionSums>& rows) {
    // Doubles throughout (never single precision), summed in row order.
    double quantity = 0, margin = 0, profit = 0, commission = 0, storage = 0;
    for (const PositionSums& row : rows) {
        if (!row.counted) continue;
        quantity += row.quantity;
        if (row.hasMargin) margin += row.margin;
        profit += row.profit;
        commission += row.commission;
        storage += row.storage;
    }
    PositionTotals t;
    t.values[0] = quantitySumText(quantity);
    t.values[1] = moneyText(profit);
    t.values[2] = moneyText(commission);
    t.values[3] = moneyText(margin);
    t.values[4] = moneyText(storage);
    return t;
}

PositionTotals positionTotals(const std::vector<PositionRecords>& rows) {
    std::vector<PositionSums> sums;
    sums.reserve(rows.size());
    for (const PositionRecords& row : rows) sums.push_back(positionSums(row));
    return positionTotals(sums);
}

OpenPositionMenu openPositionMenu(const PositionRecords& row, const state::Orders& open) {
    OpenPositionMenu menu;
    if (!row.order) return menu;
    const std::int32_t settings = row.groupInstrument ? row.groupInstrument->availableOrderSettings : 0;
    const std::int32_t account = row.account ? row.account->availableOrderTypes : 0;
    const std::int32_t item = row.item ? row.item->availableOrderTypes : 0;
    if (hasAll(settings, permission::kBuy | permission::kSell)) {
        menu.modify = (account & permission::kBracket) && (item & permission::kBracket);
        menu.close = hasAll(account, permission::kClose) && hasAll(item, permission::kClose);
    } else if (hasAll(settings, permission::kDelivery | permission::kBuy)) {
        menu.receipt = true;
    }
    const model::Order& p = *row.order;
    for (const auto& other : open)
        if (other && other.get() != &p && other->AccountNumber == p.AccountNumber && other->ItemCode == p.ItemCode &&
            other->deliveryMode == p.deliveryMode && other->tradingMode != p.tradingMode) {
            menu.offset = true;
            break;
        }
    return menu;
}

std::optional<PendingMenuTitles> pendingOrderMenu(std::int32_t orderType) {
    switch (orderType) {
        case model::Order::kLimit: return PendingMenuTitles{"0254", "0252"};
        case model::Order::kStop: return PendingMenuTitles{"0255", "0253"};
        default: return std::nullopt;
    }
}

std::optional<state::SortDescriptor> positionColumnSort(const std::string& id) {
    using C = state::SortDescriptor::Comparison;
    namespace col = position_column;
    static const std::map<std::string, std::pair<const char*, C>> sorts = {
        {col::kPositionId, {"OpenPositionId", C::Numeric}},  {col::kOrderId, {"PendingOrderId", C::Numeric}},
        {col::kAccount, {"AccountNumber", C::Numeric}},      {col::kCode, {"ItemCode", C::LocalizedStandard}},
        {col::kQuantity, {"RemainingQty", C::Numeric}},      {col::kRemaining, {"RemainingQty", C::Numeric}},
        {col::kOrderQuantity, {"OrderQty", C::Numeric}},     {col::kSide, {"tradingMode", C::Compare}},
        {col::kOrderType, {"orderType", C::Compare}},        {col::kOpenPrice, {"OrderPrice", C::Numeric}},
        {col::kOrderPrice, {"OrderPrice", C::Numeric}},      {col::kProfitLoss, {"UnrealisedPL", C::Compare}},
        {col::kTakeProfit, {"LimitPrice", C::Numeric}},      {col::kStopLoss, {"StopPrice", C::Numeric}},
        {col::kTime, {"TransactionDateTime", C::Compare}},   {col::kOrderTime, {"TransactionDateTime", C::Compare}},
        {col::kCommission, {"Commision", C::Compare}},       {col::kStorage, {"Storage", C::Compare}},
        {col::kBaseCurrency, {"BaseCurrencyRate", C::Compare}}, {col::kDelivery, {"deliveryMode", C::Compare}},
        {col::kBracketOf, {"RefPositionIdOfBracket", C::Numeric}}, {col::kTimeInForce, {"timeinForce", C::Compare}},
        {col::kValueDate, {"ValueDate", C::Compare}},        {col::kExpiryDate, {"ExpiryDate", C::Compare}},
    };
    const auto found = sorts.find(id);
    if (found == sorts.end()) return std::nullopt;
    return state::SortDescriptor{found->second.first, true, found->second.second};
}

CloseDecision closeDecision(const PositionRecords& row, const state::Orders& pending) {
    if (!row.order || !row.groupInstrument ||
        !hasAll(row.groupInstrument->availableOrderSettings, permission::kBuy | permission::kSell))
        return CloseDecision::Nothing;
    model::Decimal closing;
    for (const auto& order : pending)
        if (order && !order->LiqudateOrderNumber().empty() &&
            order->LiqudateOrderNumber() == row.order->OpenPositionId)
            closing = closing + quantityOf(order->OrderQty);
    return closing == quantityOf(row.order->RemainingQty) ? CloseDecision::Covered : CloseDecision::OpenDialog;
}

}  // namespace views
