#pragma once
// The conflation mask as first written: one pass through every byte of the
// tick. The memchr-cut mask must give the same bits on every text.
#include <cstdint>
#include <string_view>

#include "state/price_feed.h"

namespace state::test {

inline std::uint32_t byteScanTickMask(std::string_view text) {
    enum : std::uint8_t { kEmpty, kZero, kNonZero, kOther };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::uint8_t kind[10] = {};
    std::size_t count = 1, lastStart = 0;
    std::uint8_t current = kEmpty;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\x04') {
            if (i - lastStart > 15) current = kOther;
            if (count - 1 < 10) kind[count - 1] = current;
            ++count;
            current = kEmpty;
            lastStart = i + 1;
        } else if (count >= 3 && count <= 10) {
            if (!digit(c)) current = kOther;
            else if (current != kOther && (c != '0' || current == kNonZero)) current = kNonZero;
            else if (current == kEmpty) current = kZero;
        }
    }
    const std::string_view last = text.substr(lastStart);
    bool quick = count >= 2 && !last.empty() && last.size() <= 15;
    std::int64_t decimals = 0;
    for (std::size_t i = 0; quick && i < last.size(); ++i) {
        if (!digit(last[i])) quick = false;
        else decimals = decimals * 10 + (last[i] - '0');
    }
    quick = quick && decimals <= 6 && kind[2] != kOther;
    std::uint32_t fields = 0;
    for (std::size_t i = 3; quick && i < 10 && i < count - 1; ++i) {
        if (kind[i] == kOther) quick = false;
        else if (kind[i] == kNonZero || (kind[i] == kZero && kind[2] == kNonZero)) fields |= 1u << (i - 3);
    }
    if (quick) return fields;
    const auto update = PriceFeed::PriceUpdateDecode(text);
    if (!update) return 0;
    const double prices[] = {update->Last, update->Bid,  update->Ask,          update->High,
                             update->Low,  update->Open, update->PreviousClose};
    fields = 0;
    for (std::size_t i = 0; i < 7; ++i)
        if (prices[i] != 0) fields |= 1u << i;
    return fields;
}

}  // namespace state::test
