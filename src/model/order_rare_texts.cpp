#include "model/order_rare_texts.h"

#include <utility>

namespace model {

const CompactText& OrderRareTextBlock::get(Field field) const noexcept {
    static const CompactText kEmpty;
    return texts_ ? (*texts_).*field : kEmpty;
}

void OrderRareTextBlock::set(Field field, CompactText text) {
    if (!texts_) {
        if (text.empty()) return;
        texts_ = std::make_unique<OrderRareTexts>();
    }
    (*texts_).*field = std::move(text);
}

}  // namespace model
