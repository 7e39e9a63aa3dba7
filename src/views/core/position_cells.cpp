#include "views/core/position_cells.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/formatter.h"
#include "model/text_value.h"

namespace views {

namespace {

namespace col = position_column;

std::string fixed(double value, int places) { return fixedText(value, places); }

std::string twoPlaces(double value) { return fixed(value, 2); }

int placesOf(const PositionRecords& row) { return row.item ? row.item->DecimalPlaces : 0; }  // 0 gives 2

// A leg's price, or "0.00" when the order has none.
std::string legPrice(const std::string& stored, int places) {
    if (stored.empty()) return "0.00";
    return fixed(model::TextValue::doubleValue(stored), places);
}

std::string timeInForceText(std::int32_t tif) {
    switch (tif) {
        case 0: return "Unknown";
        case model::Order::kGTC: return "GTC";
        case model::Order::kGTF: return "GTF";
        case model::Order::kDay: return "Day";
        default: return "";
    }
}

bool equityHit(const PositionRecords& row) { return row.account && row.account->tradingStatus == kEquityHitStatus; }

}  // namespace

std::string fixedText(double value, int places) {
    // A value that is not a number shows empty, never "nan".
    if (!std::isfinite(value)) return "";
    return model::Formatter::formatDecimal(value, places);
}

std::string sideText(std::int32_t mode) { return mode == model::Order::kBuy ? "B" : "S"; }

std::string deliveryText(std::int32_t mode) {
    switch (mode) {
        case model::Order::kRegular: return "Regular";
        case model::Order::kIntraday: return "Intraday";
        case model::Order::kBTST: return "BTST";
        default: return "Unknown";
    }
}

std::string orderTypeText(std::int32_t type) {
    switch (type) {
        case model::Order::kOrderTypeNone: return "None";
        case model::Order::kMarket: return "Market";
        case model::Order::kLimit: return "Limit";
        case model::Order::kStop: return "Stop";
        default: return "";
    }
}

std::string priceText(const std::string& stored, const PositionRecords& row) {
    return fixedText(model::TextValue::doubleValue(stored), placesOf(row));
}

const std::vector<std::string>& openPositionColumnIdentifiers() {
    static const std::vector<std::string> ids = {
        col::kPositionId, col::kAccount,   col::kCode,       col::kSide,        col::kQuantity,     col::kOpenPrice,
        col::kClosePrice, col::kProfitLoss, col::kTakeProfit, col::kStopLoss,   col::kMargin,       col::kCommission,
        col::kStorage,    col::kBaseCurrency, col::kDelivery, col::kTime,       col::kValueDate,    col::kExpiryDate};
    return ids;
}

const std::vector<std::string>& pendingOrderColumnIdentifiers() {
    static const std::vector<std::string> ids = {
        col::kOrderId,   col::kAccount,  col::kCode,      col::kSide,        col::kOrderType,   col::kOrderQuantity,
        col::kRemaining, col::kOrderPrice, col::kClosePrice, col::kTakeProfit, col::kStopLoss,  col::kBracketOf,
        col::kTimeInForce, col::kDelivery, col::kOrderTime};
    return ids;
}

bool isNumericPositionColumn(const std::string& id) {
    static const std::vector<std::string> numeric = {
        col::kQuantity,   col::kOrderQuantity, col::kRemaining, col::kOpenPrice, col::kOrderPrice,
        col::kClosePrice, col::kProfitLoss,    col::kTakeProfit, col::kStopLoss, col::kMargin,
        col::kCommission, col::kStorage,       col::kBaseCurrency, col::kSettledPrice, col::kOtherCharges,
        col::kCurrencyRate, col::kAccountCurrencyRate};
    return std::find(numeric.begin(), numeric.end(), id) != numeric.end();
}

std::string quantityText(const std::string& stored) {
    const model::Decimal d = model::Decimal::fromDouble(model::TextValue::doubleValue(stored));
    return d.isNaN() ? "" : d.toString();
}

std::optional<model::Decimal> singleLotMargin(const PositionRecords& row) {
    if (!row.order || !row.item) return std::nullopt;
    const auto m = row.order->GetMarginForSingleLot(row.groupInstrument.get(), *row.item);
    if (!m) return std::nullopt;
    const model::Decimal exact = model::Decimal::fromDouble(*m);
    if (exact.isNaN()) return std::nullopt;
    return exact;
}

std::optional<model::Decimal> positionMargin(const PositionRecords& row) {
    const auto single = singleLotMargin(row);
    if (!single) return std::nullopt;
    const model::Decimal quantity =
        model::Decimal::fromDouble(model::TextValue::doubleValue(row.order->RemainingQty));
    const model::Decimal total = single->multiply(quantity).rounded(2, model::RoundingMode::Plain);
    if (total.isNaN()) return std::nullopt;
    return total;
}

std::string openPositionCellText(const std::string& id, const PositionRecords& row, double columnWidth) {
    if (!row.order) return "";
    model::Order& o = *row.order;
    const int places = placesOf(row);
    if (id == col::kPositionId) return o.OpenPositionId;
    if (id == col::kAccount) return o.AccountNumber;
    if (id == col::kCode) return o.ItemCode;
    if (id == col::kQuantity) return quantityText(o.RemainingQty);
    if (id == col::kSide) return sideText(o.tradingMode);
    if (id == col::kOpenPrice) return priceText(o.OrderPrice, row);
    if (id == col::kProfitLoss) return twoPlaces(o.UnrealisedPL);
    if (id == col::kTakeProfit) return legPrice(o.LimitPrice, places);
    if (id == col::kStopLoss) return legPrice(o.StopPrice, places);
    if (id == col::kTime) return model::Formatter::getDateonColumnResizing(columnWidth, o.TransactionDateTime);
    if (id == col::kCommission) return twoPlaces(o.Commision);
    if (id == col::kStorage) return twoPlaces(o.Storage);
    if (id == col::kBaseCurrency) return fixed(o.BaseCurrencyRate, 6);
    if (id == col::kDelivery) return deliveryText(o.deliveryMode);
    if (id == col::kValueDate) return o.ValueDate;
    if (id == col::kExpiryDate) return o.ExpiryDate;
    if (id == col::kMargin) {
        const auto single = singleLotMargin(row);
        if (!single) return "";
        o.margin = single->toString();
        const auto total = positionMargin(row);
        return total ? twoPlaces(total->toDouble()) : "";
    }
    return "";  // the close price is drawn by the button cell
}

std::string pendingOrderCellText(const std::string& id, const PositionRecords& row, double columnWidth) {
    if (!row.order) return "";
    const model::Order& o = *row.order;
    const int places = placesOf(row);
    if (id == col::kOrderId) return o.PendingOrderId;
    if (id == col::kAccount) return o.AccountNumber;
    if (id == col::kCode) return o.ItemCode;
    if (id == col::kOrderQuantity) return quantityText(o.OrderQty);
    if (id == col::kRemaining) return quantityText(o.RemainingQty);
    if (id == col::kSide) return sideText(o.tradingMode);
    if (id == col::kOrderType) return orderTypeText(o.orderType);
    if (id == col::kOrderPrice) return priceText(o.OrderPrice, row);
    if (id == col::kTakeProfit) return legPrice(o.LimitPrice, places);
    if (id == col::kStopLoss) return legPrice(o.StopPrice, places);
    if (id == col::kClosePrice) {
        if (!row.item || equityHit(row)) return fixed(0, places);
        return fixed(o.tradingMode == model::Order::kBuy ? row.item->Ask : row.item->Bid, places);
    }
    if (id == col::kBracketOf) return o.RefPositionIdOfBracket().empty() ? "0" : o.RefPositionIdOfBracket();
    if (id == col::kTimeInForce) return timeInForceText(o.timeinForce);
    if (id == col::kDelivery) return deliveryText(o.deliveryMode);
    if (id == col::kOrderTime) return model::Formatter::getDateonColumnResizing(columnWidth, o.TransactionDateTime);
    return "";
}

ClosePrice showClosePrice(const PositionRecords& row) {
    if (!row.order || !row.item) return {};
    model::Order& o = *row.order;
    const int places = row.item->DecimalPlaces;
    if (equityHit(row)) return {o.EquityHitPrice(), places, CloseMove::EquityHit};
    const bool buy = o.tradingMode == model::Order::kBuy;
    const double price = buy ? row.item->Bid : row.item->Ask;
    double& last = buy ? o.previousBid : o.previousAsk;
    const CloseMove move = price > last ? CloseMove::Up : price < last ? CloseMove::Down : CloseMove::Same;
    last = price;
    return {price, places, move};
}

}  // namespace views
