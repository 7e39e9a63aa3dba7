#include "state/data_service_answers.h"

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "protocol/separator_bytes.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "platform/notification_center.h"
#include "protocol/tags.h"
#include "state/chat.h"
#include "state/funds.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/resource_files.h"
#include "state/session_services.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

namespace {

// Tag 1050's payload, its prefix removed; the last one when it repeats.
std::optional<std::string> compressedPayload(const MessageFields& fields) {
    const MessageFields::Field* last = nullptr;
    for (const MessageFields::Field& field : fields)
        if (field.tag == tag::CompressedPayload) last = &field;
    if (!last) return std::nullopt;
    return std::string(protocol::compressedPayloadOfField(last->text));
}

}  // namespace

void DataServiceAnswers::registerHandlers(Dispatcher& table) {
    table.add(MsgType::DataServiceResponse, componentName(), [this](const Dispatch& m) {
        platform::Log::info("DSResponse");
        processDSResponse(m.fields.shared(tag::DataServiceResult), compressedPayload(m.fields),
                          m.fields.text(tag::DataServiceRequestName), m.requestKind);
    });
    table.add(MsgType::ChartDataResponse, componentName(), [this](const Dispatch& m) {
        platform::Log::info("ChartDataResponse");
        fillChartData(m.fields.text(tag::ResultText), services_.requestId(), m.requestKind);
    });
    // Accepted and ignored.
    for (MsgType type : {MsgType::Reserved1020, MsgType::Reserved1021, MsgType::Reserved1022,
                         MsgType::DataServiceRequest, MsgType::Reserved1025, MsgType::DemoUserCreationRequest})
        table.ignore(type, componentName());
}

void DataServiceAnswers::fillChartData(const std::optional<std::string>& answer, std::int32_t requestId,
                                       const std::optional<protocol::RequestKind>&) {
    platform::assertMainThread();
    if (!answer) {
        platform::Log::warning("Chart answer without data: dropped");
        return;
    }
    // The header runs from the second character to the first ">"; its second "~" element is the key.
    const std::size_t close = answer->size() > 1 ? answer->find('>', 1) : std::string::npos;
    const std::string_view header = close == std::string::npos
                                        ? std::string_view()
                                        : std::string_view(*answer).substr(1, close - 1);
    const std::size_t first = header.find('~');
    if (close == std::string::npos || first == std::string_view::npos) {
        platform::Log::warning("Chart answer without a key in its header: dropped");
        return;
    }
    const std::string_view rest = header.substr(first + 1);
    std::string key(rest.substr(0, rest.find('~')));
    storeChartData(key, *answer);
    chartDataReceivedNotification(static_cast<std::uint32_t>(requestId));
    // Charts match answers by key: the request id has moved on by the time an answer is handled.
    services_.onMain([key] {
        platform::NotificationCenter::defaultCenter().post(notifications::kChartDataKeyReceived,
                                                           std::make_shared<const TextPayload>(key));
    });
}

void DataServiceAnswers::fillResourceDownload(std::string_view row, const std::optional<std::string>& compressedData) {
    const std::string name(row.substr(0, row.find(protocol::ColumnByte)));
    // Only a name the client asked for is written: the server names no other file.
    if (!reference_.takeRequestedDownload(name)) {
        platform::Log::warning("Resource download of a name not asked for: not saved");
        return;
    }
    if (!compressedData) {
        platform::Log::warning("Resource download of \"" + name + "\" without content: not saved");
        return;
    }
    const auto folder = ResourceFiles::resourcesFolder();
    if (!folder) {
        platform::Log::error("Resource download: no resources folder");
        return;
    }
    // The main thread hands the bytes over and never waits for the disk.
    platform::ioQueue()->async([this, alive = services_.lifetime(), budget = downloads_, folder = *folder, name,
                                data = *compressedData,
                                calendars = ResourceFiles::listedCalendars(reference_.resourceCollection())] {
        const ResourceFiles::SavedDownload saved = ResourceFiles::saveFileWithName(folder, name, data, calendars, *budget);
        platform::MainExecutor::post([this, alive, name, saved] {
            if (!alive.lock()) return;
            auto& center = platform::NotificationCenter::defaultCenter();
            if (saved.unavailable) {
                reference_.markResourceUnavailable(name);
                center.post(notifications::kResourceUnavailable);
            }
            if (saved.calendarsMerged) center.post(ResourceFiles::kDownloadCompletedNotification);
        });
    });
}

