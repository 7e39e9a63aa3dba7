// Loaders of instrument types, instruments, resources and currencies, and the
// two follow-ups that need several kinds of record at once. They belong to
// the instrument loaders; until those land, the sections are not read.
#include "state/trading_state.h"

namespace state {

void TradingState::FillItemType(const TableRow&) {}
void TradingState::FillItemDetails(const TableRow&) {}
void TradingState::FillPackedItemType(std::string_view) {}
void TradingState::FillPackedItemDetails(std::string_view) {}
void TradingState::fillResourceDetails(std::string_view) {}
void TradingState::fillCurrencyListDetails(std::string_view) {}
void TradingState::fillTradeCurrencyDetails(std::string_view) {}
void TradingState::LoadItemstoWatchlist() {}
void TradingState::SetAllSymbolsSpread() {}

}  // namespace state
