#include "state/channel_table.h"

namespace state {

using protocol::MsgType;

const char* channelName(Channel channel) {
    switch (channel) {
        case Channel::Session: return "session";
        case Channel::FeedStatus: return "feed status";
        case Channel::RequestReply: return "request reply";
    }
    return "unknown";
}

std::optional<MsgType> answerTo(MsgType request) {
    switch (request) {
        case MsgType::DataServiceRequest: return MsgType::DataServiceResponse;
        case MsgType::ChartDataRequest: return MsgType::ChartDataResponse;
        default: return std::nullopt;
    }
}

bool channelCarries(Channel channel, MsgType type, const std::optional<protocol::RequestKind>& kind) {
    switch (channel) {
        case Channel::Session: return true;
        case Channel::FeedStatus: return type == MsgType::InstrumentStatusChange;
        case Channel::RequestReply: return kind && answerTo(protocol::msgType(kind->type)) == type;
    }
    return false;
}

}  // namespace state
