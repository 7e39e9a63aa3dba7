#pragma once
// What the windows may read of a session: ready lists and figures, and const
// views of the components' collections. Main thread only; windows change
// state only through the session's named operations.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/order.h"
#include "model/resource_details.h"
#include "state/instrument_fillers.h"
#include "state/state_queries.h"

namespace state {

class ReferenceData;
class OrderBook;
class AccountLedger;
class Chat;
class FeedChannels;
class Journal;
class PingMonitor;
class DataServiceAnswers;
class Funds;

class SessionQueries {
public:
    virtual ~SessionQueries() = default;

    virtual std::optional<std::string> getInstrumentTypeName(std::int32_t typeId) const = 0;
    virtual SymbolTypes getSymbolTypes() const = 0;
    virtual std::string getItemCode(std::int32_t instrumentId) const = 0;
    virtual std::uint64_t getItemIdForItemCode(const std::string& code) const = 0;
    virtual Orders getOpenOrderCollection() const = 0;
    virtual Orders getOpenOrderCollectionCopy() const = 0;
    virtual Orders getPendingOrderCollection() const = 0;
    virtual Orders getCancelledOrderCollection() const = 0;
    virtual Orders getSettledOrderCollection() const = 0;
    virtual Orders getExecutedOrderCollection() const = 0;
    virtual bool canShowAccount(const model::AccountDetails& account) const = 0;
    virtual Accounts getAccountCollection() const = 0;
    virtual bool canShowAERights() const = 0;
    virtual bool isUserMappedWithAccount(std::uint64_t accountId) const = 0;
    virtual UserAccountMapList getUserMappedWithAccount(std::uint64_t accountId) const = 0;
    virtual std::vector<std::string> getAllItems() const = 0;
    virtual ChatRooms getMessageNoticesCollection() const = 0;
    virtual ChatRooms getrecentChatCollection() const = 0;
    virtual std::vector<std::shared_ptr<model::ResourceDetails>> getResourceCollection() const = 0;
    virtual bool checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const = 0;
    virtual WeekSchedule getMarketSessionSchedulesCollection(std::uint64_t marketId) const = 0;
    virtual std::string getDaysOfTheWeekName(std::uint64_t weekday) const = 0;
    virtual bool checkFilesDownloadedAtPath(const std::string& folder) const = 0;
    virtual std::string GetOrderRejectionReason(std::int32_t code) const = 0;

    // Const views of what the components hold.
    virtual const ReferenceData& referenceData() const = 0;
    virtual const OrderBook& orderBook() const = 0;
    virtual const AccountLedger& accountLedger() const = 0;
    virtual const Chat& chat() const = 0;
    virtual const FeedChannels& feedChannels() const = 0;
    virtual const Journal& journal() const = 0;
    virtual const PingMonitor& pingMonitor() const = 0;
    virtual const DataServiceAnswers& dataServiceAnswers() const = 0;
    virtual const Funds& funds() const = 0;
};

}  // namespace state
