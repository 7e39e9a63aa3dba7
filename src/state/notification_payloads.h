#pragma once
// The names of the session's notifications and what they carry.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "state/session_notifications.h"

namespace model {
class Order;
class PayGateTransaction;
class ApprovalReq;
}
namespace protocol {
class ConnectionBase;
}

namespace state {

class BusinessBase;

// Notifications about the session itself; it is also their sender.
struct SessionPayload : platform::NotificationPayload {
    explicit SessionPayload(std::shared_ptr<BusinessBase> s) : session(std::move(s)) {}
    std::shared_ptr<BusinessBase> session;
};

// "DemoUserCreationNotification".
struct DemoUserCreated : SessionPayload {
    DemoUserCreated(std::shared_ptr<BusinessBase> s, std::string text)
        : SessionPayload(std::move(s)), userAndPassword(std::move(text)) {}
    std::string userAndPassword;  // "user/password"
};

// "ChatRoomCreationNotification".
struct ChatRoomCreated : SessionPayload {
    ChatRoomCreated(std::shared_ptr<BusinessBase> s, std::string key)
        : SessionPayload(std::move(s)), roomCreationKey(std::move(key)) {}
    std::string roomCreationKey;  // room users "/" room id "/" room name
};

// A single text: the server time of "NetworkSpeedNotification", the number of
// "ChartDataReceivedNotification<n>", the room id of the chat room notices.
struct TextPayload : platform::NotificationPayload {
    explicit TextPayload(std::string t) : text(std::move(t)) {}
    std::string text;
};

// "PendingOrderNotification".
struct OrderPayload : platform::NotificationPayload {
    explicit OrderPayload(std::shared_ptr<model::Order> o) : order(std::move(o)) {}
    std::shared_ptr<model::Order> order;
};

// "DepositRequestNotification" and "WithdrawalRequestNotification": each line
// a label, the byte 0x03 and a value.
struct DetailLines : platform::NotificationPayload {
    explicit DetailLines(std::vector<std::string> l) : lines(std::move(l)) {}
    std::vector<std::string> lines;
};

// "DepositRequestNotification": the detail lines and the request they report,
// which the deposit windows match by account and amount.
struct DepositRequestDetails : DetailLines {
    DepositRequestDetails(std::vector<std::string> l, std::shared_ptr<const model::ApprovalReq> r)
        : DetailLines(std::move(l)), request(std::move(r)) {}
    std::shared_ptr<const model::ApprovalReq> request;
};

// "SendLoginRegistrationRequest": the connection just opened.
struct ConnectionPayload : platform::NotificationPayload {
    explicit ConnectionPayload(std::shared_ptr<protocol::ConnectionBase> c) : connection(std::move(c)) {}
    std::shared_ptr<protocol::ConnectionBase> connection;
};

// "BulkCloseNotification" for the close-all window.
struct BulkCloseResult : platform::NotificationPayload {
    static constexpr const char* kRejected = "25";
    static constexpr const char* kSettled = "66";

    std::string status;                     // tag 73
    std::string reference;                  // tag 125 of a rejection
    std::string reason;                     // tag 17: the rejection reason text
    std::shared_ptr<model::Order> settled;  // the settled position
};

// "PayGateTransactionNotification".
struct PayGateUpdate : platform::NotificationPayload {
    // Values of `state`.
    static constexpr std::int64_t kMasterAdded = 1;
    static constexpr std::int64_t kStatusAnswer = 2;
    static constexpr std::int64_t kTransactionAnswer = 3;

    PayGateUpdate(std::int64_t s, std::shared_ptr<model::PayGateTransaction> d, std::optional<std::int64_t> e = {})
        : state(s), data(std::move(d)), error(e) {}
    std::int64_t state;
    std::shared_ptr<model::PayGateTransaction> data;
    std::optional<std::int64_t> error;  // of a transaction answer
};

}  // namespace state
