#include "shell/core/startup_defaults.h"

#include "kit/core/preference_manager.h"
#include "shell/core/login_form.h"
#include "model/device_info.h"
#include "platform/preferences.h"

namespace shell {

namespace {
bool isLanguage(std::int64_t index) {
    return index >= 0 && index < static_cast<std::int64_t>(languageNames().size());
}
}  // namespace

void applyStartupDefaults(platform::Preferences& preferences) {
    kit::PreferenceManager manager(preferences);
    if (!manager.isThemeAppliedForKey(kit::PreferenceManager::kTheme))
        manager.saveTheme(model::DeviceInfo::isDeviceOSGreaterThanOrEqualTo10_10() ? 0 : 1);
    manager.setDefaultFontSize();
}

bool storeLanguageIndex(platform::Preferences& preferences, std::int64_t index) {
    if (!isLanguage(index)) return false;
    preferences.set(kLanguageKey, index);
    preferences.synchronizeLater();
    return true;
}

}  // namespace shell
