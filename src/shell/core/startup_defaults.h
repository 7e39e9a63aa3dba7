#pragma once
// What start-up stores and reads before the login window shows: the theme,
// the default font sizes and the selected language.
#include <cstdint>

namespace platform {
class Preferences;
}

namespace shell {

inline constexpr const char* kLanguageKey = "LanguageKey";

// Theme 0 (dark) when none is stored, a stored one kept; 12 under each font
// size that holds nothing yet.
void applyStartupDefaults(platform::Preferences& preferences);

// Selects `index` and stores it; an index outside the list changes nothing.
bool storeLanguageIndex(platform::Preferences& preferences, std::int64_t index);

}  // namespace shell
