#include "views/core/settled_totals.h"

#include "model/formatter.h"
#include "model/text_value.h"
#include "views/core/position_rules.h"

namespace views {

SettledTotals settledTotals(const state::Orders& settled) {
    SettledTotals t;
    for (const auto& o : settled) {
        if (!o) continue;
        t.sums[0] += model::TextValue::doubleValue(o->SettledQty());
        t.sums[1] += model::TextValue::doubleValue(o->SettledPL());
        t.sums[2] += o->Commision;
        t.sums[3] += o->Storage;
        t.sums[4] += o->OtherCharges();
    }
    return t;
}

std::optional<std::string> settledTotalsText(const SettledTotals& totals,
                                             const std::function<std::string(const std::string&)>& text) {
    static const std::string kGap(5, ' ');
    std::string out;
    for (std::size_t i = 0; i < totals.sums.size(); ++i) {
        const std::string value = i == 0 ? quantitySumText(totals.sums[i]) : moneyText(totals.sums[i]);
        if (value.empty()) return std::nullopt;
        out += model::Formatter::fillFormat("%@ : %@", {text(SettledTotals::kLabelKeys[i]), value}) + kGap;
    }
    return out;
}

}  // namespace views
