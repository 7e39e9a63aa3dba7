#pragma once
// Setters of the reference-data records whose value also sets a derived
// value; shared by the XML and the "PACKED" loaders.
#include <cstdint>

#include "model/account_details.h"
#include "model/group_instruments.h"
#include "model/rgba_color.h"
#include "model/session_settings.h"

namespace state {

// accountaccessType keeps 1, 2, 3, 4 and 10; anything else reads 0 ("Unknown").
inline void setAccountAccessTypeId(model::AccountDetails& a, std::int32_t value) {
    a.AccountAccessTypeId = value;
    const bool named = (value >= 1 && value <= 4) || value == 10;
    a.accountaccessType = named ? value : 0;
}

// tradingStatus follows only the known statuses 0 to 6; another value leaves it.
inline void setTradingStatusId(model::AccountDetails& a, std::int32_t value) {
    a.TradingStatusId = value;
    if (value >= 0 && value <= 6) a.tradingStatus = value;
}

// 1 and 2 are kept, 0 is "no value" (926); another value leaves the mode.
inline void setMarginCalcModeId(model::GroupInstruments& g, std::int32_t value) {
    g.MarginCalcModeId = value;
    if (value == 1 || value == 2)
        g.margincalculationMode = value;
    else if (value == 0)
        g.margincalculationMode = model::GroupInstruments::kMarginNoMode;
}

inline void setEnterLimitOrder(model::SessionSettings& s, bool value) {
    s.enterLimitOrder = value;
    s.allowNewContigent = value;
    s.allowNewTpSl = value;
}

inline void setEnterMarketOrder(model::SessionSettings& s, bool value) {
    s.enterMarketOrder = value;
    s.allowNewMarket = value;
    s.allowNewTpSl = value;
}

inline void setEditLimitOrder(model::SessionSettings& s, bool value) {
    s.editLimitOrder = value;
    s.allowEditContigent = value;
    s.allowNewTpSl = value;
}

// 0xRRGGBB in the low 24 bits (a negative value gives its low 24 bits), opaque.
inline model::RGBAColor sessionColorFor(std::int32_t value) {
    return model::RGBAColor::fromRGB(static_cast<std::uint32_t>(value) & 0xFFFFFFu);
}

}  // namespace state
