// The session's lookups, window queries and resource files over its own
// collections.
#include "model/language_string.h"
#include "platform/log.h"
#include "state/business_base.h"
#include "state/resource_files.h"

namespace state {

std::optional<std::string> BusinessBase::getInstrumentTypeName(std::int32_t typeId) const {
    return InstrumentFillers::getInstrumentTypeName(ItemTypeCollection, typeId);
}
SymbolTypes BusinessBase::getSymbolTypes() const { return InstrumentFillers::getSymbolTypes(symbolTypeCollection); }
std::string BusinessBase::getItemCode(std::int32_t instrumentId) const {
    return InstrumentFillers::getItemCode(ItemCollection, instrumentId);
}
std::uint64_t BusinessBase::getItemIdForItemCode(const std::string& code) const {
    return InstrumentFillers::getItemIdForItemCode(ItemCollection, code);
}

OrderList BusinessBase::getOpenOrderCollection() const {
    return Queries::visibleOrders(OpenOrderCollection, AccountDetailCollection);
}
OrderList BusinessBase::getOpenOrderCollectionCopy() const {
    return Queries::visibleOrders(OpenOrderCollectionCopy, AccountDetailCollection);
}
OrderList BusinessBase::getPendingOrderCollection() const {
    return Queries::visibleOrders(PendingOrderCollection, AccountDetailCollection);
}
OrderList BusinessBase::getCancelledOrderCollection() const {
    return Queries::visibleOrders(CancelledOrderCollection, AccountDetailCollection);
}
OrderList BusinessBase::getSettledOrderCollection() const {
    return Queries::visibleOrders(SettledOrderCollection, AccountDetailCollection);
}
void BusinessBase::sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    Queries::sortOrders(OpenOrderCollection, d);
}
void BusinessBase::sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    Queries::sortOrders(PendingOrderCollection, d);
}
void BusinessBase::sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    Queries::sortOrders(CancelledOrderCollection, d);
}
void BusinessBase::sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& d) {
    Queries::sortOrders(SettledOrderCollection, d);
}
OrderList BusinessBase::getExecutedOrderCollection() const {
    return Queries::executedOrders(isExecutedPositionSearch, ExecutedOrderSearchCollection, OpenOrderCollection,
                                   OpenOrderCollectionCopy, AccountDetailCollection);
}

bool BusinessBase::canShowAccount(const model::AccountDetails& account) const {
    return Queries::canShowAccount(account);
}
Accounts BusinessBase::getAccountCollection() const { return Queries::accountCollection(AccountDetailCollection); }
void BusinessBase::calcAccountDetails(std::int32_t accountId) {
    Queries::calcAccountDetails(accountId, AccountDetailCollection, GroupDetailCollection, OpenOrderCollection);
}
bool BusinessBase::canShowAERights() const {
    return Queries::canShowAERights(AccountDetailCollection, userInfo.get());
}
bool BusinessBase::isUserMappedWithAccount(std::uint64_t accountId) const {
    return Queries::isUserMappedWithAccount(userAccountMapCollection, accountId);
}
UserAccountMapList BusinessBase::getUserMappedWithAccount(std::uint64_t accountId) const {
    return Queries::getUserMappedWithAccount(userAccountMapCollection, AccountDetailCollection, accountId);
}
void BusinessBase::updateUserAccountMaps(const model::UserAccountMaps& map) {
    Queries::updateUserAccountMaps(userAccountMapCollection, map);
}
std::vector<std::string> BusinessBase::getAllItems() const {
    return Queries::allItems(selectedSymbols, OpenOrderCollection, PendingOrderCollection, AccountDetailCollection);
}
ChatRooms BusinessBase::getMessageNoticesCollection() const { return Queries::messageNotices(ChatRoomCollection); }
ChatRooms BusinessBase::getrecentChatCollection() const { return Queries::recentChats(ChatRoomCollection); }
std::vector<std::shared_ptr<model::ResourceDetails>> BusinessBase::getResourceCollection() const {
    return Queries::resourceList(resourceCollection);
}
bool BusinessBase::checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const {
    return Queries::checkMarketSessionSchedulesIsAvailable(marketSessionSchedulesCollection, marketId);
}
WeekSchedule BusinessBase::getMarketSessionSchedulesCollection(std::uint64_t marketId) const {
    return Queries::marketSessionSchedules(marketSessionSchedulesCollection, SessionSettingCollection, marketId,
                                           host_.selectedLanguage());
}
std::string BusinessBase::getDaysOfTheWeekName(std::uint64_t weekday) const {
    return Queries::getDaysOfTheWeekName(weekday, host_.selectedLanguage());
}

void BusinessBase::saveFileWithName(const std::string& fileName, const std::string& fileData) {
    const auto folder = ResourceFiles::resourcesFolder();
    if (!folder) {
        platform::Log::error("Resource download: no resources folder");
        return;
    }
    ResourceFiles::saveFileWithName(*folder, fileName, fileData, resourceCollection,
                                    [this](const std::string& name) { postNotification(name); });
}
bool BusinessBase::checkFilesDownloadedAtPath(const std::string& folder) const {
    return ResourceFiles::checkFilesDownloadedAtPath(folder, resourceCollection);
}

}  // namespace state
