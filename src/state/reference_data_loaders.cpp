// Loaders of instrument types, instruments, resources and currencies
// (instrument_fillers.cpp, currency_fillers.cpp), and the two follow-ups that
// need several kinds of record at once.
#include "state/currency_fillers.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"

namespace state {

namespace {
InstrumentCollections instruments(ReferenceData& s) {
    return {s.ItemTypeCollection, s.ItemCollection, s.symbolTypeCollection};
}
}  // namespace

void ReferenceData::FillItemType(const TableRow& row) { InstrumentFillers::FillItemType(ItemTypeCollection, row); }
void ReferenceData::FillItemDetails(const TableRow& row) { InstrumentFillers::FillItemDetails(instruments(*this), row); }
void ReferenceData::FillPackedItemType(std::string_view section) {
    InstrumentFillers::FillPackedItemType(ItemTypeCollection, section);
}
void ReferenceData::FillPackedItemDetails(std::string_view section) {
    InstrumentFillers::FillPackedItemDetails(instruments(*this), section);
}
void ReferenceData::fillResourceDetails(std::string_view section) {
    CurrencyFillers::fillResourceDetails(resourceCollection, section);
}
void ReferenceData::fillCurrencyListDetails(std::string_view section) {
    CurrencyFillers::fillCurrencyListDetails(tradeCurrencyCollection, section);
}
void ReferenceData::fillTradeCurrencyDetails(std::string_view section) {
    CurrencyFillers::fillTradeCurrencyDetails(tradeCurrencyCollection, AccountDetailCollection, section);
}
void ReferenceData::LoadItemstoWatchlist() {
    if (followUps_.loadWatchlist) followUps_.loadWatchlist();
}
void ReferenceData::SetAllSymbolsSpread() {
    if (followUps_.setAllSymbolsSpread) followUps_.setAllSymbolsSpread();
}

}  // namespace state
