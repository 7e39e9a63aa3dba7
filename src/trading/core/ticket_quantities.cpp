#include "trading/core/ticket_quantities.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/decimal.h"

namespace trading {

namespace {
// Below this magnitude "%f" text fits a small buffer and the decimal's digits.
constexpr double kFastLimit = 1e15;

// `value` as "%f" writes it (six decimals); to_chars gives the same text.
std::string_view fixedText(double value, char (&buf)[64]) {
    if (std::fabs(value) < kFastLimit) {
        const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
        return {buf, static_cast<std::size_t>(result.ptr - buf)};
    }
    std::snprintf(buf, sizeof buf, "%f", value);
    return buf;
}

// The value of step x i as its "%f" text reads back.
double stepValue(double step, double i) {
    char buf[64];
    const auto text = fixedText(step * i, buf);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// "%f" text of `value` as the decimal writes it: no trailing zeros, "0" for zero.
std::string plainText(double value) {
    char buf[64];
    auto text = fixedText(value, buf);
    if (!(std::fabs(value) < kFastLimit)) return model::Decimal::parse(text).toString();
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
    if (text == "-0") text = "0";
    return std::string(text);
}

bool isWhole(double value) { return std::floor(value) == value; }
}  // namespace

std::string plainNumberText(double value) {
    if (std::fabs(value) < kFastLimit) return plainText(value);
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
    items.reserve(std::min(cap, kQuantityListCap));
    const double n = std::trunc(maxQty / step);
    if (!(n >= 0) || !std::isfinite(n)) return items;
    const double threshold = minQty * 10;
    auto add = [&](double i) {
        items.push_back(plainText(step * i));
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
