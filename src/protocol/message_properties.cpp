#include "protocol/message_properties.h"

#include "platform/log.h"
#include "protocol/tags.h"

namespace protocol {

bool setMessageProperties(MessageBase& message, const AppContext& context) {
    TagMap& tags = message.messageDataDictionary();
    const auto user = context.userName();
    if (!user) {
        platform::Log::debug("setMessageProperties: no user name");
        return false;
    }
    tags.set(tag::UserName, *user);
    const auto reference = context.referenceId();
    if (!reference) {
        platform::Log::debug("setMessageProperties: no reference id");
        return false;
    }
    tags.set(tag::ReferenceId, *reference);
    tags.set(tag::ServerTime, context.packedLocalTime());
    return true;
}

bool AppContext::setMessageProperties(MessageBase& message) { return protocol::setMessageProperties(message, *this); }

}  // namespace protocol
