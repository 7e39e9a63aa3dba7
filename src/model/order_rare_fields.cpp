#include "model/order_rare_fields.h"

#include <cmath>
#include <utility>

namespace model {

const CompactText& OrderRareBlock::get(TextField field) const noexcept {
    static const CompactText kEmpty;
    return fields_ ? (*fields_).*field : kEmpty;
}

void OrderRareBlock::set(TextField field, CompactText text) {
    if (!fields_) {
        if (text.empty()) return;
        fields_ = std::make_unique<OrderRareFields>();
    }
    (*fields_).*field = std::move(text);
}

void OrderRareBlock::set(AmountField field, double value) {
    if (!fields_) {
        // -0 and NaN are kept: they read back as set.
        if (value == 0.0 && !std::signbit(value)) return;
        fields_ = std::make_unique<OrderRareFields>();
    }
    (*fields_).*field = value;
}

}  // namespace model
