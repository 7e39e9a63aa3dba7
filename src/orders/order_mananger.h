#pragma once
// The order manager of one login session: builds and validates order
// requests, sends new orders, closes, edits, offsets, multi-account orders and
// close-alls, confirms pending orders, and holds the margin, price and
// short-selling rules the trading windows use. Its only state is the count of
// confirmations armed; every rule reads the session's records afresh. Main
// thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/decimal.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"
#include "model/offset_position.h"
#include "model/order_info.h"
#include "platform/notification_center.h"
#include "protocol/msg_type.h"

namespace state {
class SessionView;
class SessionServices;
class SessionCommands;
class ReferenceData;
class OrderBook;
}  // namespace state

namespace orders {

class OrderMananger {
public:
    // Reads through `view` and `reference`, sends through `services`, adds the
    // orders it sends to `book`; the session they belong to outlives the order
    // manager. Observes "PendingOrderNotification". Chat requests go through `commands`.
    OrderMananger(const state::SessionView& view, state::SessionServices& services,
                  const state::ReferenceData& reference, state::OrderBook& book, state::SessionCommands& commands);
    OrderMananger(const OrderMananger&) = delete;
    OrderMananger& operator=(const OrderMananger&) = delete;

    // --- Chat (chat_orders.cpp; texts as RTF) -------------------------------
    // An empty room under the partner's user name, unless one is held.
    void CreateRoomforChat(const std::string& roomKey);
    // Sends the text, or asks for the room (601) and parks the text until it exists.
    void SendChat(const std::string& roomKey, const std::string& text);
    void SendNewChatMessageToServer(const std::string& text, const std::string& roomId, const std::string& roomName);
    void SendChatQueueRequest(const std::string& queueId, const std::string& text);

    // --- Placement (order_placement.cpp) ----------------------------------
    // The one road of a new order (60/0), with the order GenerateOrder built
    // (null: nothing): its prices are kept, the checks run again and an order
    // built on an earlier connection is refused (reported, nothing sent); it
    // takes the request id and the server time current when it is sent. The
    // sent order joins the pending orders and the journal.
    void PlaceOrder(const std::shared_ptr<model::Order>& order);
    // The same for a request: PlaceOrder(GenerateOrder(info)).
    void PlaceOrder(const model::OrderInfo& info);
    // The order of a request, or null when a check refused it (reported).
    std::shared_ptr<model::Order> GenerateOrder(const model::OrderInfo& info);
    // "PlaceOrderNotification" with the text; with the order as "ValidationKey" when given.
    void sendNotification(const std::string& text, const std::shared_ptr<model::Order>& order);
    // Kind 0: journal line of a sent new order, and a confirmation armed for a
    // Limit or Stop order; kind 1: "AbortModal"; others nothing.
    void ShowNewOrderMessages(const std::shared_ptr<model::Order>& order, std::int32_t kind);

    // --- Confirmations (order_confirmation.cpp) -----------------------------
    // One armed confirmation shown for the pending order the server reported;
    // nothing when none is armed.
    void ShowOrderConfirmation(const model::Order& pending);
    // Kind 0 bracket edit, 2 modify: "AbortModal"; 1 cancel: "cancelOrder", then "AbortModal".
    void ShowEditOrderMessages(const std::shared_ptr<model::Order>& order, std::int32_t kind);
    std::int32_t armedConfirmations() const { return armedConfirmations_; }

    // --- Partial close and edits (partial_close.cpp, edit_orders.cpp) -------
    // Closes `quantity` of position `orderNo` at the market (60/1).
    void PlacePartialOrder(const model::OrderInfo& info);
    // New take-profit and stop-loss of position `orderNo` (72/0 "EBO").
    void PlaceEditBracketOrder(const model::OrderInfo& info);
    // Cancel (`editorderReqType` 1) or modify (2) of pending order `orderNo` (72 "EWO").
    void PlaceEditWorkingOrder(const model::OrderInfo& info);

