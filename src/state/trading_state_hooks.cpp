// Loaders of instrument types, instruments, resources and currencies
// (instrument_fillers.cpp, currency_fillers.cpp), and the two follow-ups that
// need several kinds of record at once.
#include "state/currency_fillers.h"
#include "state/instrument_fillers.h"
#include "state/trading_state.h"

namespace state {

namespace {
InstrumentCollections instruments(TradingState& s) {
    return {s.ItemTypeCollection, s.ItemCollection, s.symbolTypeCollection};
}
}  // namespace

void TradingState::FillItemType(const TableRow& row) { InstrumentFillers::FillItemType(ItemTypeCollection, row); }
void TradingState::FillItemDetails(const TableRow& row) { InstrumentFillers::FillItemDetails(instruments(*this), row); }
void TradingState::FillPackedItemType(std::string_view section) {
    InstrumentFillers::FillPackedItemType(ItemTypeCollection, section);
}
void TradingState::FillPackedItemDetails(std::string_view section) {
    InstrumentFillers::FillPackedItemDetails(instruments(*this), section);
}
void TradingState::fillResourceDetails(std::string_view section) {
    CurrencyFillers::fillResourceDetails(resourceCollection, section);
}
void TradingState::fillCurrencyListDetails(std::string_view section) {
    CurrencyFillers::fillCurrencyListDetails(tradeCurrencyCollection, section);
}
void TradingState::fillTradeCurrencyDetails(std::string_view section) {
    CurrencyFillers::fillTradeCurrencyDetails(tradeCurrencyCollection, AccountDetailCollection, section);
}
void TradingState::LoadItemstoWatchlist() {}
void TradingState::SetAllSymbolsSpread() {}

}  // namespace state
