#pragma once
// What the close/cancel and modify/edit dialogs show and send: quantities,
// titles, prices, the estimated profit, and each request record.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/item_details.h"
#include "model/order.h"
#include "model/order_info.h"
#include "state/session_view.h"

namespace trading {

inline constexpr std::size_t kUnitListCap = 1000;

using KeyText = std::function<std::string(const std::string& key)>;

// The quantity still free to close: RemainingQty less the OrderQty of every
// pending order whose LiqudateOrderNumber is the position's OpenPositionId.
double closableQuantity(const model::Order& position, const state::Orders& pending);
// "1", "2", ... up to `quantity` truncated, at most `cap` entries; empty below 1
// or for a value that is not a number.
std::vector<std::string> unitQuantityList(double quantity, std::size_t cap = kUnitListCap);
// "%@ x %.2f = %.2f": the quantity text, the contract size, their product.
std::string quantityDescription(const std::string& quantityText, double contractSize);
// The key of the shown name of order types 0 to 3 (None, Market, Limit, Stop); nullopt otherwise.
std::optional<std::string> orderTypeKey(std::int32_t orderType);
// "%@ #%@".
std::string numberedTitle(const std::string& prefix, const std::string& id);
// A price with the instrument's decimals; 2 without an instrument.
std::string priceText(double price, const model::ItemDetails* item);
std::string priceText(const std::string& price, const model::ItemDetails* item);

// --- Close (mode 0) and cancel (mode 1) -------------------------------------------
// Side text key of a position's close: "0010" for a buy, "0009" for a sell, else "".
std::string closeSideKey(std::int32_t tradingMode);
// The price that closes a position: Bid for a buy, Ask for a sell.
std::optional<double> closingPrice(const model::ItemDetails& item, std::int32_t tradingMode);
// The live price of a pending order's side: Ask for a buy, Bid for a sell.
std::optional<double> pendingSidePrice(const model::ItemDetails& item, std::int32_t tradingMode);
// "%@ #%@ (%@ %@ %@ @ %@)" of "90590" (closing a position, not a window), the id, side text, quantity, code, "0068".
std::string closeButtonTitle(const KeyText& text, const model::Order& position, const std::string& quantity);
// Button prefix key of a cancel: "", "0819", "0252", "0253" for types 0 to 3.
std::string cancelPrefixKey(std::int32_t orderType);
// "%.2f" of the floating profit of `quantity` at the closing price, in the account currency.
std::string estimatedPLText(const state::SessionView& session, const model::Order& position,
                            const model::ItemDetails* item, double quantity);
// The field's integer when ticked, else -1.
std::int32_t closeDeviation(bool ticked, const std::string& text);

// To PlacePartialOrder: the opposite side at market, the typed quantity.
model::OrderInfo closeRequest(const model::Order& position, const std::string& quantity, std::int32_t deviation);
// To PlaceEditWorkingOrder: cancel (editorderReqType 1).
model::OrderInfo cancelRequest(const model::Order& order);

// --- Modify (mode 0) and edit (mode 1) --------------------------------------------
// Title prefix key of an edit: "", "0820", "0254", "0255" for types 0 to 3.
std::string editPrefixKey(std::int32_t orderType);
// Side argument of the bracket suggestion: 1 for a buy row, else 0.
std::int32_t suggestionBuyFlag(std::int32_t tradingMode);

struct ModifyEntries {
    std::string quantity;
    std::string price;  // edit only
    std::string takeProfit;
    std::string stopLoss;
    bool takeProfitTicked = false;
    bool stopLossTicked = false;
};
// To PlaceEditBracketOrder: the position's bracket.
model::OrderInfo bracketRequest(const model::Order& position, const ModifyEntries& entries);
// To PlaceEditWorkingOrder: modify (editorderReqType 2).
model::OrderInfo editRequest(const model::Order& order, const ModifyEntries& entries);

// AccountNumber as the request's accountNo; 0 when it is not a 32-bit integer.
std::int32_t accountNumberOf(const std::string& text);

}  // namespace trading
