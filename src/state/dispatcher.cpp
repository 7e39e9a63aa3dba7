#include "state/dispatcher.h"

#include <stdexcept>

#include "platform/log.h"

namespace state {

void Dispatcher::add(protocol::MsgType type, const std::string& owner, Handler handler) {
    const std::int32_t key = protocol::toInt(type);
    auto [it, added] = handlers_.try_emplace(key, Entry{owner, std::move(handler)});
    if (!added)
        throw std::logic_error("Message type " + std::to_string(key) + " registered by both " + it->second.owner +
                               " and " + owner);
}

void Dispatcher::ignore(protocol::MsgType type, const std::string& owner) { add(type, owner, nullptr); }

bool Dispatcher::handles(protocol::MsgType type) const { return handlers_.contains(protocol::toInt(type)); }

bool Dispatcher::dispatch(const Dispatch& message) const {
    auto it = handlers_.find(protocol::toInt(message.type));
    if (it == handlers_.end()) {
        platform::Log::debug("Message of unknown type " + std::to_string(protocol::toInt(message.type)) + ": dropped");
        return false;
    }
    if (it->second.handler) it->second.handler(message);
    return true;
}

}  // namespace state
