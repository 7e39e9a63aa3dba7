// Routing of data-service answers (1024): by the request each answers, to the
// filler of the component that owns what it fills.
#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

#include "model/cancelled_order_hd.h"
#include "model/equity_hit_price_infos.h"
#include "model/file_resource.h"
#include "model/open_order_hd.h"
#include "model/pending_order_hd.h"
#include "model/settled_order_hd.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/slice_budget.h"
#include "protocol/separator_bytes.h"
#include "protocol/xml_reader.h"
#include "platform/notification_center.h"
#include "state/data_service_answers.h"
#include "state/feed_channels.h"
#include "state/funds.h"
#include "state/login_tables.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/row_reader.h"
#include "state/session_services.h"
#include "state/session_notifications.h"

namespace state {

namespace {

namespace Log = platform::Log;
using RowFiller = std::function<void(std::string_view row)>;

// The kind of the account statement's cancelled-order history.
constexpr std::int32_t kCancelledOrderHistory = 10;

// The text is the lower-case word in any case; a long answer is not copied to tell.
bool isWord(std::string_view text, std::string_view word) {
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(),
                      [](unsigned char c, char w) { return static_cast<char>(std::tolower(c)) == w; });
}

// A history row into its record; a row too short for it is skipped (logged by the record).
template <typename Record, typename Fill>
RowFiller history(Fill fill) {
    return [fill](std::string_view row) {
        if (auto record = Record::fromRow(row)) fill(*record);
    };
}

bool isHistoryAnswer(const protocol::RequestKind& kind) {
    return kind.name == model::CancelledOrderHD::kRequestName && kind.dsrequestType == kCancelledOrderHistory;
}

}  // namespace

void DataServiceAnswers::processDSResponse(std::optional<SharedText> result,
                                           const std::optional<std::string>& compressedData,
                                           const std::optional<std::string>& requestName,
                                           const std::optional<protocol::RequestKind>& kind) {
    platform::assertMainThread();
    if (!kind) {
        Log::warning("Data-service answer without its request: dropped");
        return;
    }
    const std::string& name = kind->name;
    if (requestName && *requestName != name) {
        Log::warning("Data-service answer for \"" + *requestName + "\" to the request \"" + name + "\": dropped");
        return;
    }
    // The memory a large answer took goes back to the system once the windows
    // dropped what they held: after this answer's notifications, and again
    // after those of the next answer of its kind, which replaces its records.
    const bool large = result && result->view.size() >= platform::kLargeAnswerBytes;
    const bool replacesLarge = largeAnswers_.erase(name) > 0;
    if (large) largeAnswers_.insert(name);
    // Posted on the main thread later, when the windows have the answer's records.
    auto postLater = [this](const char* posted) {
        services_.onMain([posted] { platform::NotificationCenter::defaultCenter().post(posted); });
    };
    auto rows = [&](bool spread) {
        if (result) processHistoryData(*result, compressedData, *kind, spread);
    };
    try {
        if (name == "getfinancialtransactions") {
            funds_.beginFinancialTransactions();
            rows(false);
            funds_.depositwithdrawalNotification();
        } else if (name == "getdsaccountstatement") {
            readStatement(result ? result->view : std::string_view());
        } else if (name == "getexecutedpositions") {
            book_.clearExecutedOrderSearchCollection();
            rows(false);
            book_.executedPositionSearchNotification();
        } else if (name == "getsessionschedule") {
            reference_.clearSessionSchedules();
            rows(false);
            reference_.storeMarketSessionSchedules();
            postLater(notifications::kMarketSessionSchedule);
        } else if (name == "getusermapwithmyaccount") {
            rows(false);
            postLater(notifications::kUserAccountMap);
        } else if (name == "addedituac") {
            const bool success = result && isWord(result->view, "success");
            postLater(success ? notifications::kEditUserAccountAccessSuccess
                                       : notifications::kEditUserAccountAccessFailure);
        } else if (isHistoryAnswer(*kind)) {
            funds_.beginCancelledOrderHistory();
            rows(false);
            funds_.accountStatementUpdateNotification();
        } else {
            rows(true);
        }
    } catch (const std::exception& e) {
        Log::error("Data-service answer \"" + name + "\" not processed: " + e.what());
    }
    if (large || replacesLarge)
        services_.onMain([] {
            // The element tree's record blocks that this thread keeps for its next reader too.
            protocol::XMLReader::releaseSpareBlocks();
            platform::releaseFreeMemory();
        });
}

