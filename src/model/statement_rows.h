#pragma once
// The rows of an account statement that extend the instrument and order
// records: instruments with their closing prices, open positions, pending
// orders and settled positions of the period.
#include <cstdint>
#include <string>

#include "model/item_details.h"
#include "model/order.h"

namespace model {

// An instrument of the statement; Bid and Ask hold its closing prices.
class InstrumentHistoryInfo : public ItemDetails {};

class OpenPositionHistoryInfo : public Order {
public:
    std::uint64_t TOPHId = 0;
    std::string TOPDate;
    std::string TOPEntryDateTime;
    std::uint64_t RefOrderTicketId = 0;
    std::uint64_t ConfirmationModeId = 0;
    std::uint64_t TradeRouteId = 0;
    std::uint64_t RoutePositionId = 0;
    double UnRealisedCharges = 0.0;
    std::uint64_t InstrumentId = 0;
    double CurrentPrice = 0.0;
};

class PendingOrderHistoryInfo : public Order {
public:
    std::uint64_t TPOH = 0;
    std::string TPOHDate;
    std::string TPOHEntryDateTime;
    std::uint64_t RefTicketId = 0;
    std::string MinQty;
    std::string DisclosedQty;
    double TralingStopPrice = 0.0;
    double OCOLLimitPrice = 0.0;
    double OCOLStopPrice = 0.0;
    double OCOSLimit = 0.0;
    double OCOSStop = 0.0;
    std::uint64_t TradeRouteId = 0;
    std::int64_t RoutePendingOrderId = 0;
    std::string ExecutedQty;
    std::uint64_t Status = 0;
    std::string TouchQty;
    double TouchPrice = 0.0;
    std::string TouchTime;
    std::uint64_t InstrumentId = 0;
};

class SettledPositionHistoryInfo : public Order {
public:
    std::string OpenDate;
    std::string CloseDate;
    std::uint64_t InstrumentId = 0;
};

}  // namespace model
