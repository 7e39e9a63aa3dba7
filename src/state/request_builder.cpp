#include "state/request_builder.h"

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/message_base.h"
#include "protocol/tags.h"
#include "state/reference_data.h"
#include "state/session_services.h"

namespace state {

namespace tag = protocol::tag;

std::string packedDate(const std::optional<model::Date>& date, const char* what) {
    if (!date) throw MissingValue{what};
    return model::Formatter::setPackedFormat(*date);
}

const std::string& required(const std::optional<std::string>& text, const char* what) {
    if (!text) throw MissingValue{what};
    return *text;
}

void logMissing(const char* name, const MissingValue& missing) {
    platform::Log::warning(std::string(name) + " not sent: no " + missing.what);
}

bool hasUser(const ReferenceData& reference, const char* name) {
    if (reference.userInfo()) return true;
    logMissing(name, MissingValue{"user info"});
    return false;
}

void sendRequest(SessionServices& services, protocol::MsgType type, std::optional<std::int32_t> dsKind,
                 const RequestTags& tags, const char* what) {
    platform::assertMainThread();
    protocol::MessageBase& m = services.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(type));
    if (dsKind) m.setDsrequestType(*dsKind);
    protocol::TagMap& dict = m.messageDataDictionary();
    dict.clear();
    dict.setNumber(tag::MessageType, static_cast<int>(type));
    for (const auto& [t, value] : tags) dict.set(t, value);
    services.setMessageProperties(m);
    const protocol::BuildResult r = m.BuildMessage();
    if (!r.sent()) platform::Log::warning(std::string(what) + " not sent: " + r.error);
}

void sendDataServiceTags(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                         const char* name, RequestTags own) {
    if (!hasUser(reference, name)) return;
    const auto& user = reference.userInfo();
    RequestTags tags = {{tag::DataServiceRequestName, name}, {tag::DataServicePageSize, "1000"}, {tag::DataServicePage, "1"}};
    tags.insert(tags.end(), own.begin(), own.end());
    tags.emplace_back(tag::RequestId, std::to_string(services.nextRequestId()));
    tags.emplace_back(tag::UserId, std::to_string(user->UserId));
    sendRequest(services, protocol::MsgType::DataServiceRequest, dsKind, tags, name);
}

void sendDataServiceRequest(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                            const char* name) {
    sendDataServiceTags(services, reference, dsKind, name, {});
}

}  // namespace state
