#include "state/session_values.h"

#include <limits>

#include "protocol/message_cracker.h"
#include "protocol/tags.h"

namespace state {

std::optional<std::string> SessionValues::referenceId() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return referenceId_;
}

std::optional<std::string> SessionValues::serverTime() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return serverTime_;
}

std::int32_t SessionValues::takeRequestId() {
    // The counter is 32-bit: at its top it stays there rather than overflow.
    const std::int32_t current = requestId_.load();
    if (current == std::numeric_limits<std::int32_t>::max()) return current;
    requestId_ = current + 1;
    return current + 1;
}

void SessionValues::setReferenceId(std::optional<std::string> id) {
    std::lock_guard<std::mutex> lock(mutex_);
    referenceId_ = std::move(id);
}

void SessionValues::apply(const MessageFields& fields, protocol::MsgType type) {
    namespace tag = protocol::tag;
    if (type == protocol::MsgType::LoginData)
        if (auto reference = fields.text(tag::ReferenceId)) setReferenceId(std::move(reference));
    if (auto id = fields.findLast(tag::RequestId, tag::AlternateRequestId))
        setRequestId(protocol::MessageCracker::int32Value(*id));
    if (auto time = fields.text(tag::ServerTime)) {
        std::lock_guard<std::mutex> lock(mutex_);
        serverTime_ = std::move(time);
    }
}

}  // namespace state
