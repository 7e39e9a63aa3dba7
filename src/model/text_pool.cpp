#include "model/text_pool.h"

namespace model {

CompactText TextPool::operator()(std::string_view text) {
    // A text held in place shares nothing.
    if (text.size() <= CompactText::kInlineMax) return CompactText(text);
    if (const auto it = texts_.find(text); it != texts_.end()) return it->second;
    CompactText field(text);
    if (texts_.size() < kMaxTexts) texts_.emplace(field.view(), field);
    return field;
}

}  // namespace model