void DataServiceAnswers::readStatement(std::string_view result) {
    // A failed answer is said as such, never shown as a statement of zeros.
    if (result.empty()) return funds_.statementFailed("the answer is empty");
    if (isWord(result, "error")) return funds_.statementFailed("the server answered ERROR");
    // The usual shape goes to the records without an element tree or a table map;
    // the row reader takes only a document whose root closed.
    LoginTables rows;
    if (rows.read(result)) {
        reference_.clearTableData();
        return funds_.ParseAccountStatement(rows);
    }
    using XmlRead = ReferenceData::XmlRead;
    const XmlRead read = reference_.parseXml(result);
    if (read == XmlRead::Whole) funds_.ParseAccountStatement();
    reference_.clearTableData();  // a large statement's rows are not held until the next one
    if (read == XmlRead::CutShort) funds_.statementFailed("the answer ends before its root element closes");
    if (read == XmlRead::NotXml) funds_.statementFailed("the answer is not XML");
    if (read == XmlRead::Refused) funds_.statementFailed("the answer is not a well-formed XML document within the reader's caps");
    if (read == XmlRead::TooDeep) funds_.statementFailed("the answer is not a readable XML document");
}

struct DataServiceAnswers::RowJob {
    std::string name;
    // The answer's text, held while its rows are read and filled over several slices.
    SharedText held;
    RowReader rows;
    std::size_t read = 0;
    std::size_t released = 0;  // bytes of `held` whose pages went back
    std::size_t maxRows = std::numeric_limits<std::size_t>::max();
    HistoryOrders::ItemCodeOf itemCode;
    RowFiller fill;
    bool subscribeAfter = false;
    std::optional<Queries::ItemsGathering> gathering;
    bool spread = false;
    bool holding = false;
    std::uint64_t hold = 0;
    std::uint64_t login = 0;
};

void DataServiceAnswers::processHistoryData(const SharedText& result, const std::optional<std::string>& compressedData,
                                            const protocol::RequestKind& kind, bool spread) {
    const std::string& name = kind.name;
    if (result.view.empty() || isWord(result.view, "error")) {
        // Only a failed bank-details answer says the account has none.
        if (name == "getbankaccounts") funds_.clearBankDetails(kind.sequence);
        return;
    }
    OrderBook& orders = book_;
    Funds& funds = funds_;
    ReferenceData& reference = reference_;
    auto job = std::make_shared<RowJob>();
    RowJob* j = job.get();
    j->name = name;
    j->login = loginCount_;
    j->itemCode = [&reference](std::int32_t id) { return reference.itemCode(id); };
    RowFiller& fill = j->fill;
    if (name == model::OpenOrderHD::kRequestName) {
        fill = history<model::OpenOrderHD>([&orders, j](const auto& r) { orders.FillInitialOpenOrderCollection(r, j->itemCode); });
        j->subscribeAfter = true;
    } else if (name == model::PendingOrderHD::kRequestName) {
        fill = history<model::PendingOrderHD>(
            [&orders, j](const auto& r) { orders.FillInitialPendingOrderCollection(r, j->itemCode); });
        j->subscribeAfter = true;
    } else if (name == model::SettledOrderHD::kRequestName) {
        fill = history<model::SettledOrderHD>(
            [&orders, j](const auto& r) { orders.FillInitialSettledOrderCollection(r, j->itemCode); });
    } else if (isHistoryAnswer(kind)) {
        spread = false;
        fill = history<model::CancelledOrderHD>([&funds](const auto& r) { funds.fillHistoryCancelledOrderCollection(r); });
    } else if (name == model::CancelledOrderHD::kRequestName) {
        fill = history<model::CancelledOrderHD>([&orders](const auto& r) { orders.FillInitialCancelledOrderCollection(r); });
    } else if (name == model::EquityHitPriceInfos::kRequestName) {
        fill = history<model::EquityHitPriceInfos>([&orders](const auto& r) { orders.SetEquityHitPriceInOrders(r); });
    } else if (name == "getinstruments") {
        fill = [&reference](std::string_view row) { reference.fillAdvancedInstrumentInfo(row); };
    } else {
        // The other answers are short or own a step after their rows: one slice.
        spread = false;
        if (name == "getbankaccounts") {
            fill = [&, request = kind.sequence](std::string_view row) { funds.fillBankDetails(row, request); };
        } else if (name == "getexecutedpositions") {
            fill = [&](std::string_view row) { orders.fillExecutedPositionSearchData(row); };
        } else if (name == "getsessionschedule") {
            fill = [&](std::string_view row) { reference.fillMarketSessionSchedules(row); };
        } else if (name == "getapprovalrequest") {
            fill = [&](std::string_view row) { funds.fillApprovalRequest(row); };
        } else if (name == "getfinancialapprovals") {
            fill = [&](std::string_view row) { funds.fillFinancialApproval(row); };
        } else if (name == "getfinancialtransactions") {
            fill = [&](std::string_view row) { funds.fillFinancialTransactionsData(row); };
        } else if (name == "getusermapwithmyaccount") {
            fill = [&](std::string_view row) { reference.fillUserMapWithMyAccountDetails(row); };
        } else if (name == "resourcesearch") {
            fill = [&](std::string_view row) { reference.fillResourceSearchInfo(row, model::FileResource::kSearch); };
        } else if (name == "resourcedownload") {
            fill = [&](std::string_view row) { fillResourceDownload(row, compressedData); };
        } else if (name == "paygategetsettings") {
            fill = [&](std::string_view row) { funds.fillPayGateSettingsDetails(row); };
        } else {
            Log::debug("Data-service answer \"" + name + "\" has no filler: rows ignored");
            return;
        }
    }
    // The rows view the answer, held by the job while they are read.
    j->held = result;
    j->rows = RowReader(result.view);
    // The bank details come from the first row only.
    if (name == "getbankaccounts") j->maxRows = 1;
    if (name == model::OpenOrderHD::kRequestName) orders.expectOpenPositions(RowReader::mostRows(result.view));
    j->spread = spread;
    fillRows(job);
}

