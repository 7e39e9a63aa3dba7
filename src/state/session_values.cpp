#include "state/session_values.h"

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
    const std::int32_t next = requestId_.load() + 1;
    requestId_ = next;
    return next;
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
