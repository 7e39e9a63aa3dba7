#pragma once
// The resources list, the currency list and the trade currencies of the
// compact login data (sections 19, 20 and 21), and the link from every
// account to the currency it is valued in.
#include <memory>
#include <string>
#include <string_view>

#include "model/account_details.h"
#include "model/resource_details.h"
#include "model/trade_currency.h"
#include "state/ordered_dictionary.h"

namespace state {

// iconResourceId, or the caption when that is empty -> resource.
using ResourceMap = OrderedDictionary<std::shared_ptr<model::ResourceDetails>>;
// "%lu" of currencyID -> TradeCurrency or CurrenyList.
using TradeCurrencyMap = OrderedDictionary<std::shared_ptr<model::TradeCurrency>>;
using AccountMap = OrderedDictionary<std::shared_ptr<model::AccountDetails>>;

namespace CurrencyFillers {

// Section 19. A record without a caption or resource name to key it by is
// skipped (logged); the later records are still read.
void fillResourceDetails(ResourceMap& resources, std::string_view section);
// Section 20: positions 0 to 5 of each record.
void fillCurrencyListDetails(TradeCurrencyMap& currencies, std::string_view section);
// Section 21, replacing currency-list entries of the same id; then links every
// account to the entry of its currencyID (none when there is no such entry).
void fillTradeCurrencyDetails(TradeCurrencyMap& currencies, AccountMap& accounts, std::string_view section);

// The key a resource is listed under.
std::string resourceKey(const model::ResourceDetails& resource);

}  // namespace CurrencyFillers

}  // namespace state
