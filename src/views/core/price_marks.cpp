#include "views/core/price_marks.h"

#include <cmath>

#include "model/session_settings.h"

namespace views {

PriceMove priceMove(double shown, double lastShown) {
    if (shown > lastShown) return PriceMove::Rise;
    if (shown < lastShown) return PriceMove::Fall;
    return PriceMove::Unchanged;
}

LastShownPrices::Moves LastShownPrices::show(const model::CompactText& code, double bid, double ask) {
    Shown& last = shown_[code];
    const Moves moves{priceMove(bid, last.bid), priceMove(ask, last.ask)};
    last = Shown{bid, ask};
    return moves;
}

std::optional<model::RGBAColor> moveColor(PriceMove move) {
    switch (move) {
        case PriceMove::Rise: return model::RGBAColor{0.0, 0.6, 0.0, 1.0};
        case PriceMove::Fall: return model::RGBAColor{230.0 / 255.0, 0.0, 38.0 / 255.0, 1.0};
        case PriceMove::Unchanged: break;
    }
    return std::nullopt;
}

std::optional<model::RGBAColor> priceTextColor(std::int64_t theme) {
    if (theme == 0) return model::RGBAColor{1.0, 1.0, 1.0, 0.9};
    if (theme == 1) return model::RGBAColor{0.0, 0.0, 0.0, 0.7};
    return std::nullopt;
}

model::RGBAColor readableTextOn(const model::RGBAColor& background) {
    // Relative luminance of the sRGB colour.
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double l = 0.2126 * linear(background.red) + 0.7152 * linear(background.green) +
                     0.0722 * linear(background.blue);
    // Saturated reds and greens read better in white than the bare contrast
    // ratio suggests; only light colours take black.
    return l > 0.35 ? model::RGBAColor{0, 0, 0, 0.87} : model::RGBAColor{1, 1, 1, 1};
}

std::optional<model::RGBAColor> codeCellColor(const model::SessionSettings* setting) {
    if (!setting || setting->settingsID <= 1) return std::nullopt;
    return setting->sessionColor;
}

}  // namespace views
