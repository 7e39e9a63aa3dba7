#include "kit/core/preference_manager.h"

#include "platform/preferences.h"

namespace kit {

void PreferenceManager::saveFontSizeInfo(std::uint64_t size, const std::string& key) {
    preferences_.set(key, static_cast<std::int64_t>(size));
    preferences_.synchronizeLater();
}

std::uint64_t PreferenceManager::getFontSizeInfoForKey(const std::string& key) const {
    return static_cast<std::uint64_t>(preferences_.integerForKey(key));
}

bool PreferenceManager::isFontSizeAvailableForKey(const std::string& key) const {
    return preferences_.hasKey(key);
}

void PreferenceManager::setDefaultFontSize() {
    for (const char* key : {kWatchlistFontSize, kPositionsFontSize})
        if (!isFontSizeAvailableForKey(key)) saveFontSizeInfo(12, key);
}

void PreferenceManager::saveTheme(std::uint64_t theme) {
    preferences_.set(kTheme, static_cast<std::int64_t>(theme));
    preferences_.synchronizeLater();
}

std::int64_t PreferenceManager::getThemeForKey(const std::string& key) const {
    return preferences_.integerForKey(key);
}

bool PreferenceManager::dontShowOrderConfirmation() const {
    return preferences_.boolForKey(kDontShowOrderConfirmation);
}

void PreferenceManager::setDontShowOrderConfirmation(bool dontShow) {
    preferences_.set(kDontShowOrderConfirmation, dontShow);
}

bool PreferenceManager::showConfirmationAlert() const { return !preferences_.boolForKey(kHideConfirmationAlert); }

void PreferenceManager::setShowConfirmationAlert(bool show) { preferences_.set(kHideConfirmationAlert, !show); }

void PreferenceManager::clearRunChoices() {
    for (const char* key : {kDontShowOrderConfirmation, kHideConfirmationAlert})
        if (preferences_.hasKey(key)) preferences_.remove(key);
}

bool PreferenceManager::isThemeAppliedForKey(const std::string& key) const { return preferences_.hasKey(key); }

}  // namespace kit
