#pragma once
// The money arithmetic of open positions: floating profit by the
// instrument's calculation mode, conversion into the account currency, and
// the commission share of a remaining quantity. All in doubles.
#include <cstdint>
#include <string_view>

#include "model/item_details.h"
#include "model/trade_currency.h"

namespace state::ProfitLoss {

// c / a × b, the texts read as numbers.
double calcCommission(std::string_view initialQty, std::string_view remainingQty, double paid);

// Profit of quantity q opened at o and valued at c; side 0 (buy) gains when
// the price rises. 0 without an instrument or for q <= 0; modes below 1
// count as 1, modes above 6 give 0.
double CalculateFloatingPL(const model::ItemDetails* item, std::int32_t side, double q, double o, double c);

// Direct: v / price (v when price is 0); otherwise v × price.
double currencyConversion(double value, double price, double direct);

// v in the account currency of `currency`, with `instrument` its conversion
// instrument (may be null; mode 4 needs none).
double convert(double value, const model::TradeCurrency* currency, const model::ItemDetails* instrument);

}  // namespace state::ProfitLoss
