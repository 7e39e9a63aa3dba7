// Reference data the data service answers after the login: the instruments'
// market details, market session timetables, user maps and searched resources.
#include <stdexcept>
#include <utility>

#include "model/history_row.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "state/instrument_fillers.h"
#include "state/state_queries.h"
#include "state/reference_data.h"

namespace state {

void ReferenceData::fillAdvancedInstrumentInfo(std::string_view text) {
    const model::HistoryRow row(text);
    const auto* item = indexedItem(row.integer(0));
    if (!item || (*item)->Code.empty()) return;
    model::ItemDetails& i = **item;
    i.marketID = row.unsignedInteger(1);
    i.exchangeName = instrumentTexts_(row.text(2));
    i.descriptions = row.text(3);
    i.iconResource = instrumentTexts_(row.text(5));
    i.priceUnitID = row.unsignedInteger(6);
    i.priceUnitValue = row.number(7);
    i.extraInfo = row.text(8);
}

void ReferenceData::fillMarketSessionSchedules(std::string_view text) {
    const model::HistoryRow row(text);
    auto s = std::make_shared<model::SessionScheduleInfo>();
    s->scheduleID = row.unsignedInteger(0);
    s->marketID = row.unsignedInteger(1);
    s->tradeSessionSettingID = row.unsignedInteger(2);
    s->dayOfTheWeekID = row.unsignedInteger(3);
    s->startTime = row.text(4);
    s->stopTime = row.text(5);
    sessionSchedules_.push_back(std::move(s));
}

void ReferenceData::storeMarketSessionSchedules() {
    if (sessionSchedules_.empty() || !sessionSchedules_.front()) return;
    marketSessionSchedules_.set(std::to_string(sessionSchedules_.front()->marketID), sessionSchedules_);
}

void ReferenceData::fillUserMapWithMyAccountDetails(std::string_view text) {
    const model::HistoryRow row(text);
    // A row without its user and account would be held as user 0 of account 0.
    if (row.unsignedInteger(0) == 0 || row.unsignedInteger(1) == 0) {
        platform::Log::debug("User account map row without its user or account: skipped");
        return;
    }
    auto map = std::make_shared<model::UserAccountMaps>();
    map->userId = row.unsignedInteger(0);
    map->accountId = row.unsignedInteger(1);
    map->accountAccessTypeId = row.unsignedInteger(2);
    map->userName = row.text(3);
    // A row without both ids names nobody; past the cap a hostile answer only costs a log line.
    if (map->userId == 0 || map->accountId == 0) throw std::invalid_argument("user map without its ids");
    std::string key = Queries::userAccountMapKey(map->userId, map->accountId);
    if (userAccountMaps_.size() >= kMaxUserAccountMaps && !userAccountMaps_.contains(key))
        throw std::length_error("user maps over their cap");
    userAccountMaps_.set(std::move(key), std::move(map));
}

void ReferenceData::fillResourceSearchInfo(std::string_view text, std::int64_t mode) {
    const model::HistoryRow row(text);
    auto r = std::make_shared<model::FileResource>();
    r->resourceName = row.text(0);
    r->resourceType = row.unsignedInteger(1);
    r->productID = row.unsignedInteger(2);
    r->organization = row.unsignedInteger(3);
    r->resourceServerName = row.text(4);
    if (mode == model::FileResource::kSearch) {
        r->searchKey = row.text(5);
        r->searchPattern = row.text(6);
        r->fileCRC = row.text(7);
        r->fileEncodeType = row.unsignedInteger(8);
    } else if (mode == model::FileResource::kDownload) {
        r->fileCRC = row.text(5);
        r->fileEncodeType = row.unsignedInteger(6);
    }
    std::string key = r->resourceName;
    resourceSearch_.set(std::move(key), std::move(r));
}

}  // namespace state
