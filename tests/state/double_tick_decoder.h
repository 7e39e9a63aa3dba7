#pragma once
// The tick decoder that reads every number as a double (an optional sign, then
// from_chars), as the feed was first decoded. The session's decoder, which
// reads plain integers as integers, and the reader's conflation mask must
// agree with it on every text.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "state/price_feed.h"

namespace state::test {

inline std::optional<double> numberAsDouble(std::string_view s) {
    std::size_t i = s.find_first_not_of(" \t\n\r");
    if (i == std::string_view::npos) return std::nullopt;
    const bool negative = s[i] == '-';
    if (s[i] == '+' || s[i] == '-') ++i;
    auto digit = [&](std::size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; };
    if (!digit(i) && !(i < s.size() && s[i] == '.' && digit(i + 1))) return std::nullopt;
    double value = 0.0;
    if (std::from_chars(s.data() + i, s.data() + s.size(), value).ec != std::errc()) return std::nullopt;
    return negative ? -value : value;
}

struct DoublePrices {
    double dot = 0.0;
    std::array<double, 7> prices{};
};

inline std::optional<DoublePrices> decodeAsDoubles(std::string_view text) {
    std::vector<std::string_view> f;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\x04', start);
        f.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (f.size() < 2) return std::nullopt;
    const double decimals = numberAsDouble(f.back()).value_or(0.0);
    if (!(decimals >= 0.0 && decimals <= 15.0)) return std::nullopt;
    DoublePrices out;
    out.dot = std::pow(10.0, decimals);
    const std::size_t priceFields = f.size() - 1;
    const double base = priceFields > 2 ? numberAsDouble(f[2]).value_or(0.0) : 0.0;
    for (std::size_t i = 3; i < 10 && i < priceFields; ++i) {
        const std::optional<double> raw = numberAsDouble(f[i]);
        double price = 0.0;
        if (raw) {
            const double scaled = PriceFeed::roundAsPrinted(*raw / out.dot);
            if (scaled != -1.0) price = PriceFeed::roundAsPrinted(scaled + base);
            if (!std::isfinite(price)) price = 0.0;
        }
        out.prices[i - 3] = price;
    }
    return out;
}

// True when the session's decode and the conflation mask of `text` agree with decodeAsDoubles.
inline bool agreesWithDoubles(std::string_view text) {
    const std::optional<DoublePrices> expected = decodeAsDoubles(text);
    const std::optional<model::PriceUpdate> got = PriceFeed::PriceUpdateDecode(text);
    if (expected.has_value() != got.has_value()) return false;
    std::uint32_t mask = 0;
    if (got) {
        const double prices[] = {got->Last, got->Bid, got->Ask, got->High, got->Low, got->Open, got->PreviousClose};
        if (got->DotPosition != expected->dot) return false;
        for (std::size_t i = 0; i < 7; ++i) {
            if (prices[i] != expected->prices[i]) return false;
            if (prices[i] != 0) mask |= 1u << i;
        }
    }
    return PriceFeed::tickPriceFields(text) == mask;
}

}  // namespace state::test
