#pragma once
// Cell texts of the open positions and pending orders tables by column
// identifier, the margin cell and the open positions' close price with its
// move against the price shown last.
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "model/decimal.h"
#include "views/core/position_records.h"

namespace views {

namespace position_column {
constexpr const char* kPositionId = "0317";
constexpr const char* kOrderId = "0070";
constexpr const char* kAccount = "0012";
constexpr const char* kCode = "0011";
constexpr const char* kQuantity = "0027";
constexpr const char* kOrderQuantity = "0328";
constexpr const char* kRemaining = "0071";
constexpr const char* kSide = "0020";
constexpr const char* kOrderType = "0028";
constexpr const char* kOpenPrice = "0318";
constexpr const char* kOrderPrice = "0232";
constexpr const char* kClosePrice = "0147";  // the current price in the pending table
constexpr const char* kProfitLoss = "0319";
constexpr const char* kTakeProfit = "0233";
constexpr const char* kStopLoss = "0234";
constexpr const char* kTime = "0137";
constexpr const char* kOrderTime = "0326";
constexpr const char* kCommission = "0275";
constexpr const char* kMargin = "0128";
constexpr const char* kBaseCurrency = "30469";
constexpr const char* kStorage = "0432";
constexpr const char* kDelivery = "0132";
constexpr const char* kValueDate = "0478";
constexpr const char* kExpiryDate = "0483";
constexpr const char* kBracketOf = "0287";
constexpr const char* kTimeInForce = "0337";
// The history tables'.
constexpr const char* kSettlementId = "0148";
constexpr const char* kSettledPrice = "0077";
constexpr const char* kOpenPositionRef = "0323";
constexpr const char* kClosingPositionId = "0324";
constexpr const char* kOpenTime = "0325";
constexpr const char* kCloseTime = "0151";
constexpr const char* kOtherCharges = "0439";
constexpr const char* kCurrencyRate = "0434";
constexpr const char* kAccountCurrencyRate = "0830";
constexpr const char* kCancelledTime = "0495";
}  // namespace position_column

// Columns in table order.
const std::vector<std::string>& openPositionColumnIdentifiers();
const std::vector<std::string>& pendingOrderColumnIdentifiers();
// Columns whose values are numbers (right-aligned).
bool isNumericPositionColumn(const std::string& identifier);

// An account in this trading status shows no live price.
constexpr std::int32_t kEquityHitStatus = 5;

// The text of a cell; "" for an unknown identifier or a missing order.
// `columnWidth` is the date column's width in points. The margin cell also
// stores the margin of a quantity of one in the order's `margin`.
std::string openPositionCellText(const std::string& identifier, const PositionRecords& row, double columnWidth);
std::string pendingOrderCellText(const std::string& identifier, const PositionRecords& row, double columnWidth);

// The margin of a quantity of one, exactly as a decimal; none without group
// conditions or an instrument.
std::optional<model::Decimal> singleLotMargin(const PositionRecords& row);
// That margin x RemainingQty, rounded to 2 places half away from zero.
std::optional<model::Decimal> positionMargin(const PositionRecords& row);

// A quantity held as text, read as a double and shown in its shortest form ("2.50" -> "2.5").
std::string quantityText(const std::string& stored);

// Texts every order table shares: "B" for a buy, else "S"; the delivery mode
// ("Unknown" outside 1 to 3); the order type ("" outside 0 to 3); a price
// held as text with the row instrument's places (2 without an instrument).
std::string sideText(std::int32_t mode);
std::string deliveryText(std::int32_t mode);
std::string orderTypeText(std::int32_t type);
std::string priceText(const std::string& stored, const PositionRecords& row);
// Fixed places; "" for a value that is not a number.
std::string fixedText(double value, int places);

enum class CloseMove { Up, Down, Same, EquityHit };
struct ClosePrice {
    double price = std::numeric_limits<double>::quiet_NaN();
    int places = 0;
    CloseMove move = CloseMove::Same;
    // Written only when drawn: a tick reads every row, the screen shows a few.
    std::string text() const { return fixedText(price, places); }
};
// The open position's close price: Bid for a buy, Ask for a sell, compared
// with the price shown last (0 at first), which it then becomes; an account
// in Equity Hit shows EquityHitPrice and keeps the last price. No instrument:
// an empty text.
ClosePrice showClosePrice(const PositionRecords& row);

}  // namespace views
