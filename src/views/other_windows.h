#pragma once
// The windows of other folders that the views open, by the names those
// folders register them under (a main window test checks each is registered).
#include <array>

namespace views::other_windows {

inline constexpr const char* kTradeTicket = "TradeTicketWindowController";
inline constexpr const char* kCloseOrCancel = "ClosendCancelPositionWindowController";
inline constexpr const char* kModifyOrEdit = "ModifyPositionWindowController";
inline constexpr const char* kOffset = "OffsetPositionWindowController";
inline constexpr const char* kCloseAll = "CloseAllWindowController";
inline constexpr const char* kDepositRequest = "DepositRequestWindowController";
inline constexpr const char* kWithdrawalRequest = "WithdrawalRequestWindowController";
inline constexpr std::array<const char*, 7> kAll = {kTradeTicket, kCloseOrCancel, kModifyOrEdit, kOffset,
                                                     kCloseAll,    kDepositRequest, kWithdrawalRequest};

}  // namespace views::other_windows
