// Reference data the data service answers after the login: the instruments'
// market details, market session timetables, user maps and searched resources.
#include "model/history_row.h"
#include "model/text_value.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"

namespace state {

namespace {
std::uint64_t unsignedAt(const model::HistoryRow& row, std::size_t i) {
    return model::TextValue::unsignedLongLongValue(row.field(i));
}
}  // namespace

void ReferenceData::fillAdvancedInstrumentInfo(std::string_view text) {
    const model::HistoryRow row(text);
    const std::string code = InstrumentFillers::getItemCode(ItemCollection, row.integer(0));
    auto* item = code.empty() ? nullptr : ItemCollection.find(code);
    if (!item || !*item) return;
    model::ItemDetails& i = **item;
    i.marketID = unsignedAt(row, 1);
    i.exchangeName = row.text(2);
    i.descriptions = row.text(3);
    i.iconResource = row.text(5);
    i.priceUnitID = unsignedAt(row, 6);
    i.priceUnitValue = row.number(7);
    i.extraInfo = row.text(8);
}

void ReferenceData::fillMarketSessionSchedules(std::string_view text) {
    const model::HistoryRow row(text);
    auto s = std::make_shared<model::SessionScheduleInfo>();
    s->scheduleID = unsignedAt(row, 0);
    s->marketID = unsignedAt(row, 1);
    s->tradeSessionSettingID = unsignedAt(row, 2);
    s->dayOfTheWeekID = unsignedAt(row, 3);
    s->startTime = row.text(4);
    s->stopTime = row.text(5);
    sessionSchedulesArray.push_back(std::move(s));
}

void ReferenceData::storeMarketSessionSchedules() {
    if (sessionSchedulesArray.empty() || !sessionSchedulesArray.front()) return;
    marketSessionSchedulesCollection.set(std::to_string(sessionSchedulesArray.front()->marketID), sessionSchedulesArray);
}

void ReferenceData::fillUserMapWithMyAccountDetails(std::string_view text) {
    const model::HistoryRow row(text);
    auto map = std::make_shared<model::UserAccountMaps>();
    map->userId = unsignedAt(row, 0);
    map->accountId = unsignedAt(row, 1);
    map->accountAccessTypeId = unsignedAt(row, 2);
    map->userName = row.text(3);
    std::string key = std::to_string(map->userId);
    userAccountMapCollection.set(std::move(key), std::move(map));
}

void ReferenceData::fillResourceSearchInfo(std::string_view text, std::int64_t mode) {
    const model::HistoryRow row(text);
    auto r = std::make_shared<model::FileResource>();
    r->resourceName = row.text(0);
    r->resourceType = unsignedAt(row, 1);
    r->productID = unsignedAt(row, 2);
    r->organization = unsignedAt(row, 3);
    r->resourceServerName = row.text(4);
    if (mode == model::FileResource::kSearch) {
        r->searchKey = row.text(5);
        r->searchPattern = row.text(6);
        r->fileCRC = row.text(7);
        r->fileEncodeType = unsignedAt(row, 8);
    } else if (mode == model::FileResource::kDownload) {
        r->fileCRC = row.text(5);
        r->fileEncodeType = unsignedAt(row, 6);
    }
    std::string key = r->resourceName;
    resourceSearchCollection.set(std::move(key), std::move(r));
}

}  // namespace state
