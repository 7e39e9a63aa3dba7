#include "views/core/history_cells.h"

#include "model/formatter.h"
#include "model/text_value.h"
#include "views/core/position_cells.h"
#include "views/core/position_rules.h"

namespace views {

namespace {

namespace col = position_column;
using model::Formatter;

constexpr double kTimeOnlyWidth = 135.0;

std::string dateOnWidth(double width, const std::string& stored) {
    if (width > kTimeOnlyWidth) return stored;
    return Formatter::formatDateandTimeFromString(stored, Formatter::kDisplayFormat, Formatter::kTimeFormat).value_or("");
}

std::string orderNumber(const std::string& id) { return id.empty() ? "-" : id; }

std::string twoPlaces(double value) { return fixedText(value, 2); }

std::optional<state::SortDescriptor> numericSort(const char* key) {
    return state::SortDescriptor{key, true, state::SortDescriptor::Comparison::Numeric};
}

}  // namespace

const std::vector<std::string>& cancelledOrderColumnIdentifiers() {
    static const std::vector<std::string> ids = {col::kOrderId,   col::kAccount,    col::kCode,
                                                 col::kSide,      col::kOrderType,  col::kQuantity,
                                                 col::kOrderPrice, col::kDelivery,  col::kCancelledTime};
    return ids;
}

const std::vector<std::string>& settledPositionColumnIdentifiers() {
    static const std::vector<std::string> ids = {
        col::kSettlementId, col::kAccount,         col::kCode,         col::kSide,
        col::kQuantity,     col::kOpenPrice,       col::kSettledPrice, col::kProfitLoss,
        col::kCommission,   col::kStorage,         col::kOtherCharges, col::kDelivery,
        col::kOpenPositionRef, col::kClosingPositionId, col::kOpenTime, col::kCloseTime,
        col::kCurrencyRate, col::kAccountCurrencyRate};
    return ids;
}

const std::vector<std::string>& executedPositionColumnIdentifiers() {
    static const std::vector<std::string> ids = {col::kPositionId, col::kAccount,    col::kCode,    col::kQuantity,
                                                 col::kSide,       col::kOrderPrice, col::kOrderType, col::kOrderId,
                                                 col::kDelivery,   col::kTime};
    return ids;
}

std::string cancelledOrderCellText(const std::string& id, const PositionRecords& row, double columnWidth) {
    if (!row.order) return "";
    const model::Order& o = *row.order;
    if (id == col::kAccount) return o.AccountNumber;
    if (id == col::kCode) return o.ItemCode;
    if (id == col::kQuantity) return quantityText(o.OrderQty);
    if (id == col::kSide) return sideText(o.tradingMode);
    if (id == col::kOrderType) return orderTypeText(o.orderType);
    if (id == col::kOrderPrice) return priceText(o.OrderPrice, row);
    if (id == col::kOrderId) return orderNumber(o.PendingOrderId);
    if (id == col::kDelivery) return deliveryText(o.deliveryMode);
    if (id == col::kCancelledTime) return dateOnWidth(columnWidth, o.TransactionDateTime);
    return "";
}

std::string settledPositionCellText(const std::string& id, const PositionRecords& row, double columnWidth) {
    if (!row.order) return "";
    const model::Order& o = *row.order;
    if (id == col::kSettlementId) return o.SettlementId();
    if (id == col::kAccount) return o.AccountNumber;
    if (id == col::kCode) return o.ItemCode;
    if (id == col::kQuantity) return quantityText(o.SettledQty());
    if (id == col::kSide) return sideText(o.tradingMode);
    if (id == col::kOpenPrice) return priceText(o.OrderPrice, row);
    if (id == col::kSettledPrice) return priceText(o.SettledPrice(), row);
    if (id == col::kProfitLoss) return twoPlaces(model::TextValue::doubleValue(o.SettledPL()));
    if (id == col::kCommission) return twoPlaces(o.Commision);
    if (id == col::kStorage) return twoPlaces(o.Storage);
    if (id == col::kDelivery) return deliveryText(o.deliveryMode);
    if (id == col::kOpenPositionRef) return o.OpenPositionId;
    if (id == col::kClosingPositionId) return o.ClosingPositionId();
    if (id == col::kOpenTime) return dateOnWidth(columnWidth, o.ItemTime());
    if (id == col::kCloseTime)
        return Formatter::formatDateandTimeFromString(o.TransactionDateTime, Formatter::kDisplayFormat,
                                                      Formatter::kTimeFormat)
            .value_or("");
    if (id == col::kOtherCharges) return twoPlaces(o.OtherCharges());
    if (id == col::kCurrencyRate) return fixedText(o.CurrencyRate(), row.item ? row.item->DecimalPlaces : 0);
    if (id == col::kAccountCurrencyRate) return fixedText(o.accountCurrencyRate(), 6);
    return "";
}

std::string executedPositionCellText(const std::string& id, const PositionRecords& row, double columnWidth) {
    if (!row.order) return "";
    const model::Order& o = *row.order;
    if (id == col::kPositionId) return o.OpenPositionId;
    if (id == col::kAccount) return o.AccountNumber;
    if (id == col::kCode) return o.ItemCode;
    if (id == col::kQuantity)
        return quantityText(model::TextValue::doubleValue(o.RemainingQty) != 0 ? o.RemainingQty : o.OrderQty);
    if (id == col::kSide) return sideText(o.tradingMode);
    if (id == col::kOrderPrice) return priceText(o.OrderPrice, row);
    if (id == col::kOrderType) return orderTypeText(o.orderType);
    if (id == col::kOrderId) return orderNumber(o.PendingOrderId);
    if (id == col::kDelivery) return deliveryText(o.deliveryMode);
    if (id == col::kTime) return dateOnWidth(columnWidth, o.TransactionDateTime);
    return "";
}

std::optional<state::SortDescriptor> cancelledColumnSort(const std::string& id) {
    if (id == col::kQuantity) return numericSort("OrderQty");
    if (id == col::kCancelledTime) return positionColumnSort(col::kTime);
    return positionColumnSort(id);
}

std::optional<state::SortDescriptor> settledColumnSort(const std::string& id) {
    if (id == col::kQuantity) return numericSort("SettledQty");
    if (id == col::kProfitLoss) return numericSort("SettledPL");
    if (id == col::kSettlementId) return numericSort("SettlementId");
    if (id == col::kSettledPrice) return numericSort("SettledPrice");
    if (id == col::kOpenPositionRef) return numericSort("OpenPositionId");
    if (id == col::kClosingPositionId) return numericSort("ClosingPositionId");
    if (id == col::kOpenTime) return state::SortDescriptor{"ItemTime"};
    if (id == col::kCloseTime) return positionColumnSort(col::kTime);
    if (id == col::kOtherCharges) return state::SortDescriptor{"OtherCharges"};
    if (id == col::kCurrencyRate) return state::SortDescriptor{"CurrencyRate"};
    if (id == col::kAccountCurrencyRate) return state::SortDescriptor{"accountCurrencyRate"};
    return positionColumnSort(id);
}

}  // namespace views
