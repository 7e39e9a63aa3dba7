#include "shell/core/settings_rules.h"

namespace shell {

std::optional<std::string> checkPasswordValidation(const std::string& current, const std::string& fresh,
                                                   const std::string& confirmation, const std::string& held) {
    if (current.empty() || fresh.empty() || confirmation.empty()) return "20245";
    if (current != held) return "20246";
    if (fresh != confirmation) return "20244";
    if (fresh == held) return "20247";
    return std::nullopt;
}

std::string fontSizeNameKey(std::uint64_t size) {
    static constexpr std::array<const char*, 4> keys = {"11023", "11024", "11025", "11026"};
    for (std::size_t i = 0; i < kFontSizeChoices.size(); ++i)
        if (kFontSizeChoices[i] == size) return keys[i];
    return "";
}

std::optional<std::uint64_t> fontSizeAtIndex(int position) {
    if (position < 0 || position >= static_cast<int>(kFontSizeChoices.size())) return std::nullopt;
    return kFontSizeChoices[static_cast<std::size_t>(position)];
}

}  // namespace shell
