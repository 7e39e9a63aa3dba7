#include "state/reference_data.h"

#include "state/instrument_fillers.h"
#include "state/state_queries.h"
#include "state/text_conversions.h"
#include "state/watchlist.h"

#include <algorithm>
#include <utility>

namespace state {

ReferenceData::ReferenceData() = default;
ReferenceData::~ReferenceData() = default;

namespace {
template <typename Map>
auto found(const Map& map, const std::string& key) -> std::remove_cvref_t<decltype(*map.find(key))> {
    const auto* entry = map.find(key);
    return entry ? *entry : nullptr;
}
}  // namespace

std::shared_ptr<model::ItemDetails> ReferenceData::instrument(const std::string& code) const { return found(items_, code); }
std::shared_ptr<model::ItemDetails> ReferenceData::instrumentById(std::int32_t instrumentId) const {
    const auto* item = indexedItem(instrumentId);
    return item ? *item : nullptr;
}

void ReferenceData::indexItemCodes() const {
    while (indexItemCodesPart(items_.size() + 1)) {
    }
}

bool ReferenceData::indexItemCodesPart(std::size_t count) const {
    if (codeByIdRevision_ == items_.revision()) return false;
    if (!placeByIdBuild_ || placeByIdBuild_->revision != items_.revision()) {
        placeByIdBuild_.emplace();
        placeByIdBuild_->revision = items_.revision();
        placeByIdBuild_->places.reserve(items_.size());
    }
    PlaceByIdBuild& build = *placeByIdBuild_;
    for (const std::size_t end = std::min(items_.size(), build.next + count); build.next < end; ++build.next) {
        const auto& item = items_.at(build.next)->second;
        if (item) build.places.emplace_back(item->InstrumentId, static_cast<std::uint32_t>(build.next));
    }
    if (build.next < items_.size()) return true;
    // By id, then place: of the instruments of one id, the first one stays first.
    // Held in id order already (as sent), it is not sorted again.
    if (!std::is_sorted(build.places.begin(), build.places.end())) std::sort(build.places.begin(), build.places.end());
    placeById_ = std::move(build.places);
    codeByIdRevision_ = build.revision;
    placeByIdBuild_.reset();
    return false;
}

const std::shared_ptr<model::ItemDetails>* ReferenceData::indexedItem(std::int32_t instrumentId) const {
    // A hit counts while that place still holds an instrument of the id.
    const auto indexed = [&]() -> const std::shared_ptr<model::ItemDetails>* {
        const auto it = std::lower_bound(placeById_.begin(), placeById_.end(), instrumentId,
                                         [](const auto& entry, std::int32_t id) { return entry.first < id; });
        const auto* entry = it == placeById_.end() || it->first != instrumentId ? nullptr : items_.at(it->second);
        return entry && entry->second && entry->second->InstrumentId == instrumentId ? &entry->second : nullptr;
    };
    if (const auto* item = indexed()) return item;
    if (codeByIdRevision_ == items_.revision()) return nullptr;
    indexItemCodes();
    return indexed();
}

model::CompactText ReferenceData::itemCode(std::int32_t instrumentId) const {
    const auto* item = indexedItem(instrumentId);
    return item ? (*item)->Code : model::CompactText();
}
std::shared_ptr<model::AccountDetails> ReferenceData::account(const std::string& accountId) const {
    return found(accounts_, accountId);
}
std::shared_ptr<model::GroupDetails> ReferenceData::group(const std::string& groupId) const { return found(groups_, groupId); }
std::shared_ptr<model::SessionSettings> ReferenceData::sessionSetting(const std::string& settingId) const {
    return found(sessionSettings_, settingId);
}
std::vector<std::shared_ptr<model::ItemDetails>> ReferenceData::watchlistInstruments() const {
    std::vector<std::shared_ptr<model::ItemDetails>> items;
    items.reserve(selectedSymbols_.size());
    for (const std::string& code : selectedSymbols_) items.push_back(instrument(code));
    return items;
}
std::vector<std::shared_ptr<model::FileResource>> ReferenceData::resourceSearchResults() const {
    std::vector<std::shared_ptr<model::FileResource>> list;
    for (const auto& [name, resource] : resourceSearch_) list.push_back(resource);
    return list;
}

std::optional<std::vector<std::string>> ReferenceData::firstSymbolType() const {
    const auto* first = symbolTypes_.first();
    if (!first) return std::nullopt;
    std::vector<std::string> codes;
    for (std::string_view e : TextConversion::split(first->second, ',')) codes.emplace_back(e.substr(0, e.find(':')));
    return codes;
}

void ReferenceData::loadWatchlist(const Watchlist& list, const std::string& userName) {
    ++watchlistRevision_;
    list.LoadItemstoWatchlist(userName, selectedSymbols_);
}
bool ReferenceData::continueWatchlistLoad(const Watchlist& list, Watchlist::Load& load, std::size_t codes) {
    ++watchlistRevision_;
    return list.continueLoad(load, codes, selectedSymbols_);
}
void ReferenceData::saveWatchlist(const Watchlist& list, const std::string& userName, const std::vector<std::string>& codes) {
    ++watchlistRevision_;
    list.SaveItemstoWatchList(userName, codes, selectedSymbols_);
}

void ReferenceData::updateUserAccountMap(const model::UserAccountMaps& map) {
    Queries::updateUserAccountMaps(userAccountMaps_, map);
}

bool ReferenceData::updateAccount(const std::string& accountId,
                                  const std::function<void(model::AccountDetails&)>& change) {
    // Figures only: the account stays where it is found.
    const auto* found = std::as_const(accounts_).find(accountId);
    if (!found || !*found) return false;
    change(**found);
    return true;
}

const protocol::LoginInfoMessage* ReferenceData::firstLoginRecord() const {
    const auto* first = loginInfos_.first();
    return first ? first->second.get() : nullptr;
}

void ReferenceData::handOver(platform::SteppedRelease& release) {
    // A group no one else holds gives up its instruments' conditions too.
    auto groups = groups_.takeEntries();
    for (auto& [id, group] : groups)
        if (group && group.use_count() == 1) release.add(std::move(group->GroupInstrumentCollection));
    release.add(std::move(groups));
    release.add(items_.takeEntries());
    release.add(std::move(placeById_));
    placeById_.clear();
    placeByIdBuild_.reset();
    codeByIdRevision_ = ~std::uint64_t{0};
    release.add(accounts_.takeEntries());
    for (auto& [name, table] : tables_) release.add(table.takeEntries());
    release.add(tables_.takeEntries());
}

}  // namespace state
