// Loaders of instrument types, instruments, resources and currencies
// (instrument_fillers.cpp, currency_fillers.cpp), and the two follow-ups that
// need several kinds of record at once.
#include "state/currency_fillers.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"

namespace state {

void ReferenceData::FillItemType(const TableRow& row) { InstrumentFillers::FillItemType(itemTypes_, row); }
void ReferenceData::FillItemDetails(const TableRow& row) { InstrumentFillers::FillItemDetails({itemTypes_, items_, symbolTypes_}, row); }
void ReferenceData::FillPackedItemType(std::string_view section) {
    InstrumentFillers::FillPackedItemType(itemTypes_, section);
}
void ReferenceData::FillPackedItemDetails(std::vector<std::shared_ptr<model::ItemDetails>> items) {
    InstrumentFillers::storePackedItems({itemTypes_, items_, symbolTypes_}, std::move(items));
}
void ReferenceData::reservePackedItems(std::size_t total) { items_.reserve(items_.size() + total); }

void ReferenceData::trimSymbolLists() {
    for (auto& entry : symbolTypes_) entry.second.shrink_to_fit();
}
void ReferenceData::FillPackedItemRange(std::span<std::shared_ptr<model::ItemDetails>> items) {
    InstrumentFillers::storePackedItemRange({itemTypes_, items_, symbolTypes_}, items);
}
void ReferenceData::fillResourceDetails(std::string_view section) {
    CurrencyFillers::fillResourceDetails(resources_, section);
}
void ReferenceData::fillCurrencyListDetails(std::string_view section) {
    CurrencyFillers::fillCurrencyListDetails(tradeCurrencies_, section);
}
void ReferenceData::fillTradeCurrencyDetails(std::string_view section) {
    CurrencyFillers::fillTradeCurrencyDetails(tradeCurrencies_, accounts_, section);
}
// A login without instruments (a refusal, a broken login data) leaves the
// stored watchlist alone: filtering it against nothing would empty it.
void ReferenceData::LoadItemstoWatchlist() {
    if (items_.empty()) return;
    if (followUps_.loadWatchlist) followUps_.loadWatchlist();
}
bool ReferenceData::loadWatchlistPart(bool first, std::size_t codes) {
    if (items_.empty()) return false;
    return followUps_.loadWatchlistPart && followUps_.loadWatchlistPart(first, codes);
}
void ReferenceData::SetAllSymbolsSpread(std::size_t from, std::size_t to) {
    if (followUps_.setAllSymbolsSpread) followUps_.setAllSymbolsSpread(from, to);
}
bool ReferenceData::readSpreadGroups(std::size_t entries) {
    return followUps_.readSpreadGroups && followUps_.readSpreadGroups(entries);
}

}  // namespace state