std::int32_t DataServiceAnswers::requestChartData(const std::string& symbol, const std::string& interval,
                                                  std::int32_t points) {
    namespace tag = protocol::tag;
    const std::int32_t id = services_.takeRequestId();
    sendRequest(services_, MsgType::ChartDataRequest, std::nullopt,
                {{tag::ItemCode, symbol},
                 {tag::ChartInterval, interval},
                 {tag::RequestId, std::to_string(id)},
                 {tag::NumberOfPoints, std::to_string(points)}},
                "requestChartData");
    return id;
}

void DataServiceAnswers::requestUnanswered(const protocol::RequestKind& kind) {
    platform::assertMainThread();
    switch (protocol::msgType(kind.type)) {
        case MsgType::DataServiceRequest:
            if (kind.name == "getdsaccountstatement")
                funds_.statementFailed("no answer (not sent, none in time, unreadable or over the reply cap)");
            else
                processDSResponse(std::string(), std::nullopt, kind.name, kind);
            break;
        case MsgType::ChartDataRequest:
            services_.onMain([key = kind.name] {
                platform::NotificationCenter::defaultCenter().post(notifications::kChartDataKeyReceived,
                                                                   std::make_shared<const TextPayload>(key));
            });
            break;
        default:
            break;
    }
}

void DataServiceAnswers::chartDataReceivedNotification(std::uint64_t n) {
    services_.onMain([n] {
        platform::NotificationCenter::defaultCenter().post(std::string(notifications::kChartDataReceived) + std::to_string(n),
                                                           std::make_shared<const TextPayload>(std::to_string(n)));
    });
}

void DataServiceAnswers::sendFirstRequests() {
    // What a relogin finds must not keep what the server no longer holds.
    ++loginCount_;
    book_.clearForLogin();
    // Bars the server drew while the session was down are not in the answers held.
    charts_.clear();
    chartTimes_.clear();
    chartBytes_ = 0;
    // A new budget: downloads still on the I/O queue count against the old one.
    downloads_ = std::make_shared<ResourceFiles::DownloadBudget>(downloads_->fresh());
    book_.requestOpenPosition();
    book_.requestPendingOrders();
    book_.requestSettledOrders();
    book_.requestCancelledOrders();
    for (const auto& [id, account] : reference_.AccountDetailCollection())
        if (account && account->tradingStatus == kEquityHitStatus) book_.requestEquityPriceinfo(account->AccountId);
    chat_.requestContactlist();
    chat_.requestRecentConversation();
    chat_.requestOfflineMessages();
    reference_.requestAdvancedInstrumentInfo(services_);
    reference_.requestResourceSearchForTypes(services_, {"CAL", "ICO"});
    funds_.requestApprovalRequest();
    funds_.requestFinancialApprovals();
}

void DataServiceAnswers::storeChartData(const std::string& key, const std::string& answer) {
    if (const std::string* held = charts_.find(key)) {
        chartBytes_ -= held->size();
        charts_.erase(key);
    }
    charts_.set(key, answer);
    chartTimes_[key] = platform::defaultClock().now();
    chartBytes_ += answer.size();
    // Bounded: the oldest answers make room (a chart asks again for what is gone).
    while (charts_.size() > 1 && (charts_.size() > kMaxChartAnswers || chartBytes_ > kMaxChartBytes)) {
        const auto* oldest = charts_.first();
        chartBytes_ -= oldest->second.size();
        const std::string gone(oldest->first);
        chartTimes_.erase(gone);
        charts_.erase(gone);
    }
}

}  // namespace state
