#pragma once
// The ticket's quantity list and contract value.
#include <cstddef>
#include <string>
#include <vector>

namespace trading {

inline constexpr std::size_t kQuantityListCap = 1000;

// Every step below ten times the minimum, then whole quantities below 10 and
// multiples of 5 from 10 on, up to the maximum; at most `cap` items. Computed
// without walking every step; empty when max / step is not a number >= 0.
std::vector<std::string> quantityList(double minQty, double step, double maxQty,
                                      std::size_t cap = kQuantityListCap);
// A number written with "%f" and reduced to its plain decimal text ("0.5", "12").
std::string plainNumberText(double value);
// "%.2f x %.2f = %.2f": quantity, contract size, product.
std::string contractValueText(double quantity, double contractSize);
// The leading number of a field's text; empty or not a number counts as 0.
double numberOfText(const std::string& text);

}  // namespace trading
