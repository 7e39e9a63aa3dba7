#pragma once
// The tags of the order requests (60, 72, 77, 82, 1052) that the order manager fills.
#include <cstdint>

namespace protocol::tag::order_request {

inline constexpr std::int64_t ItemCode = 12;
inline constexpr std::int64_t CloseRequestId = 20;   // 82: `Requestid` + 1
inline constexpr std::int64_t ServerTime = 21;       // 82, 1052
inline constexpr std::int64_t ReferenceId = 19;
inline constexpr std::int64_t UserName = 23;
inline constexpr std::int64_t CurrentStatus = 24;
inline constexpr std::int64_t OrderType = 32;
inline constexpr std::int64_t RequestId = 33;
inline constexpr std::int64_t AccountId = 34;
inline constexpr std::int64_t Side = 36;
inline constexpr std::int64_t Quantity = 37;
inline constexpr std::int64_t OrderPrice = 38;
inline constexpr std::int64_t TakeProfitPrice = 39;
inline constexpr std::int64_t StopLossPrice = 40;
inline constexpr std::int64_t TimeInForce = 43;
inline constexpr std::int64_t Ask = 54;
inline constexpr std::int64_t Bid = 56;
inline constexpr std::int64_t High = 60;
inline constexpr std::int64_t Last = 61;
inline constexpr std::int64_t Low = 62;
inline constexpr std::int64_t InstrumentTime = 67;
inline constexpr std::int64_t Deviation = 77;
inline constexpr std::int64_t PendingOrderId = 79;   // 72 "EWO": the pending order edited
inline constexpr std::int64_t AccountOrders = 91;    // 77: account, quantity, request id per record
inline constexpr std::int64_t TransactionTime = 78;
inline constexpr std::int64_t Spread = 90;
inline constexpr std::int64_t DeliveryMode = 117;
inline constexpr std::int64_t ClosedPosition = 125;  // 60/1: the position closed
inline constexpr std::int64_t BracketPosition = 573; // 72 "EBO": the position whose bracket changes
inline constexpr std::int64_t PositionList = 583;    // 82, 1052
inline constexpr std::int64_t EditMarker = 1035;     // 72: "EBO" or "EWO"

}  // namespace protocol::tag::order_request
