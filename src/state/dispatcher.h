#pragma once
// The session's dispatch table: message type -> the handler one component
// registered for it. Runs on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/clock.h"
#include "protocol/login_data_limits.h"
#include "protocol/msg_type.h"
#include "protocol/zmq_request_channel.h"
#include "state/message_fields.h"

namespace state {

struct PackedLoginRecords;
struct XmlLoginCells;

// One message as its handler receives it.
struct Dispatch {
    const MessageFields& fields;  // read once, before any handler runs
    protocol::MsgType type;
    // The inflated text of the login data (33) and the refusal (47).
    const std::optional<std::string>& payload;
    bool payloadRefused = false;
    // The request a request-channel reply answers; nullopt for the TCP session.
    const std::optional<protocol::RequestKind>& requestKind;
    // When a ping answer was received.
    std::optional<platform::WallTime> receivedAt = std::nullopt;
    // The compact login data's large sections read ahead; null when not.
    PackedLoginRecords* packedRecords = nullptr;
    // A refused payload over the login's ceiling: its size and the limit.
    std::optional<protocol::LoginDataTooLarge> tooLarge = std::nullopt;
    // XML login data cut into cells ahead (`payload` is its document); null when not.
    std::shared_ptr<XmlLoginCells> xmlCells = nullptr;
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
