#pragma once
// The data-service side of a session: the first requests after the login and
// the answers (1024) and chart data (1041), each routed to the component that
// owns what it fills. Filled in by the data-service work.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/clock.h"

#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/resource_files.h"
#include "state/session_component.h"
#include "state/shared_text.h"

namespace state {

class SessionServices;
class ReferenceData;
class OrderBook;
class Funds;
class Chat;
class FeedChannels;

class DataServiceAnswers : public SessionComponent {
public:
    DataServiceAnswers(SessionServices& services, ReferenceData& reference, OrderBook& book, Funds& funds, Chat& chat,
                       FeedChannels& feed)
        : services_(services), reference_(reference), book_(book), funds_(funds), chat_(chat), feed_(feed) {}
    const char* componentName() const override { return "DataServiceAnswers"; }
    void registerHandlers(Dispatcher& table) override;

    // Chart answer key -> answer text; a later answer of a key replaces it (a
    // chart asks again once its held answer is a bar old); a login empties it.
    const OrderedDictionary<std::string>& chartDataCollection() const { return charts_; }
    // The stored answer of a chart key; nullopt when none is held.
    std::optional<std::string> chartData(const std::string& chartKey) const {
        const std::string* data = charts_.find(chartKey);
        return data ? std::optional(*data) : std::nullopt;
    }
    std::optional<platform::TimePoint> chartDataTime(const std::string& chartKey) const {
        const auto it = chartTimes_.find(chartKey);
        return it == chartTimes_.end() ? std::nullopt : std::optional(it->second);
    }
    void storeChartData(const std::string& key, const std::string& answer);
    // A request dropped without an answer: a data-service request is answered
    // as empty, a chart's key is announced with nothing stored for it.
    void requestUnanswered(const protocol::RequestKind& kind);

    // Rows of an order or instrument answer read and filled at most in one
    // main-thread slice (fewer once platform::SliceBudget's time is spent); a
    // longer answer goes on in the next slices, the messages after it held.
    static constexpr std::size_t kRowsPerSlice = 500;
    // An answer's text this long gives its pages back as its rows are read,
    // each time this many more bytes were read.
    static constexpr std::size_t kReleasedAnswerBytes = 1u << 20;
    // Trading status of an account whose equity was hit.
    static constexpr std::int32_t kEquityHitStatus = 5;

    // The requests sent once the login is accepted, in the order the server expects.
    virtual void sendFirstRequests();
    // `kind`: the request the answer came back for; nullopt on the TCP session.
    // Routes an answer by the request it answers: the collection emptied
    // first, the filler of each row, the notification after. An answer with
    // no request, or naming another, is dropped (logged). A long table answer
    // is kept by its fill, without a copy.
    // `result` is held, not copied, by a fill spread over slices.
    virtual void processDSResponse(std::optional<SharedText> result,
                                   const std::optional<std::string>& compressedData,
                                   const std::optional<std::string>& requestName,
                                   const std::optional<protocol::RequestKind>& kind);
    void processDSResponse(std::optional<std::string> result, const std::optional<std::string>& compressedData,
                           const std::optional<std::string>& requestName,
                           const std::optional<protocol::RequestKind>& kind) {
        processDSResponse(result ? std::optional(SharedText::of(std::move(*result))) : std::nullopt, compressedData,
                          requestName, kind);
    }
    // Stores a chart answer under the key of its header ("<x~KEY~...>"), the
    // first one kept, and tells the window waiting for `requestId`.
    virtual void fillChartData(const std::optional<std::string>& answer, std::int32_t requestId,
                               const std::optional<protocol::RequestKind>& kind);
    // A downloaded file: field 0 of the row names it, the payload is its
    // content. Inflated, held against the budget, written and synced on the
    // I/O queue; a file skipped there is marked not available.
    void fillResourceDownload(std::string_view row, const std::optional<std::string>& compressedData);
    // Chart data (1040) under a request id of its own, which the answer's
    // notification names; returns that id.
    std::int32_t requestChartData(const std::string& symbol, const std::string& interval, std::int32_t points);
    // "ChartDataReceivedNotification<n>", carrying n.
    void chartDataReceivedNotification(std::uint64_t n);

protected:
    // The resources folder's and this login's download budget, used on the I/O queue.
    std::shared_ptr<ResourceFiles::DownloadBudget> downloads_ = std::make_shared<ResourceFiles::DownloadBudget>();
    SessionServices& services_;
    ReferenceData& reference_;
    OrderBook& book_;
    Funds& funds_;
    Chat& chat_;
    FeedChannels& feed_;

private:
    static constexpr std::size_t kMaxChartAnswers = 256;
    static constexpr std::size_t kMaxChartBytes = 64u * 1024u * 1024u;
    OrderedDictionary<std::string> charts_;
    std::unordered_map<std::string, platform::TimePoint> chartTimes_;
    std::size_t chartBytes_ = 0;
    // Request names whose last answer was large: the windows hold its records
    // until the next answer of that name replaces them.
    std::unordered_set<std::string> largeAnswers_;
    // The account statement answer into the statement, or its failure.
    void readStatement(std::string_view result);
    // Hands each row of a table answer to its filler; `spread`: over several
    // slices when long (the answer has no step after its rows), holding `result`.
    void processHistoryData(const SharedText& result, const std::optional<std::string>& compressedData,
                            const protocol::RequestKind& kind, bool spread = false);
    // The rows of one answer and where their fill stands.
    struct RowJob;
    // Fills the next slice of rows; posts the rest, or ends the answer.
    void fillRows(const std::shared_ptr<RowJob>& job);
    // Counts the logins: a fill spread over slices stops at the next one.
    std::uint64_t loginCount_ = 0;
    // Subscribes the prices the session needs once the last row is in.
    void subscribeAfter(const std::shared_ptr<RowJob>& job);
};

}  // namespace state
