#pragma once
// The order manager of one login session: builds and validates order
// requests, sends new orders, and holds the margin, price and short-selling
// rules the trading windows use. It keeps no state of its own; every rule
// reads the session's records afresh. Main thread only.
#include <cstdint>
#include <memory>
#include <string>

#include "model/decimal.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"
#include "model/order_info.h"

namespace state {
class BusinessBase;
}

namespace orders {

class OrderMananger {
public:
    // The session outlives the order manager.
    explicit OrderMananger(state::BusinessBase& session) : session_(session) {}

    // --- Placement (order_placement.cpp) ----------------------------------
    // Whether the request would pass every check; a failure has been reported. Sends nothing.
    bool ValidationsBeforeOrderPlacing(const model::OrderInfo& info);
    // Builds, validates and sends one new order (60/0); the sent order joins the
    // pending orders and the journal.
    void PlaceOrder(const model::OrderInfo& info);
    // The order of a request, or null when a check refused it (reported).
    std::shared_ptr<model::Order> GenerateOrder(const model::OrderInfo& info);
    // "PlaceOrderNotification" with the text; with the order as "ValidationKey" when given.
    void sendNotification(const std::string& text, const std::shared_ptr<model::Order>& order);
    // Kind 0: journal line of a sent new order; kind 1: "AbortModal"; others nothing.
    void ShowNewOrderMessages(const std::shared_ptr<model::Order>& order, std::int32_t kind);

    // --- Validation (order_validation.cpp) --------------------------------
    bool Validate(const std::shared_ptr<model::Order>& order);
    bool VerifyOrder(const std::shared_ptr<model::Order>& order);
    bool validateOrderSettingsRights(const std::shared_ptr<model::Order>& order);
    static bool hasOrderSettingsRights(const model::GroupInstruments* row, std::int32_t mask);
    static bool isContigentOrder(const model::Order& order);
    static bool isOrderAlongWithTPSL(const model::Order& order);

    // --- Margin (margin_check.cpp) ----------------------------------------
    static double getMargin(const model::GroupInstruments* row, std::int32_t deliveryMode);
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

    state::BusinessBase& session_;
};

}  // namespace orders
