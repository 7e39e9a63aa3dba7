#pragma once
// Names of the notifications the session posts.

namespace state::notifications {

inline constexpr const char* kOpenPositionTable = "OpenPositionTableNotification";
inline constexpr const char* kPieChartUpdate = "PieChartUpdateNotification";
inline constexpr const char* kPendingOrderTable = "PendingOrderTableNotification";
inline constexpr const char* kSettledPositionTable = "SettledPositionTableNotification";
inline constexpr const char* kCancelledOrderTable = "CancelledOrderTableNotification";
inline constexpr const char* kExecutedPositionTable = "ExecutedPositionTableNotification";
inline constexpr const char* kJournalTable = "JournalTableNotification";
// A resource file was skipped: the resources list says it is not available.
inline constexpr const char* kResourceUnavailable = "ResourceUnavailableNotification";

inline constexpr const char* kLoginSuccess = "LoginSuccessNotification";
inline constexpr const char* kNetworkSpeed = "NetworkSpeedNotification";
inline constexpr const char* kSendLoginRegistrationRequest = "SendLoginRegistrationRequest";
inline constexpr const char* kPasswordChange = "PasswordChangeNotification";
inline constexpr const char* kDemoUserCreation = "DemoUserCreationNotification";
inline constexpr const char* kWatchlistUpdate = "WatchlistUpdateNotification";
inline constexpr const char* kWatchlistTable = "WatchlistTableNotification";
// The watchlist editor saved: the ticket refills its instrument list.
inline constexpr const char* kItemUpdate = "ItemUpdateNotification";
inline constexpr const char* kChatRoomCreation = "ChatRoomCreationNotification";
inline constexpr const char* kCloseHedgePosition = "CloseHedgePositionNotification";
inline constexpr const char* kChatQueueStatusUpdate = "ChatQueueStatusUpdate";
inline constexpr const char* kUpdateChatMessage = "UpdateChatMessageNotification";
inline constexpr const char* kNoticeMessage = "NoticeMessageNotification";
inline constexpr const char* kUserStatus = "UserStatusNotification";
// After a contact list was applied (the chat window rebuilds its outline).
inline constexpr const char* kChatContactList = "ChatContactListNotification";
inline constexpr const char* kBulkClose = "BulkCloseNotification";
inline constexpr const char* kPendingOrder = "PendingOrderNotification";
inline constexpr const char* kDepositWithdrawalTable = "DepositWithdrawalTableNotification";
inline constexpr const char* kAccountStatement = "AccountStatementNotification";
inline constexpr const char* kBankDetails = "BankDetailsNotification";
inline constexpr const char* kNoticeMessageReceived = "NoticeMessageReceivedNotification";
inline constexpr const char* kRecentConversationReceived = "RecentConversationReceivedNotification";
inline constexpr const char* kPayGateTransaction = "PayGateTransactionNotification";
inline constexpr const char* kDepositRequest = "DepositRequestNotification";
inline constexpr const char* kWithdrawalRequest = "WithdrawalRequestNotification";
inline constexpr const char* kChartDataReceived = "ChartDataReceivedNotification";
// The same name without a suffix, with the chart key of the answer as object.
inline constexpr const char* kChartDataKeyReceived = "ChartDataReceivedNotification";
inline constexpr const char* kMarketSessionSchedule = "MarketSessionScheduleNotification";
inline constexpr const char* kUserAccountMap = "UserAccountMapNotification";
inline constexpr const char* kEditUserAccountAccessSuccess = "EditUserAccountAccessSucessNotification";
inline constexpr const char* kEditUserAccountAccessFailure = "EditUserAccountAccessFailureNotification";

}  // namespace state::notifications
