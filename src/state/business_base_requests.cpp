// The session's requests: data-service queries (1023), chart data (1040), the
// password change (37) and the login's chat requests, each built in the
// shared outgoing message on the main thread.
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/msg_type.h"
#include "protocol/separator_bytes.h"
#include "protocol/tags.h"
#include "state/business_base.h"
#include "state/resource_files.h"

namespace state {

namespace {

namespace tag = protocol::tag;
using protocol::MsgType;
using Tags = std::vector<std::pair<std::int64_t, std::string>>;

// Data-service kinds: each selects the builder of its tag layout.
namespace kind {
constexpr std::int32_t Plain = 0;
constexpr std::int32_t EquityHit = 1;
constexpr std::int32_t FinancialTransactions = 2;
constexpr std::int32_t AccountStatement = 3;
constexpr std::int32_t BankDetails = 4;
constexpr std::int32_t ExecutedPositions = 5;
constexpr std::int32_t Instruments = 6;
constexpr std::int32_t SessionSchedule = 7;
constexpr std::int32_t UserMap = 8;
constexpr std::int32_t EditUserAccess = 9;
constexpr std::int32_t CancelledOrderHistory = 10;
constexpr std::int32_t ResourceSearch = 11;
constexpr std::int32_t ResourceDownload = 12;
constexpr std::int32_t PayGateSettings = 13;
}  // namespace kind

// A value a request cannot be filled without.
struct MissingValue {
    const char* what;
};

std::string packed(const std::optional<model::Date>& date, const char* what) {
    if (!date) throw MissingValue{what};
    return model::Formatter::setPackedFormat(*date);
}

const std::string& required(const std::optional<std::string>& text, const char* what) {
    if (!text) throw MissingValue{what};
    return *text;
}

void build(BusinessBase& s, MsgType type, std::optional<std::int32_t> dsKind, const Tags& tags, const char* what) {
    platform::assertMainThread();
    protocol::MessageBase& m = s.messageBase;
    m.setMessagetype(static_cast<std::int64_t>(type));
    if (dsKind) m.setDsrequestType(*dsKind);
    protocol::TagMap& dict = m.messageDataDictionary();
    dict.clear();
    dict.setNumber(tag::MessageType, static_cast<int>(type));
    for (const auto& [t, value] : tags) dict.set(t, value);
    s.setMessageProperties(m);
    const protocol::BuildResult r = m.BuildMessage();
    if (!r.sent()) platform::Log::warning(std::string(what) + " not sent: " + r.error);
}

std::string nextRequestId(const BusinessBase& s) { return std::to_string(static_cast<std::int64_t>(s.Requestid) + 1); }

// One data-service request; `fill` gives the request's own tags and throws
// MissingValue when it cannot.
template <typename Fill>
void dataService(BusinessBase& s, std::int32_t dsKind, const char* name, Fill&& fill) {
    try {
        const auto& user = s.referenceData().userInfo;
        if (!user) throw MissingValue{"user info"};
        Tags tags = {{tag::DataServiceRequestName, name}, {tag::DataServicePageSize, "1000"}, {tag::DataServicePage, "1"}};
        Tags own = fill();
        tags.insert(tags.end(), own.begin(), own.end());
        tags.emplace_back(tag::RequestId, nextRequestId(s));
        tags.emplace_back(tag::UserId, std::to_string(user->UserId));
        build(s, MsgType::DataServiceRequest, dsKind, tags, name);
    } catch (const MissingValue& missing) {
        platform::Log::warning(std::string(name) + " not sent: no " + missing.what);
    }
}

void dataService(BusinessBase& s, std::int32_t dsKind, const char* name) {
    dataService(s, dsKind, name, [] { return Tags{}; });
}

Tags statementTags(const model::StatementQuery& q) {
    return {{tag::AccountId, required(q.AccountId, "account")},
            {tag::FromDate, packed(q.FromDate, "from date")},
            {tag::ToDate, packed(q.ToDate, "to date")}};
}

// The TCP chat requests carry the login user name in tag 504.
void chatRequest(BusinessBase& s, MsgType type, Tags tags, const char* what) {
    const auto user = s.userName();
    if (!user) {
        platform::Log::warning(std::string(what) + " not sent: no user name");
        return;
    }
    tags.emplace_back(tag::DeviceUserName, *user);
    build(s, type, std::nullopt, tags, what);
}

}  // namespace

void BusinessBase::requestOpenPosition() { dataService(*this, kind::Plain, "getopenpositions"); }
void BusinessBase::requestPendingOrders() { dataService(*this, kind::Plain, "getpendingorders"); }
void BusinessBase::requestSettledOrders() { dataService(*this, kind::Plain, "getsettledpositions"); }
void BusinessBase::requestCancelledOrders() { dataService(*this, kind::Plain, "getcancelledorders"); }
void BusinessBase::requestApprovalRequest() { dataService(*this, kind::Plain, "getapprovalrequest"); }
void BusinessBase::requestFinancialApprovals() { dataService(*this, kind::Plain, "getfinancialapprovals"); }
void BusinessBase::requestGetAllPayGateSettings() { dataService(*this, kind::PayGateSettings, "paygategetsettings"); }

void BusinessBase::requestEquityPriceinfo(std::int32_t accountId) {
    dataService(*this, kind::EquityHit, "getequityhitpriceinfo", [&] {
        return Tags{{tag::DataFormat, "0"}, {tag::AccountId, std::to_string(accountId)}};
    });
}

void BusinessBase::requestExecutedPosition(const model::SearchInfo& search) {
    dataService(*this, kind::ExecutedPositions, "getexecutedpositions", [&] {
        return Tags{{tag::FromDate, packed(search.FromDate, "from date")}, {tag::ToDate, packed(search.ToDate, "to date")}};
    });
}

void BusinessBase::requestFinancialTransactions(const model::SearchInfo& search) {
    dataService(*this, kind::FinancialTransactions, "getfinancialtransactions", [&] {
        return Tags{{tag::AccountId, required(search.AccountNumber, "account")},
                    {tag::FromDate, packed(search.FromDate, "from date")},
                    {tag::ToDate, packed(search.ToDate, "to date")},
                    {tag::TransactionDetails, required(search.TransactionDetails, "transaction details")}};
    });
}

void BusinessBase::requestAccountStatement(const model::StatementQuery& query) {
    dataService(*this, kind::AccountStatement, "getdsaccountstatement", [&] { return statementTags(query); });
}

void BusinessBase::requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) {
    dataService(*this, kind::CancelledOrderHistory, "getcancelledorders", [&] { return statementTags(query); });
}

