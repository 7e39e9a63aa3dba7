#pragma once
// Month names in the selected language: a date written with "MMM" shows the
// language table's short name of its month (keys 90740 to 90751, January
// first); a table without the key keeps the English name.
#include <array>
#include <functional>
#include <string>

#include "model/formatter.h"

namespace model {

using MonthNames = std::array<std::string, 12>;

const MonthNames& englishMonthNames();
// `text` answers a key with the table's entry, or with the key itself when the table lacks it.
MonthNames monthNamesOf(const std::function<std::string(const std::string&)>& text);
// `fields` written with `pattern`, each "MMM" as `names` has the month.
std::string formatWithMonthNames(const DateFormatter::Fields& fields, const std::string& pattern, const MonthNames& names);

}  // namespace model
