#pragma once
// The request id, reference id and server time the last messages set. Written
// on the main thread; the request channel's worker reads them too, so they are
// kept atomic or locked.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "protocol/msg_type.h"
#include "state/message_fields.h"

namespace state {

class SessionValues {
public:
    std::int32_t requestId() const { return requestId_.load(); }
    std::optional<std::string> referenceId() const;
    // Raw tag 21 of the last message that had one.
    std::optional<std::string> serverTime() const;

    void setRequestId(std::int32_t id) { requestId_ = id; }
    // Raises the request id by one and returns it.
    std::int32_t takeRequestId();
    void setReferenceId(std::optional<std::string> id);
    // Request id, server time and (login data only) reference id of a message.
    void apply(const MessageFields& fields, protocol::MsgType type);

private:
    mutable std::mutex mutex_;
    std::atomic<std::int32_t> requestId_{0};
    std::optional<std::string> referenceId_;
    std::optional<std::string> serverTime_;
};

}  // namespace state
