#include "trading/core/ticket_quantities.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/decimal.h"

namespace trading {

namespace {
// The value of step x i as its "%f" text reads back.
double stepValue(double step, double i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", step * i);
    return std::strtod(buf, nullptr);
}

bool isWhole(double value) { return std::floor(value) == value; }
}  // namespace

std::string plainNumberText(double value) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%f", value);
    return model::Decimal::parse(buf).toString();
}

std::string contractValueText(double quantity, double contractSize) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.2f x %.2f = %.2f", quantity, contractSize, quantity * contractSize);
    return buf;
}

double numberOfText(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::vector<std::string> quantityList(double minQty, double step, double maxQty, std::size_t cap) {
    std::vector<std::string> items;
    const double n = std::trunc(maxQty / step);
    if (!(n >= 0) || !std::isfinite(n)) return items;
    const double threshold = minQty * 10;
    auto add = [&](double i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%f", step * i);
        items.push_back(model::Decimal::parse(buf).toString());
        return items.size() < cap;
    };
    // Every step below the threshold: the first i whose value reaches it.
    double first = std::isfinite(threshold / step) ? std::max(0.0, std::floor(threshold / step) - 1) : n + 1;
    first = std::min(first, n + 1);
    while (first > 0 && stepValue(step, first - 1) >= threshold) --first;
    while (first <= n && stepValue(step, first) < threshold) ++first;
    for (double i = 0; i < first; ++i)
        if (!add(i)) return items;
    if (first > n) return items;
    // Above it only whole values: each below 10, then multiples of 5.
    const double last = stepValue(step, n);
    double whole = std::ceil(stepValue(step, first));
    while (whole <= last) {
        if (whole >= 10 && std::fmod(whole, 5) != 0) whole = std::ceil(whole / 5) * 5;
        if (whole > last) break;
        // The steps whose value reads back as exactly this whole number.
        const double centre = std::round(whole / step);
        for (double i = std::max(first, centre - 1); i <= std::min(n, centre + 1); ++i)
            if (stepValue(step, i) == whole && isWhole(whole))
                if (!add(i)) return items;
        whole += whole < 10 ? 1 : 5;
    }
    return items;
}

}  // namespace trading
