#pragma once
// The tags of the order messages, beside the common ones of tags.h: what the
// order requests (60, 72, 77, 82, 1052) carry and what the order status (62),
// execution (67), settlement (66) and account summary (1045) messages hold.
// Each number is named once, here or in tags.h.
#include <cstdint>

#include "protocol/tags.h"

namespace protocol::tag {

inline constexpr std::int64_t CurrentStatus = 24;  // an order's status; an account's trading status in a summary
inline constexpr std::int64_t OrderType = 32;
inline constexpr std::int64_t Side = 36;
inline constexpr std::int64_t OrderQty = 37;
inline constexpr std::int64_t OrderPrice = 38;
inline constexpr std::int64_t LimitPrice = 39;  // take-profit
inline constexpr std::int64_t StopPrice = 40;   // stop-loss
inline constexpr std::int64_t TimeInForce = 43;
inline constexpr std::int64_t ExpiryDate = 44;
inline constexpr std::int64_t Ask = 54;
inline constexpr std::int64_t Bid = 56;
inline constexpr std::int64_t High = 60;
inline constexpr std::int64_t Last = 61;
inline constexpr std::int64_t Low = 62;
inline constexpr std::int64_t InstrumentTime = 67;
inline constexpr std::int64_t ExecutionId = 72;
inline constexpr std::int64_t Deviation = 77;
inline constexpr std::int64_t TransactionTime = 78;
inline constexpr std::int64_t TicketId = 81;
inline constexpr std::int64_t UsedMargin = 84;
inline constexpr std::int64_t AvailableMargin = 85;
inline constexpr std::int64_t SettlementId = 86;
inline constexpr std::int64_t ClosingPositionId = 87;
inline constexpr std::int64_t SettledPL = 88;
inline constexpr std::int64_t SettledQty = 89;
inline constexpr std::int64_t Spread = 90;
inline constexpr std::int64_t DeliveryMode = 117;
inline constexpr std::int64_t OneSideMargin = 120;
inline constexpr std::int64_t MarginStatus = 129;
inline constexpr std::int64_t Equity = 130;
inline constexpr std::int64_t LeverageOnPositions = 132;
inline constexpr std::int64_t Storage = 141;  // accumulated storage in a summary
inline constexpr std::int64_t CurrencyRate = 142;
inline constexpr std::int64_t OtherCharges = 143;
inline constexpr std::int64_t CollateralSecurity = 144;
inline constexpr std::int64_t BaseCurrencyRate = 162;
inline constexpr std::int64_t Commission = 545;
inline constexpr std::int64_t Balance = 560;
inline constexpr std::int64_t OrderRouteId = 570;
inline constexpr std::int64_t ValueDate = 585;
inline constexpr std::int64_t AccountCurrencyRate = 604;

// Wire values of the enumerations in order messages.
namespace wire {
inline constexpr std::int32_t Market = 29;
inline constexpr std::int32_t Limit = 30;
inline constexpr std::int32_t Stop = 31;
inline constexpr std::int32_t Buy = 45;
inline constexpr std::int32_t Sell = 46;
inline constexpr std::int32_t GTC = 47;
inline constexpr std::int32_t GTF = 48;
inline constexpr std::int32_t Day = 54;
inline constexpr std::int32_t Regular = 51;
inline constexpr std::int32_t Intraday = 52;
inline constexpr std::int32_t BTST = 53;
// Account trading status in a summary.
inline constexpr std::int32_t StatusNormal = 814;
inline constexpr std::int32_t StatusViewOnly = 815;
inline constexpr std::int32_t StatusSuspended = 816;
inline constexpr std::int32_t StatusClosePositionOnly = 817;
inline constexpr std::int32_t StatusClosed = 819;
inline constexpr std::int32_t StatusEquityHit = 825;
}  // namespace wire

}  // namespace protocol::tag
