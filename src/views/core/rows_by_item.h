#pragma once
// The rows of a list whose instruments a turn of ticks named: an index of the
// rows that have an instrument, sorted by its address, made when first asked
// after the rows changed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "model/item_details.h"

namespace views {

class RowsByItem {
public:
    // The rows changed: the index is made again at the next ask.
    void reset() { rows_.clear(); }

    // Appends to `out` every row whose instrument is among `items`;
    // `itemAt(row)` is the row's instrument (null for none).
    template <typename ItemAt>
    void append(std::size_t rowCount, ItemAt&& itemAt, std::span<const model::ItemDetails* const> items,
                std::vector<std::size_t>& out) {
        const auto before = [&](std::uint32_t a, std::uint32_t b) { return std::less<>()(itemAt(a), itemAt(b)); };
        if (rows_.empty()) {
            for (std::size_t at = 0; at < rowCount; ++at)
                if (itemAt(at)) rows_.push_back(static_cast<std::uint32_t>(at));
            std::stable_sort(rows_.begin(), rows_.end(), before);
        }
        for (const model::ItemDetails* item : items)
            for (auto at = std::lower_bound(rows_.begin(), rows_.end(), item,
                                            [&](std::uint32_t row, const model::ItemDetails* p) {
                                                return std::less<>()(itemAt(row), p);
                                            });
                 at != rows_.end() && itemAt(*at) == item; ++at)
                out.push_back(*at);
    }

private:
    std::vector<std::uint32_t> rows_;
};

}  // namespace views
