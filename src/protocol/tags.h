#pragma once
// The tags the client reads or writes outside the builders' layout tables.
#include <cstdint>

namespace protocol::tag {

inline constexpr std::int64_t MessageType = 10;
inline constexpr std::int64_t ItemCode = 12;
inline constexpr std::int64_t ResultText = 17;            // result text; chart-data answer key
inline constexpr std::int64_t Password = 18;              // login request; the demo user's password
inline constexpr std::int64_t ReferenceId = 19;
inline constexpr std::int64_t RequestId = 20;
inline constexpr std::int64_t ServerTime = 21;            // "yyyyMMddHHmmss"
inline constexpr std::int64_t UserName = 23;
inline constexpr std::int64_t CipherText = 27;            // Base64 of an envelope's ciphertext
inline constexpr std::int64_t AlternateRequestId = 33;  // the request id of the order messages
inline constexpr std::int64_t AccountId = 34;
inline constexpr std::int64_t StatusCode = 73;
inline constexpr std::int64_t RejectionCode = 74;
inline constexpr std::int64_t RemainingQty = 76;
inline constexpr std::int64_t PendingOrderId = 79;
inline constexpr std::int64_t OpenPositionId = 80;
inline constexpr std::int64_t ChartInterval = 83;
inline constexpr std::int64_t NewPassword = 103;
inline constexpr std::int64_t OldPassword = 104;
inline constexpr std::int64_t ProductVersion = 114;
inline constexpr std::int64_t UserId = 115;
inline constexpr std::int64_t ServerMessage = 105;        // in the login request: the device's address
inline constexpr std::int64_t AccountOrders = 91;          // record form
inline constexpr std::int64_t LiquidateOrderNumber = 125;  // the position an order closes; close all's reference
inline constexpr std::int64_t DataServiceRequestName = 151;
inline constexpr std::int64_t DataServicePageSize = 152;  // "1000"
inline constexpr std::int64_t DataServicePage = 153;      // "1"
inline constexpr std::int64_t DataServiceResult = 159;    // record form in requests
inline constexpr std::int64_t DataFormat = 160;           // "PACKED" or XML
inline constexpr std::int64_t ChatMessageRoom = 502;
inline constexpr std::int64_t ContactListMode = 520;
inline constexpr std::int64_t AcknowledgedMessage = 505;  // record form
inline constexpr std::int64_t ChatRoomKey = 503;
inline constexpr std::int64_t DeviceUserName = 504;
inline constexpr std::int64_t TransactionDetails = 551;
inline constexpr std::int64_t ProductName = 563;
inline constexpr std::int64_t BracketReference = 573;
inline constexpr std::int64_t TradeSessionSettingId = 574;
inline constexpr std::int64_t FromDate = 575;              // "yyyyMMddHHmmss"
inline constexpr std::int64_t ToDate = 576;
inline constexpr std::int64_t MarketId = 581;
inline constexpr std::int64_t PositionList = 583;          // record form
inline constexpr std::int64_t DeviceModel = 1018;
inline constexpr std::int64_t NumberOfPoints = 1025;
inline constexpr std::int64_t ChatQueueId = 1026;
inline constexpr std::int64_t ActionType = 1035;  // 72: "EBO" or "EWO"; an approval's action
inline constexpr std::int64_t CompressedPayload = 1050;
inline constexpr std::int64_t ApprovalRecord = 1059;       // record form
// Chat messages (601 to 680).
inline constexpr std::int64_t ChatText = 17;                // RTF text; a record list in 614, 616, 627
inline constexpr std::int64_t ChatUserStatus = 24;          // 619
inline constexpr std::int64_t NoticeTitle = 161;
inline constexpr std::int64_t ChatRoomId = 501;
inline constexpr std::int64_t ChatMessageId = 506;
inline constexpr std::int64_t ChatAcknowledgementBlank = 507;  // always sent empty
inline constexpr std::int64_t ChatSenderDisplayName = 517;
inline constexpr std::int64_t ChatContactUsers = 521;       // record form
inline constexpr std::int64_t ChatContactGroups = 522;      // record form
inline constexpr std::int64_t AddUserToRoomMode = 530;
inline constexpr std::int64_t ChatQueueAnswer = 572;
inline constexpr std::int64_t ChatQueues = 1019;            // record form
inline constexpr std::int64_t ChatDisplayNames = 1051;      // "user 0x05 name" entries, ";"-joined
// Both carry 2 in the envelopes sent before a session key exists.
inline constexpr std::int64_t InitialEnvelopeMarkA = 1132;
inline constexpr std::int64_t InitialEnvelopeMarkB = 1153;
// In data-service requests: the bank-details flag and the access-edit mode.
inline constexpr std::int64_t DataServiceOption = 1132;

// The demo registration (1026).
inline constexpr std::int64_t DemoEmail = 1152;
inline constexpr std::int64_t DemoAccountKind = 1033;  // "Trade"
inline constexpr std::int64_t DemoDeposit = 564;
inline constexpr std::int64_t DemoCountry = 1132;
inline constexpr std::int64_t DemoAddressFirst = 1133;  // 1133 to 1136, sent empty
inline constexpr std::int64_t DemoAddressLast = 1136;
inline constexpr std::int64_t DemoPhone = 1137;
inline constexpr std::int64_t DemoNewsletter = 1138;
inline constexpr std::int64_t DemoName = 1139;
inline constexpr std::int64_t DemoProduct = 1140;

// Values of StatusCode in an order status (62) and a position update (67).
namespace status {
inline constexpr std::int32_t New = 21;
inline constexpr std::int32_t PartlyFilled = 22;
inline constexpr std::int32_t FullyFilled = 23;
inline constexpr std::int32_t Cancelled = 24;
inline constexpr std::int32_t Rejected = 25;
inline constexpr std::int32_t Expired = 26;
inline constexpr std::int32_t Suspended = 27;
inline constexpr std::int32_t Pending = 28;
inline constexpr std::int32_t PositionStatusUpdate = 73;
inline constexpr std::int32_t PositionExecuted = 74;
inline constexpr std::int32_t Edited = 75;
inline constexpr std::int32_t ExchangeRejected = 826;
}  // namespace status

}  // namespace protocol::tag
