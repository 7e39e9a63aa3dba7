#include "protocol/message_base.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <initializer_list>

#include "platform/log.h"
#include "protocol/app_context.h"
#include "protocol/byte_scan.h"
#include "protocol/envelope.h"
#include "protocol/msg_type.h"
#include "protocol/message_cracker.h"
#include "protocol/request_message.h"
#include "protocol/separator_bytes.h"
#include "protocol/wire_format.h"

namespace protocol {

namespace detail {
struct BuilderLayout {
    const char* name;
    std::vector<std::int64_t> tags;
    bool envelope;       // false: plain on the request channel
    bool initial;        // envelope carries 1153 and 1132
    std::int64_t receivingStrategy;
};
}  // namespace detail

namespace {

using Tags = std::vector<std::int64_t>;

Tags join(std::initializer_list<std::initializer_list<std::int64_t>> parts) {
    Tags out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Ends the bodies of types 60, 72 and 77.
constexpr std::initializer_list<std::int64_t> kOrderTail = {24, 43, 56, 54, 61, 60, 62, 67, 78};
// Ends every data-service request.
constexpr std::initializer_list<std::int64_t> kDsTail = {20, 115, 23, 19, 21};

using Layout = detail::BuilderLayout;

Layout envelope(const char* name, Tags tags, bool initial = false) { return Layout{name, std::move(tags), true, initial, 0}; }
Layout plain(const char* name, Tags tags, std::int64_t receiving = 0) {
    return Layout{name, std::move(tags), false, false, receiving};
}

const Layout kLogin = envelope("BuildLoginRequestMessage", {10, 23, 18, 20, 19, 563, 114, 105, 1018, 504, 160, 21}, true);
const Layout kPasswordChange = envelope("BuildPasswordChangeRequestMessage", {10, 23, 104, 103, 20, 19, 21});
const Layout kNewOrder = envelope("BuildPlaceNewOrderRequestMessage",
                                join({{10, 34, 23, 33, 19, 12, 32, 117, 37, 38, 39, 40, 90, 36, 77}, kOrderTail}));
const Layout kOffsetOrder = envelope("BuildOffsetOrderRequestMessage",
                                   join({{10, 34, 125, 23, 33, 19, 12, 32, 117, 37, 38, 90, 36, 77}, kOrderTail}));
const Layout kEditBracket = envelope("BuildEditBracketOrderRequestMessage",
                                   join({{10, 1035, 34, 23, 573, 33, 19, 12, 32, 117, 37, 38, 39, 40, 90, 36}, kOrderTail}));
const Layout kEditWorking = envelope("BuildEditWorkingOrderRequestMessage",
                                   join({{10, 1035, 34, 23, 79, 33, 19, 12, 32, 117, 37, 38, 39, 40, 90, 36}, kOrderTail}));
const Layout kBulkOrder = envelope("BuildBulkOrderRequest",
                                 join({{10, 23, 19, 12, 32, 117, 38, 39, 40, 90, 36, 77}, kOrderTail, {91}}));
const Layout kClosePositions = envelope("buildClosePositionsRequest", {10, 583, 20, 23, 19, 21});
const Layout kPayGateMaster = envelope("buildPayGateMasterRequest", {10, 145, 1152, 34, 1038, 564, 535, 20, 1040, 23, 19, 21});
const Layout kRoomCreation = envelope("BuildNewRoomCreationRequest", {10, 20, 503, 530, 504, 19, 21});
const Layout kChatMessage = envelope("BuildNewChatMessage", {10, 501, 504, 502, 17, 19, 21});
const Layout kChatAck = envelope("BuildChatMessageAcknowledgement", {10, 507, 505, 504, 23, 19, 21});
const Layout kOfflineMessages = envelope("BuildGetOfflineMessageRequest", {10, 23, 504, 19, 21});
const Layout kRoomMessages = envelope("BuildGetRoomMessageRequest", {10, 23, 502, 501, 504, 19, 21});
const Layout kContactList = envelope("BuildGetContacListInfoRequest", {10, 23, 520, 504, 19, 21});
const Layout kRecentConversation = envelope("BuildGetRecentConversationRequest", {10, 23, 504, 19, 21});
const Layout kChatToQueue = envelope("BuildNewChatRequestToQueue", {10, 1026, 34, 17, 20, 530, 504, 19, 21});
const Layout kApproval = envelope("buildApprovalRequest", {10, 1063, 1035, 535, 20, 1040, 1059, 1060, 23, 19, 21});
const Layout kKeepAlive = plain("buildControlClientMessageRequest", {10, 23, 19, 21});
const Layout kPing = envelope("BuildPingConnectionRequestMessage", {10, 20, 21});
const Layout kDemoUser = envelope("BuildDemoUserCreationRequestMessage",
                                {10, 1152, 1033, 564, 1132, 1133, 1134, 1135, 1136, 1137, 1138, 1139, 1140, 20, 19, 105,
                                 1018, 504},
                                true);
const Layout kChartData = plain("BuildChartDataRequest", {10, 12, 83, 20, 1025, 23, 19, 21});
const Layout kCloseHedged = envelope("BuildCloseHedgedPositions", {10, 34, 12, 583, 23, 19, 21});

const std::array<Layout, 14> kDataService = {
    plain("BuildDSRequest", join({{10, 151, 152, 153}, kDsTail})),
    plain("BuildEqityHitDSRequest", {10, 151, 152, 160, 153, 20, 34, 115, 23, 19, 21}),
    plain("BuildFinancialTransactionsDSRequest", join({{10, 151, 152, 153, 34, 575, 576, 551}, kDsTail})),
    plain("BuildAccountStatementDSRequest", join({{10, 151, 152, 153, 34, 575, 576}, kDsTail})),
    plain("BuildBankDetailsDSRequest", join({{10, 151, 152, 153, 34, 1132}, kDsTail})),
    plain("BuildExecutedPositionDSRequest", join({{10, 151, 152, 153, 575, 576}, kDsTail})),
    plain("buildInstrumentDSRequest", join({{10, 151, 152, 160, 153}, kDsTail})),
    plain("buildSessionScheduleDSRequest", join({{10, 151, 152, 153, 581}, kDsTail})),
    plain("buildUserMapWithMyAccountDSRequest", join({{10, 151, 152, 153, 34}, kDsTail})),
    plain("buildEditUserAccountAccessDSRequest", join({{10, 151, 152, 153, 1132, 159}, kDsTail})),
    plain("buildCancelledOrderHistoryDSRequest", join({{10, 151, 152, 153, 34, 575, 576}, kDsTail})),
    plain("buildDSRequestResourceSearch", join({{10, 151, 152, 153, 159, 160}, kDsTail})),
    plain("buildDSRequestResourceDownload", join({{10, 151, 152, 153, 159}, kDsTail}), 1),
    plain("buildAllPayGateSettingsDSRequest", join({{10, 151, 152, 153}, kDsTail})),
};

BuildResult result(BuildResult::Status status, std::string error = {}) { return BuildResult{status, std::move(error)}; }

}  // namespace

BuildResult MessageBase::BuildMessage() {
    BuildResult r;
    try {
        r = selectAndBuild();
    } catch (const std::exception& e) {
        r = result(BuildResult::Status::Failed, std::string("BuildMessage: ") + e.what());
        platform::Log::warning(r.error);
    }
    tags_.clear();
    return r;
}

BuildResult MessageBase::selectAndBuild() {
    BuildResult r;
    switch (msgType(messagetype_)) {
    case MsgType::LoginRequest: r = BuildLoginRequestMessage(); break;
    case MsgType::PasswordChangeRequest: r = BuildPasswordChangeRequestMessage(); break;
    case MsgType::NewOrderRequest:
        if (neworderrequestType_ == 0) r = BuildPlaceNewOrderRequestMessage();
        else if (neworderrequestType_ == 1) r = BuildOffsetOrderRequestMessage();
        break;
    case MsgType::EditOrderRequest:
        if (editorderrequestType_ == 0) r = BuildEditBracketOrderRequestMessage();
        else if (editorderrequestType_ == 1 || editorderrequestType_ == 2) r = BuildEditWorkingOrderRequestMessage();
        break;
    case MsgType::BulkOrderRequest: r = BuildBulkOrderRequest(); break;
    case MsgType::ClosePositionsRequest: r = buildClosePositionsRequest(); break;
    case MsgType::PayGateMasterRequest: r = buildPayGateMasterRequest(); break;
    case MsgType::NewRoomCreationRequest: r = BuildNewRoomCreationRequest(); break;
    case MsgType::NewChatMessage: r = BuildNewChatMessage(); break;
    case MsgType::ChatMessageAcknowledgement: r = BuildChatMessageAcknowledgement(); break;
    case MsgType::GetOfflineMessageRequest: r = BuildGetOfflineMessageRequest(); break;
    case MsgType::GetRoomMessageRequest: r = BuildGetRoomMessageRequest(); break;
    case MsgType::GetContactListInfoRequest: r = BuildGetContacListInfoRequest(); break;
    case MsgType::GetRecentConversationRequest: r = BuildGetRecentConversationRequest(); break;
    case MsgType::NewChatRequestToQueue: r = BuildNewChatRequestToQueue(); break;
    case MsgType::ApprovalRequest: r = buildApprovalRequest(); break;
    case MsgType::ControlClientConnect: r = buildControlClientMessageRequest(); break;
    case MsgType::PingRequest: r = BuildPingConnectionRequestMessage(); break;
    case MsgType::DataServiceRequest:
        if (dsrequestType_ >= 0 && dsrequestType_ < static_cast<std::int32_t>(kDataService.size()))
            r = build(kDataService[static_cast<std::size_t>(dsrequestType_)]);
        break;
    case MsgType::DemoUserCreationRequest: r = BuildDemoUserCreationRequestMessage(); break;
    case MsgType::ChartDataRequest: r = BuildChartDataRequest(); break;
    case MsgType::CloseHedgedPositions: r = BuildCloseHedgedPositions(); break;
    default: break;
    }
    return r;
}

BuildResult MessageBase::build(const detail::BuilderLayout& layout) {
    if (const auto tag = tags_.nonFiniteTag()) {
        std::string error = std::string(layout.name) + ": value of tag " + std::to_string(*tag) +
                            " is not a finite number; nothing sent";
        platform::Log::warning(error);
        return result(BuildResult::Status::Refused, std::move(error));
    }
    for (std::int64_t tag : layout.tags) {
        const std::string* v = tags_.find(tag);
        if (!v) continue;
        const bool safe = isRecordTag(tag) ? isSafeRecordValue(*v) : isSafePlainValue(*v);
        if (!safe) {
            std::string error = std::string(layout.name) + ": value of tag " + std::to_string(tag) +
                                " holds a separator byte; nothing sent";
            platform::Log::warning(error);
            return result(BuildResult::Status::Refused, std::move(error));
        }
    }
    std::string body;
    body.reserve(layout.tags.size() * 16);
    for (std::int64_t tag : layout.tags) appendField(body, tag, tags_.find(tag));
    lastFrame_ = frameMessage(body, &messageLength_);
    return deliver(layout, lastFrame_);
}

BuildResult MessageBase::deliver(const detail::BuilderLayout& layout, const std::string& frame) {
    if (layout.envelope) return EncryptMessage(frame, layout.initial, false);
    if (!context_) return result(BuildResult::Status::Failed, std::string(layout.name) + ": no session to send on");
    RequestMessage request;
    request.message = frame;
    request.isZMQ = true;
    request.framingStrategy = 0;
    request.receivingStrategy = layout.receivingStrategy;
    if (msgType(messagetype_) == MsgType::DataServiceRequest) request.dsrequestType = dsrequestType_;
    context_->sendMessage(std::move(request));
    return result(BuildResult::Status::Sent);
}

BuildResult MessageBase::EncryptMessage(const std::string& frame, bool isInitialRequest, bool toZMQ) {
    if (!context_) return result(BuildResult::Status::Failed, "EncryptMessage: no session to send on");
    const auto password = context_->securityKey();
    if (!password) {
        platform::Log::warning("EncryptMessage: no cipher password; nothing sent");
        return result(BuildResult::Status::Failed, "EncryptMessage: no cipher password");
    }
    const auto body = sealEnvelopeBody(frame, *password, isInitialRequest);
    if (!body) {
        platform::Log::warning("EncryptMessage: the cipher failed; nothing sent");
        return result(BuildResult::Status::Failed, "EncryptMessage: the cipher failed");
    }
    RequestMessage request;
    request.message = frameMessage(*body, &messageLength_);
    request.isZMQ = toZMQ;
    context_->sendMessage(std::move(request));
    return result(BuildResult::Status::Sent);
}

BuildResult MessageBase::BuildLoginRequestMessage() { return build(kLogin); }
BuildResult MessageBase::BuildPasswordChangeRequestMessage() { return build(kPasswordChange); }
BuildResult MessageBase::BuildPlaceNewOrderRequestMessage() { return build(kNewOrder); }
BuildResult MessageBase::BuildOffsetOrderRequestMessage() { return build(kOffsetOrder); }
BuildResult MessageBase::BuildEditBracketOrderRequestMessage() { return build(kEditBracket); }
BuildResult MessageBase::BuildEditWorkingOrderRequestMessage() { return build(kEditWorking); }
BuildResult MessageBase::BuildBulkOrderRequest() { return build(kBulkOrder); }
BuildResult MessageBase::buildClosePositionsRequest() { return build(kClosePositions); }
BuildResult MessageBase::buildPayGateMasterRequest() { return build(kPayGateMaster); }
BuildResult MessageBase::BuildNewRoomCreationRequest() { return build(kRoomCreation); }
BuildResult MessageBase::BuildNewChatMessage() { return build(kChatMessage); }
BuildResult MessageBase::BuildChatMessageAcknowledgement() { return build(kChatAck); }
BuildResult MessageBase::BuildGetOfflineMessageRequest() { return build(kOfflineMessages); }
BuildResult MessageBase::BuildGetRoomMessageRequest() { return build(kRoomMessages); }
BuildResult MessageBase::BuildGetContacListInfoRequest() { return build(kContactList); }
BuildResult MessageBase::BuildGetRecentConversationRequest() { return build(kRecentConversation); }
BuildResult MessageBase::BuildNewChatRequestToQueue() { return build(kChatToQueue); }
BuildResult MessageBase::buildApprovalRequest() { return build(kApproval); }
BuildResult MessageBase::buildControlClientMessageRequest() { return build(kKeepAlive); }
BuildResult MessageBase::BuildDemoUserCreationRequestMessage() { return build(kDemoUser); }
BuildResult MessageBase::BuildChartDataRequest() { return build(kChartData); }
BuildResult MessageBase::BuildCloseHedgedPositions() { return build(kCloseHedged); }
BuildResult MessageBase::BuildDSRequest() { return build(kDataService[0]); }
BuildResult MessageBase::BuildEqityHitDSRequest() { return build(kDataService[1]); }
BuildResult MessageBase::BuildFinancialTransactionsDSRequest() { return build(kDataService[2]); }
BuildResult MessageBase::BuildAccountStatementDSRequest() { return build(kDataService[3]); }
BuildResult MessageBase::BuildBankDetailsDSRequest() { return build(kDataService[4]); }
BuildResult MessageBase::BuildExecutedPositionDSRequest() { return build(kDataService[5]); }
BuildResult MessageBase::buildInstrumentDSRequest() { return build(kDataService[6]); }
BuildResult MessageBase::buildSessionScheduleDSRequest() { return build(kDataService[7]); }
BuildResult MessageBase::buildUserMapWithMyAccountDSRequest() { return build(kDataService[8]); }
BuildResult MessageBase::buildEditUserAccountAccessDSRequest() { return build(kDataService[9]); }
BuildResult MessageBase::buildCancelledOrderHistoryDSRequest() { return build(kDataService[10]); }
BuildResult MessageBase::buildDSRequestResourceSearch() { return build(kDataService[11]); }
BuildResult MessageBase::buildDSRequestResourceDownload() { return build(kDataService[12]); }
BuildResult MessageBase::buildAllPayGateSettingsDSRequest() { return build(kDataService[13]); }

BuildResult MessageBase::BuildPingConnectionRequestMessage() {
    // The round trip is measured from here, whether or not the envelope goes
    // out; stamped first, so that no answer can arrive before its ping's stamp.
    if (context_) context_->stampPingTime();
    return build(kPing);
}

void MessageBase::setMessage(const std::vector<std::string_view>& fields) {
    for (std::string_view field : fields) {
        if (field.empty()) continue;
        std::int64_t tag = 0;
        std::string_view value;
        if (!MessageCracker::splitField(field, tag, value)) {
            platform::Log::debug("setMessage: skipped malformed field \"" + std::string(field.substr(0, 64)) + "\"");
            continue;
        }
        tags_.set(tag, value);
    }
}

void MessageBase::setMessage(const std::vector<std::string>& fields) {
    std::vector<std::string_view> views(fields.begin(), fields.end());
    setMessage(views);
}

std::optional<MessageBase> MessageBase::decodeFrame(std::string_view frame) {
    const std::size_t lengthEnd = frame.find(FieldEndByte);
    if (lengthEnd == std::string_view::npos) {
        platform::Log::debug("decodeFrame: frame without fields dropped");
        return std::nullopt;
    }
    const std::string_view fields = frame.substr(lengthEnd + 1);
    const std::string_view first = fields.substr(0, std::min(fields.find(FieldEndByte), fields.size()));
    if (first.empty()) {
        platform::Log::debug("decodeFrame: frame without a type field dropped");
        return std::nullopt;
    }
    std::optional<MessageBase> out(std::in_place);
    MessageBase& m = *out;
    const std::size_t eq = first.find('=');
    m.messagetype_ = eq == std::string_view::npos ? 0 : MessageCracker::integerValue(first.substr(eq + 1));
    m.received_.assign(fields);
    // Room for every field up front (a stored field takes at least "t=" and its
    // separator): no growth while reading.
    const std::size_t separators = bytes::countOf(m.received_.data(), m.received_.data() + m.received_.size(),
                                                  bytes::ByteSet<FieldEndByte>{});
    m.tags_.reserve(std::min(separators, m.received_.size() / 3) + 1);
    // Each field ends at 0x03 (found with memchr); its tag is the digits
    // before its first "=", at most 18 of them. Values are not walked.
    const char* p = m.received_.data();
    const char* const e = p + m.received_.size();
    while (p < e) {
        const char* const start = p;
        const void* hit = std::memchr(p, FieldEndByte, static_cast<std::size_t>(e - p));
        const char* const stop = hit ? static_cast<const char*>(hit) : e;
        p = hit ? stop + 1 : e;
        if (stop == start) continue;
        std::int64_t tag = 0;
        const char* q = start;
        const char* const last = start + std::min<std::ptrdiff_t>(stop - start, 18);
        for (; q < last && *q >= '0' && *q <= '9'; ++q)
            tag = tag * 10 + (*q - '0');
        if (q == start || q == stop || *q != '=') {
            if (platform::Log::enabled(platform::LogLevel::Debug)) {
                const std::string_view field(start, static_cast<std::size_t>(stop - start));
                platform::Log::debug("setMessage: skipped malformed field \"" + std::string(field.substr(0, 64)) + "\"");
            }
            continue;
        }
        m.tags_.set(tag, std::string_view(q + 1, static_cast<std::size_t>(stop - q - 1)));
    }
    if (!isValidUtf8(m.received_)) {
        platform::Log::debug("decodeFrame: frame is not UTF-8; dropped");
        return std::nullopt;
    }
    return out;
}

std::vector<std::string_view> MessageBase::messageArray() const {
    std::vector<std::string_view> out;
    if (received_.empty()) return out;
    std::string_view rest(received_);
    while (true) {
        const std::size_t at = rest.find(FieldEndByte);
        out.push_back(rest.substr(0, at));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + 1);
    }
    return out;
}

}  // namespace protocol
