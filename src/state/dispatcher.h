#pragma once
// The session's dispatch table: message type -> the handler one component
// registered for it. Runs on the main thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "protocol/message_base.h"
#include "protocol/msg_type.h"
#include "protocol/zmq_request_channel.h"

namespace state {

using FieldList = std::vector<std::string>;

// The tags read in one pass over a message's fields; a later field replaces
// an earlier one. Absent texts are nullopt, absent integers 0.
struct MessageValues {
    std::optional<std::string> resultText;              // 17
    std::optional<std::string> referenceId;             // 19
    std::optional<std::int32_t> requestId;              // the last 20 or 33
    std::optional<std::string> serverTime;              // 21
    std::optional<std::string> userName;                // 23
    std::optional<std::string> cipherText;              // 27
    std::optional<std::string> accountId;               // 34
    std::int32_t statusCode = 0;                        // 73
    std::int32_t rejectionCode = 0;                     // 74
    std::optional<std::string> remainingQty;            // 76
    std::optional<std::string> pendingOrderId;          // 79
    std::optional<std::string> openPositionId;          // 80
    std::optional<std::string> serverMessage;           // 105
    std::optional<std::string> bulkCloseReference;      // 125
    std::optional<std::string> dataServiceRequestName;  // 151
    std::optional<std::string> dataServiceResult;       // 159
    std::optional<std::string> dataFormat;              // 160
    std::optional<std::string> chatMessageRoom;         // 502
    std::optional<std::string> chatRoomKey;             // 503
    std::optional<std::string> bracketReference;        // 573
    std::optional<std::string> chatQueueId;             // 1026
    std::int32_t approvalActionType = 0;                // 1035
    std::optional<std::string> compressedPayload;       // 1050, its prefixes removed

    static MessageValues read(const FieldList& fields);
    // True when the login data says it is in the compact form.
    bool isPacked() const { return dataFormat && *dataFormat == "PACKED"; }
};

// One message as its handler receives it.
struct Dispatch {
    const FieldList& fields;
    protocol::MsgType type;
    protocol::MessageBase& message;  // its dictionary holds the same fields
    const MessageValues& values;
    // The inflated text of the login data (33) and the refusal (47).
    const std::optional<std::string>& payload;
    bool payloadRefused = false;
    // The request a request-channel reply answers; nullopt for the TCP session.
    const std::optional<protocol::RequestKind>& requestKind;
    // When a ping answer was received.
    std::optional<platform::WallTime> receivedAt = std::nullopt;
};

class Dispatcher {
public:
    using Handler = std::function<void(const Dispatch&)>;

    // Throws std::logic_error when another registration holds the type.
    void add(protocol::MsgType type, const std::string& owner, Handler handler);
    // A type that is accepted and needs no work.
    void ignore(protocol::MsgType type, const std::string& owner);
    bool handles(protocol::MsgType type) const;
    // False, logged, when nobody registered the type.
    bool dispatch(const Dispatch& message) const;

private:
    struct Entry {
        std::string owner;
        Handler handler;
    };
    std::unordered_map<std::int32_t, Entry> handlers_;
};

}  // namespace state
