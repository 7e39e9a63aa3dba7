#include "protocol/message_properties.h"

#include "platform/log.h"

namespace protocol {

bool setMessageProperties(MessageBase& message, const AppContext& context) {
    TagMap& tags = message.messageDataDictionary();
    const auto user = context.userName();
    if (!user) {
        platform::Log::debug("setMessageProperties: no user name");
        return false;
    }
    tags.set(23, *user);
    const auto reference = context.referenceId();
    if (!reference) {
        platform::Log::debug("setMessageProperties: no reference id");
        return false;
    }
    tags.set(19, *reference);
    tags.set(21, context.packedLocalTime());
    return true;
}

bool AppContext::setMessageProperties(MessageBase& message) { return protocol::setMessageProperties(message, *this); }

}  // namespace protocol
