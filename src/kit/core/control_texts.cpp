#include "kit/core/control_texts.h"

#include "model/language_string.h"

namespace kit {

std::optional<std::string> controlTextKey(std::int64_t tag) {
    if (tag <= 0) return std::nullopt;
    return model::LanguageString::setLanguageKey(std::to_string(tag));
}

std::optional<std::string> controlText(std::int64_t tag, std::int64_t language) {
    const auto key = controlTextKey(tag);
    if (!key) return std::nullopt;
    return model::LanguageString::stringforSelectedLanguage(language, *key);
}

}  // namespace kit
