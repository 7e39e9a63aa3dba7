#pragma once
// The funds forms' text readers: amounts and e-mail addresses.
#include <optional>
#include <string>
#include <string_view>

namespace funds {

// The whole trimmed text as a finite decimal: an optional sign, digits with or
// without en-US thousands groups ("1,234"), an optional fraction. Nothing for
// any other text ("12abc", "1e3", "nan", "0x10", "12,5", "").
std::optional<double> readAmount(std::string_view text);

// The whole text is one address: name, "@", domain, ".", two to four letters.
bool isValidEmail(std::string_view text);

// "%.2f", no grouping.
std::string twoPlaces(double value);
// "%.2f" with en-US thousands groups ("52,545.00").
std::string groupedTwoPlaces(double value);

}  // namespace funds