void DataServiceAnswers::fillRows(const std::shared_ptr<RowJob>& job) {
    // A new login asked again: this answer's rest is not filled.
    const bool stale = job->login != loginCount_ || (job->holding && !services_.stillHolding(job->hold));
    const std::size_t slice = stale ? 0 : job->spread ? kRowsPerSlice : std::numeric_limits<std::size_t>::max();
    platform::SliceBudget budget;
    for (std::size_t n = 0; n < slice && job->read < job->maxRows; ++n) {
        const std::optional<std::string_view> row = job->rows.next();
        if (!row) break;
        ++job->read;
        try {
            job->fill(*row);
        } catch (const std::exception& e) {
            Log::debug("Data-service row of \"" + job->name + "\" skipped: " + e.what());
        }
        if (job->spread && budget.spent()) break;
    }
    if (!stale && job->read < job->maxRows && !job->rows.done()) {
        // A long answer's rows read are not read again: their pages go back
        // now rather than with the whole text, after the answers held meanwhile.
        const std::size_t bytes = job->rows.bytesRead();
        if (job->held.view.size() >= kReleasedAnswerBytes && bytes - job->released >= kReleasedAnswerBytes) {
            platform::releasePages(job->held.view.data(), bytes, kReleasedAnswerBytes);
            job->released = bytes;
        }
        if (!job->holding) job->hold = services_.holdMessages();
        job->holding = true;
        services_.onMain([this, job] { fillRows(job); });
        return;
    }
    // Every row read: the answer's text goes before the gathering's slices.
    job->rows = RowReader();
    job->held = SharedText();
    if (!stale && job->subscribeAfter && job->read > 0) {
        // The subscription in slices of its own, the messages after the answer held until it is sent.
        if (!job->holding) job->hold = services_.holdMessages();
        job->holding = true;
        job->subscribeAfter = false;
        services_.onMain([this, job] { subscribeAfter(job); });
        return;
    }
    if (job->holding && services_.stillHolding(job->hold)) services_.releaseMessages();
}

void DataServiceAnswers::subscribeAfter(const std::shared_ptr<RowJob>& job) {
    if (job->login != loginCount_ || !services_.stillHolding(job->hold)) return;
    // The codes the session needs gathered a slice's worth at a time, subscribed in a slice of their own.
    if (!feed_.gatherItemsSlice(job->gathering)) {
        services_.onMain([this, job] { subscribeAfter(job); });
        return;
    }
    services_.onMain([this, job] {
        if (job->login != loginCount_ || !services_.stillHolding(job->hold)) return;
        // The codes moved on, the gathering let go first: no copy of them at the login's peak.
        std::vector<std::string> codes = std::move(*job->gathering).takeCodes();
        job->gathering.reset();
        feed_.ProcessSubscribeandUnSubscribeItems(std::move(codes), true);
        services_.releaseMessages();
    });
}

}  // namespace state
