#include "views/core/price_marks.h"

#include "model/session_settings.h"

namespace views {

PriceMove priceMove(double shown, double lastShown) {
    if (shown > lastShown) return PriceMove::Rise;
    if (shown < lastShown) return PriceMove::Fall;
    return PriceMove::Unchanged;
}

LastShownPrices::Moves LastShownPrices::show(const std::string& code, double bid, double ask) {
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

std::optional<model::RGBAColor> codeCellColor(const model::SessionSettings* setting) {
    if (!setting || setting->settingsID <= 1) return std::nullopt;
    return setting->sessionColor;
}

}  // namespace views