void BusinessBase::requestAdvancedInstrumentInfo() {
    dataService(*this, kind::Instruments, "getinstruments", [] { return Tags{{tag::DataFormat, "3"}}; });
}

void BusinessBase::requestSessionSchedule(std::uint64_t marketId) {
    dataService(*this, kind::SessionSchedule, "getsessionschedule",
                [&] { return Tags{{tag::MarketId, std::to_string(marketId)}}; });
}

void BusinessBase::requestUserMapWithMyAccount(std::int32_t accountId) {
    dataService(*this, kind::UserMap, "getusermapwithmyaccount",
                [&] { return Tags{{tag::AccountId, std::to_string(accountId)}}; });
}

void BusinessBase::requestEditUserAccountAccessByClient(const model::UserAccountMaps& map) {
    dataService(*this, kind::EditUserAccess, "addedituac", [&] {
        const char col = protocol::ColumnByte;
        std::string row = std::to_string(map.userId) + col + std::to_string(map.accountId) + col +
                          std::to_string(map.accountAccessTypeId) + col + protocol::RowByte;
        return Tags{{tag::DataServiceOption, "edituabycl"}, {tag::DataServiceResult, std::move(row)}};
    });
}

void BusinessBase::requestBankDetails(const model::AccountDetails& account) {
    dataService(*this, kind::BankDetails, "getbankaccounts", [&] {
        return Tags{{tag::AccountId, std::to_string(account.AccountId)}, {tag::DataServiceOption, "1"}};
    });
}

void BusinessBase::requestResourceSearchForTypes(const std::vector<std::string>& types) {
    const std::uint64_t product = reference_.userInfo ? reference_.userInfo->productID : 0;
    for (const std::string& type : types) {
        dataService(*this, kind::ResourceSearch, "resourcesearch", [&] {
            auto record = model::FileResource::searchRecord(type, product).getString(model::FileResource::kSearch);
            if (!record) throw MissingValue{"plain resource type"};
            return Tags{{tag::DataServiceResult, std::move(*record)}, {tag::DataFormat, "1"}};
        });
    }
}

void BusinessBase::requestFileResourceDownload(const model::FileResource& resource) {
    dataService(*this, kind::ResourceDownload, "resourcedownload", [&] {
        auto record = resource.getString(model::FileResource::kDownload);
        if (!record) throw MissingValue{"plain resource record"};
        return Tags{{tag::DataServiceResult, std::move(*record)}};
    });
}

void BusinessBase::requestFileResourceForExtension(const std::string& text) {
    const auto folder = ResourceFiles::resourcesFolder();
    if (!folder) return;
    for (const auto& [name, resource] : reference_.resourceSearchCollection) {
        if (!resource || name.find(text) == std::string::npos) continue;
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::path(*folder) / name, ec)) continue;
        requestFileResourceDownload(*resource);
    }
}

std::int32_t BusinessBase::requestChartData(const std::string& symbol, const std::string& interval,
                                            std::int32_t points) {
    platform::assertMainThread();
    setRequestid(Requestid + 1);
    build(*this, MsgType::ChartDataRequest, std::nullopt,
          {{tag::ItemCode, symbol},
           {tag::ChartInterval, interval},
           {tag::RequestId, std::to_string(Requestid)},
           {tag::NumberOfPoints, std::to_string(points)}},
          "requestChartData");
    return Requestid;
}

void BusinessBase::changeMyPassword(const std::string& oldPassword, const std::string& newPassword) {
    build(*this, MsgType::PasswordChangeRequest, std::nullopt,
          {{tag::OldPassword, oldPassword}, {tag::NewPassword, newPassword}, {tag::RequestId, nextRequestId(*this)}},
          "changeMyPassword");
}

void BusinessBase::requestContactlist() {
    chatRequest(*this, MsgType::GetContactListInfoRequest, {{tag::ContactListMode, "1"}}, "requestContactlist");
}
void BusinessBase::requestRecentConversation() {
    chatRequest(*this, MsgType::GetRecentConversationRequest, {}, "requestRecentConversation");
}
void BusinessBase::requestOfflineMessages() {
    chatRequest(*this, MsgType::GetOfflineMessageRequest, {}, "requestOfflineMessages");
}

}  // namespace state
