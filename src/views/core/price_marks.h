#pragma once
// Rise and fall marks of the watchlist's prices. Each view keeps its own
// last-shown prices, so two views showing one instrument both see a change.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "model/compact_text.h"
#include "model/rgba_color.h"

namespace model {
class SessionSettings;
}

namespace views {

enum class PriceMove : std::uint8_t { Rise, Fall, Unchanged };

PriceMove priceMove(double shown, double lastShown);

class LastShownPrices {
public:
    struct Moves {
        PriceMove bid = PriceMove::Unchanged;
        PriceMove ask = PriceMove::Unchanged;
    };
    // Compares with what this view showed last (0 the first time), then
    // remembers the new prices. A code's text block is shared, not copied.
    Moves show(const model::CompactText& code, double bid, double ask);

private:
    struct Shown {
        double bid = 0;
        double ask = 0;
    };
    std::unordered_map<model::CompactText, Shown> shown_;
};

// Green (0, 0.6, 0) on a rise, red (230/255, 0, 38/255) on a fall; nothing
// (the row's own colour) when unchanged.
std::optional<model::RGBAColor> moveColor(PriceMove move);
// Theme 0: white α 0.9; theme 1: black α 0.7; any other: none.
std::optional<model::RGBAColor> priceTextColor(std::int64_t theme);
// Text that stays readable on a coloured cell: black on light colours, white
// on dark ones (the rise and fall colours and most session colours).
model::RGBAColor readableTextOn(const model::RGBAColor& background);
// The code cell's background: the session's colour for setting ids 2 and up;
// nothing (the control background) for 0, 1, no setting or no colour.
std::optional<model::RGBAColor> codeCellColor(const model::SessionSettings* setting);

}  // namespace views
