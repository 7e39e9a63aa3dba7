#pragma once
// What each channel may carry. The TCP session carries every type of the
// dispatch table; a status text on the price feed carries only the
// instrument-status message; a request-channel reply carries only the answer
// to the request it was sent for.
#include <optional>

#include "protocol/msg_type.h"
#include "protocol/zmq_request_channel.h"

namespace state {

enum class Channel { Session, FeedStatus, RequestReply };

const char* channelName(Channel channel);
// The answer type of a request sent on the request channel; nullopt when it has none.
std::optional<protocol::MsgType> answerTo(protocol::MsgType request);
bool channelCarries(Channel channel, protocol::MsgType type, const std::optional<protocol::RequestKind>& kind);

}  // namespace state