    // --- Multi-account orders (bulk_orders.cpp) ------------------------------
    struct AccountQuantity {
        std::int32_t accountId = 0;
        double quantity = 0;
    };
    // The tag-91 list: account 0x05 quantity ("%f") 0x05 `Requestid` + 1 0x06 per
    // account; nullopt when a quantity is not a finite number.
    std::optional<std::string> multiAccountOrderDetails(const std::vector<AccountQuantity>& accounts) const;
    std::shared_ptr<model::Order> GenerateBulkOrderDetails(const model::OrderInfo& info) const;
    // The one road of a multi-account order (77): the order GenerateBulkOrderDetails
    // built and the accounts' own orders GenerateOrder built. Each account's order
    // is checked again as PlaceOrder does (the first refusal is reported and
    // nothing is sent); the accounts' text, the request id and the server time
    // are those of the send.
    void CreateNewBulkOrderMessage(const std::shared_ptr<model::Order>& order,
                                   const std::vector<std::shared_ptr<model::Order>>& accountOrders);

    // --- Offsets (offset_orders.cpp) -----------------------------------------
    // The tag-583 list: position 0x05 total 0x06 0x07, then id 0x05 quantity
    // 0x06 per opposite position, 0x07; nullopt when a value holds a separator.
    static std::optional<std::string> offsetPositionList(const std::string& positionId, const std::string& totalQty,
                                                         const std::vector<model::OffsetPosition>& opposite);
    // The key of the first check the account, instrument and session fail; none: may offset.
    std::optional<std::string> offsetRefusal(const std::string& itemCode, const std::string& accountNumber) const;
    // On false one failure text has been posted, without an order.
    bool validateOffsetPosition(const std::string& itemCode, const std::string& accountNumber);
    // Sends the list unchanged (1052) once the account and instrument may offset.
    void PlaceOffsetOrder(const std::string& offsetList, const std::string& itemCode, const std::string& accountNo);

    // --- Close all (close_all.cpp) -------------------------------------------
    // Request types of the close-positions message.
    static constexpr std::int64_t kCloseAll = 1;
    static constexpr std::int64_t kCloseSelected = 3;
    // Validates the close of one position as a market close of its remainder;
    // a failure carries the order with the position's number.
    void validateBeforeCloseAllPositions(const model::OrderInfo& info);
    void validateBeforeCloseAllPositions(const model::Order& position);
    // The tag-583 list of the positions; nullopt (the reason in `error`) when a
    // value holds a separator byte.
    std::optional<std::string> closePositionsList(const std::vector<std::shared_ptr<model::Order>>& positions,
                                                  std::int64_t requestType, std::string* error = nullptr) const;
    // Sends the close-positions message (82), then "BulkCloseNotification" {"73": "82"}.
    void createBulkClosePositionInfo(const std::vector<std::shared_ptr<model::Order>>& positions,
                                     std::int64_t requestType);

    // --- Validation (order_validation.cpp) --------------------------------
    bool Validate(const std::shared_ptr<model::Order>& order);
    bool VerifyOrder(const std::shared_ptr<model::Order>& order);
    bool validateOrderSettingsRights(const std::shared_ptr<model::Order>& order);
    static bool hasOrderSettingsRights(const model::GroupInstruments* row, std::int32_t mask);
    static bool isContigentOrder(const model::Order& order);
    static bool isOrderAlongWithTPSL(const model::Order& order);

    // --- Margin (margin_check.cpp) ----------------------------------------
    static double getMargin(const model::GroupInstruments* row, std::int32_t deliveryMode);
    // Calls f with each visible open position of the account, instrument and delivery mode, in list order.
    void forEachPositionOf(const std::string& itemCode, const std::string& accountNumber, std::int32_t delivery,
                           const std::function<void(const model::Order&)>& f) const;
    // Adds the open positions of the account, instrument and delivery mode to the totals.
    void getTotalLotsAndCost(const std::string& itemCode, const std::string& accountNumber, std::int32_t delivery,
                             double& totalBuy, double& totalSell, double& totalBuyCost, double& totalSellCost,
                             double& totalRateCost) const;
    void GetTotalLots(const std::string& itemCode, const std::string& accountNumber, std::int32_t delivery,
                      double& totalBuy, double& totalSell) const;
    void getTotalLots(const std::string& itemCode, const std::string& accountNumber, std::int32_t delivery,
                      double& totalBuy, double& totalSell) const {
        GetTotalLots(itemCode, accountNumber, delivery, totalBuy, totalSell);
    }
    static double calulateMargin(double totalBuy, double totalSell, double marginRequired, std::int32_t marginmode,
                                 double overnightMargin, double contractSize, double totalOrderCost, bool isEod,
                                 double liquidationMargin, double totalSellOrderCost, double sellMarginRequired,
                                 bool isOneSideMargin, std::uint64_t marginFormulaId, double baseCurrencyrate);
    static double calculateHedgeMargin(double totalBuy, double totalSell, double margin, double marginPercent);
    static double Hedge(double totalBuy, double totalSell, double margin, double marginPercent, bool netOnly,
                        bool secondFlag);
    bool CheckMargin(const model::Order& order) const;
    // Stores "%.2f" of the hedge margin under "<item code>#<delivery mode>".
    void CalcHedgeMargin(const model::Order& position);

