// The session's lookups, window queries and resource files over its own
// collections.
#include "model/language_string.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/business_base.h"
#include "state/profit_loss.h"
#include "state/resource_files.h"

namespace state {

std::optional<std::string> BusinessBase::getInstrumentTypeName(std::int32_t typeId) const {
    return InstrumentFillers::getInstrumentTypeName(reference_.ItemTypeCollection(), typeId);
}
SymbolTypes BusinessBase::getSymbolTypes() const { return InstrumentFillers::getSymbolTypes(reference_.symbolTypeCollection()); }
std::string BusinessBase::getItemCode(std::int32_t instrumentId) const {
    return reference_.itemCode(instrumentId);
}
std::uint64_t BusinessBase::getItemIdForItemCode(const std::string& code) const {
    return InstrumentFillers::getItemIdForItemCode(reference_.ItemCollection(), code);
}

OrderList BusinessBase::getOpenOrderCollection() const {
    return Queries::visibleOrders(orderBook_->OpenOrderCollection(), reference_.AccountDetailCollection());
}
bool BusinessBase::hasVisibleOpenOrder() const {
    return Queries::anyVisible(orderBook_->OpenOrderCollection(), reference_.AccountDetailCollection());
}
std::uint64_t BusinessBase::openPositionsRevision() const { return orderBook_->openRevision(); }
OrderList BusinessBase::getOpenOrderCollectionCopy() const {
    return Queries::visibleOrders(orderBook_->OpenOrderCollectionCopy(), reference_.AccountDetailCollection());
}
OrderList BusinessBase::getPendingOrderCollection() const {
    return Queries::visibleOrders(orderBook_->PendingOrderCollection(), reference_.AccountDetailCollection());
}
OrderList BusinessBase::getCancelledOrderCollection() const {
    return Queries::visibleOrders(orderBook_->CancelledOrderCollection(), reference_.AccountDetailCollection());
}
OrderList BusinessBase::getSettledOrderCollection() const {
    return Queries::visibleOrders(orderBook_->SettledOrderCollection(), reference_.AccountDetailCollection());
}
std::vector<std::pair<std::string, std::string>> BusinessBase::hedgeMargins() const {
    const auto& margins = orderBook_->HedgeMarginCollection();
    return {margins.begin(), margins.end()};
}
void BusinessBase::sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    orderBook_->sortOpenOrders(d);
}
void BusinessBase::sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    orderBook_->sortPendingOrders(d);
}
void BusinessBase::sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    orderBook_->sortCancelledOrders(d);
}
void BusinessBase::sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    orderBook_->sortSettledOrders(d);
}
OrderList BusinessBase::getExecutedOrderCollection() const {
    return Queries::executedOrders(orderBook_->isExecutedPositionSearch(), orderBook_->ExecutedOrderSearchCollection(), orderBook_->OpenOrderCollection(),
                                   orderBook_->OpenOrderCollectionCopy(), reference_.AccountDetailCollection());
}
std::shared_ptr<model::Order> BusinessBase::executedPosition(const std::string& positionId) const {
    return Queries::executedOrder(orderBook_->isExecutedPositionSearch(), orderBook_->ExecutedOrderSearchCollection(),
                                  orderBook_->OpenOrderCollection(), orderBook_->OpenOrderCollectionCopy(),
                                  reference_.AccountDetailCollection(), positionId);
}

bool BusinessBase::canShowAccount(const model::AccountDetails& account) const {
    return Queries::canShowAccount(account);
}
Accounts BusinessBase::getAccountCollection() const { return Queries::accountCollection(reference_.AccountDetailCollection()); }
void BusinessBase::calcAccountDetails(std::int32_t accountId) {
    platform::assertMainThread();
    Queries::calcAccountDetails(accountId, reference_.AccountDetailCollection(), reference_.GroupDetailCollection(), orderBook_->OpenOrderCollection());
}
bool BusinessBase::canShowAERights() const {
    return Queries::canShowAERights(reference_.AccountDetailCollection(), reference_.userInfo().get());
}
bool BusinessBase::isUserMappedWithAccount(std::uint64_t accountId) const {
    return Queries::isUserMappedWithAccount(reference_.userAccountMapCollection(), accountId);
}
UserAccountMapList BusinessBase::getUserMappedWithAccount(std::uint64_t accountId) const {
    return Queries::getUserMappedWithAccount(reference_.userAccountMapCollection(), reference_.AccountDetailCollection(), accountId);
}
void BusinessBase::updateUserAccountMaps(const model::UserAccountMaps& map) {
    platform::assertMainThread();
    reference_.updateUserAccountMap(map);
}
std::vector<std::string> BusinessBase::getAllItems() const {
    return Queries::allItems(reference_.selectedSymbols(), orderBook_->OpenOrderCollection(), orderBook_->PendingOrderCollection(), reference_.AccountDetailCollection());
}
ChatRooms BusinessBase::getMessageNoticesCollection() const { return Queries::messageNotices(chat_->ChatRoomCollection()); }
ChatRooms BusinessBase::getrecentChatCollection() const { return Queries::recentChats(chat_->ChatRoomCollection()); }
std::vector<std::shared_ptr<model::ResourceDetails>> BusinessBase::getResourceCollection() const {
    return Queries::resourceList(reference_.resourceCollection());
}
bool BusinessBase::checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const {
    return Queries::checkMarketSessionSchedulesIsAvailable(reference_.marketSessionSchedulesCollection(), marketId);
}
WeekSchedule BusinessBase::getMarketSessionSchedulesCollection(std::uint64_t marketId) const {
    return Queries::marketSessionSchedules(reference_.marketSessionSchedulesCollection(), reference_.SessionSettingCollection(), marketId,
                                           host_.selectedLanguage());
}
std::string BusinessBase::getDaysOfTheWeekName(std::uint64_t weekday) const {
    return Queries::getDaysOfTheWeekName(weekday, host_.selectedLanguage());
}

bool BusinessBase::checkFilesDownloadedAtPath(const std::string& folder) const {
    return ResourceFiles::checkFilesDownloadedAtPath(folder, reference_.resourceCollection());
}

}  // namespace state
