#pragma once
#include "protocol/app_context.h"
#include "protocol/message_base.h"

namespace protocol {

// The session's header tags, in this order: 23 = the login user name,
// 19 = `Referenceid`, 21 = the current local time "yyyyMMddHHmmss".
// Earlier values under these tags are replaced. A missing value ends the
// operation there, leaving that tag and the later ones as they were; the
// result is then false and the caller goes on to build the message.
bool setMessageProperties(MessageBase& message, const AppContext& context);

}  // namespace protocol