    // --- Price rules (price_rules.cpp) --------------------------------------
    // The remainder of the price on the tick grid; 0 means on the grid.
    static model::Decimal CheckTickPrice(double price, std::int32_t decimalPlaces, double tickSize);
    // The price on the tick grid, rounded down (add false) or up (add true).
    static double doPriceTickCorrection(double tickSize, double price, std::uint32_t decimalPlaces, bool add);
    static double getFluctuationLimitUpPrice(const model::ItemDetails* item);
    static double getFluctuationLimitDownPrice(const model::ItemDetails* item);
    // Whether the price lies within the daily limits; both are written in every case.
    static bool verifyFluctuationLimit(const model::ItemDetails* item, double price, double& up, double& down);
    // On false the limit message has been posted for the order.
    bool verifyCircuitLimit(const model::ItemDetails* item, const std::shared_ptr<model::Order>& order, double price);
    static double CalculateContingentPrice(double price, double distance, bool add);
    // Boundary price of a pending order ("" for order types other than Limit and Stop).
    std::string OrderTypeChange(std::int32_t orderType, std::int32_t side, const std::string& itemCode,
                                std::int32_t accountId, bool hint) const;
    // Boundary price of a take-profit or stop-loss; `buyFlag` is 1 for a buy order.
    std::string UpdateTakeProfitandStopLoss(std::int32_t buyFlag, const std::string& itemCode, bool takeProfit,
                                            std::int32_t accountId, std::int32_t orderType,
                                            const std::string& orderPrice, bool hint) const;

    // --- Short selling (short_selling.cpp) ----------------------------------
    // On false "1196" has been posted for the order.
    bool verifyShortSellAllowed(const std::shared_ptr<model::Order>& order);
    // Open buy lots less open sells, pending standalone sells and one bracket sell per position.
    double getAllowedSellLots(const std::string& itemCode, const std::string& accountNumber,
                              std::int32_t deliveryMode) const;

private:
    // The language text of a key in the selected language.
    std::string text(const std::string& key) const;
    // Reports the key's text (with " " and `value` appended when given) and answers false.
    bool refuse(const std::shared_ptr<model::Order>& order, const std::string& key, const std::string& value = {});
    bool verifyStage1(const std::shared_ptr<model::Order>& order);
    bool verifyEntryPrice(const std::shared_ptr<model::Order>& order, const model::ItemDetails& item,
                          const model::GroupInstruments& row, double price, double bid, double ask);
    bool verifyBracket(const std::shared_ptr<model::Order>& order, const model::ItemDetails& item,
                       const model::GroupInstruments& row, double base);
    std::string boundaryText(const model::ItemDetails* item, double boundary, const char* hintFormat, bool hint) const;
    const model::GroupInstruments* groupInstrumentFor(std::int32_t accountId, const model::ItemDetails* item) const;

    // Empties the shared message and sets the type and the order fields that
    // 60 and 72 share (10, 34, 23, 33, 19, 12, 32, 117, 90, 36).
    void setOrderHead(const model::Order& order, protocol::MsgType type);
    // The order fields every order request ends with (24, 43, 56 ... 78).
    void setOrderTail(const model::Order& order);
    // The checks of an order built earlier, as they answer now, on the
    // connection it was built on; refusals reported.
    bool stillValid(const std::shared_ptr<model::Order>& order);
    // The request id and the server time of the send.
    void stampSendMoment(model::Order& order);
    void sendNewOrder(const std::shared_ptr<model::Order>& order);
    void sendBulkOrder(const std::shared_ptr<model::Order>& order, const std::string& orderDetails);
    // Builds the filled message; false (logged) when nothing was sent.
    bool send(const char* what);

    const state::SessionView& view_;
    state::SessionServices& services_;
    const state::ReferenceData& reference_;
    state::OrderBook& book_;
    state::SessionCommands& commands_;
    std::int32_t armedConfirmations_ = 0;
    platform::ObserverHandle pendingObserver_;
};

}  // namespace orders
