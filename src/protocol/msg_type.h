#pragma once
// Every message type the client sends or receives, by name.
#include <cstdint>

namespace protocol {

enum class MsgType : std::int32_t {
    LoginAccepted = 18,
    LoginRequest = 32,
    LoginData = 33,
    PasswordChangeRequest = 37,
    PasswordChangeResponse = 38,
    LoggedInElsewhere = 44,
    LoginRefused = 47,
    NewOrderRequest = 60,
    OrderStatus = 62,
    OrderSettled = 66,
    PositionUpdate = 67,
    EditOrderRequest = 72,
    Envelope = 76,
    BulkOrderRequest = 77,
    ClosePositionsRequest = 82,
    PayGateMasterRequest = 93,
    PayGateMasterResponse = 94,
    PayGateTransactionResponse = 96,
    PayGateStatusResponse = 98,
    Compressed = 105,
    NewRoomCreationRequest = 601,
    NewRoomCreationResponse = 602,
    NewChatMessage = 603,
    ChatMessageAcknowledgement = 608,
    GetOfflineMessageRequest = 613,
    GetOfflineMessageResponse = 614,
    GetRoomMessageRequest = 615,
    GetRoomMessageResponse = 616,
    GetContactListInfoRequest = 617,
    GetContactListInfoResponse = 618,
    ChatStatusChange = 619,
    GetRecentConversationRequest = 626,
    GetRecentConversationResponse = 627,
    AddUserResponse = 643,
    NewChatRequestToQueue = 678,
    ChatResponseFromQueue = 679,
    ChatQueueStatus = 680,
    ApprovalRequest = 693,
    ApprovalResponse = 694,
    ControlClientConnect = 1002,
    PingRequest = 1018,
    PingAnswer = 1019,
    // Accepted from the server and ignored.
    Reserved1020 = 1020,
    Reserved1021 = 1021,
    Reserved1022 = 1022,
    DataServiceRequest = 1023,
    DataServiceResponse = 1024,
    Reserved1025 = 1025,
    DemoUserCreationRequest = 1026,
    DemoUserCreationResponse = 1027,
    UserReloginRequest = 1028,
    ChartDataRequest = 1040,
    ChartDataResponse = 1041,
    AccountSummary = 1045,
    InstrumentStatusChange = 1049,
    CloseHedgedPositions = 1052,
};

constexpr std::int32_t toInt(MsgType type) { return static_cast<std::int32_t>(type); }
constexpr MsgType msgType(std::int64_t value) { return static_cast<MsgType>(static_cast<std::int32_t>(value)); }

}  // namespace protocol
