#pragma once
// What the message layer needs from the login settings and the session,
// without depending on either. The session object implements it.
//
// Threads: a MessageBase is used by one thread at a time; requests built off
// the main thread use a MessageBase of their own. Every operation here may be
// called from such a thread, so implementations make them safe to call from
// any thread (sendMessage in particular).
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/request_message.h"

namespace protocol {

class MessageBase;

class AppContext {
public:
    virtual ~AppContext() = default;

    // Login settings.
    virtual std::optional<std::string> userName() const = 0;
    virtual std::optional<std::string> password() const = 0;
    virtual std::optional<std::string> productName() const = 0;
    virtual std::optional<std::string> productVersion() const = 0;
    // The cipher password in use: the shipped key until the login data
    // arrives, the session key after. Read afresh for every envelope.
    virtual std::optional<std::string> securityKey() const = 0;

    // Session values.
    virtual std::int32_t requestId() const = 0;                   // `Requestid`
    virtual std::optional<std::string> referenceId() const = 0;   // `Referenceid`
    virtual std::optional<std::string> serverTime() const = 0;    // raw tag 21 last received
    // The current local date and time as "yyyyMMddHHmmss".
    virtual std::string packedLocalTime() const = 0;

    // The session's send operation: the TCP session, or the request channel's
    // queue when `request.isZMQ` is set.
    virtual void sendMessage(RequestMessage request) = 0;
    // Stamps the session's ping time with the current date (`setPingTime:`).
    virtual void stampPingTime() = 0;

    // Stores tags 23, 19 and 21 in `message` (see setMessageProperties in
    // message_properties.h, which this default calls).
    virtual bool setMessageProperties(MessageBase& message);
};

}  // namespace protocol
