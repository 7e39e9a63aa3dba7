#pragma once
// The words the watchlist, accounts and access tables show for enumerated values
// (trading status, account status, type and access), in the language. Each is
// keyed by the value the server sends, so that no value reads in English.
#include <cstdint>
#include <functional>
#include <string>

namespace views {

using KeyText = std::function<std::string(const std::string&)>;

// The string-table key of each value's word; "" for a value without a word.
std::string instrumentTradingStatusKey(std::int32_t status);
std::string accountStatusKey(std::int32_t status);
std::string accountTypeKey(std::int64_t type);
std::string accountAccessKey(std::int64_t access);
// The key's text in the language; "" for no key, the key itself without a table.
std::string statusWordText(const std::string& key, const KeyText& text);

}  // namespace views
