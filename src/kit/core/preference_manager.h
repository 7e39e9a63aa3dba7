#pragma once
// The stored font sizes and theme that start-up and the tables read.
#include <cstdint>
#include <string>

namespace platform {
class Preferences;
}

namespace kit {

class PreferenceManager {
public:
    static constexpr const char* kWatchlistFontSize = "WatchlistFontSize";
    static constexpr const char* kPositionsFontSize = "PositionsFontSize";
    static constexpr const char* kTheme = "Theme";
    // The ticket's choices for the rest of the run; cleared at start-up.
    static constexpr const char* kDontShowOrderConfirmation = "DontShowOrderConfirmation";
    static constexpr const char* kHideConfirmationAlert = "HideConfirmationAlert";

    explicit PreferenceManager(platform::Preferences& preferences) : preferences_(preferences) {}

    void saveFontSizeInfo(std::uint64_t size, const std::string& key);
    std::uint64_t getFontSizeInfoForKey(const std::string& key) const;  // 0 when absent
    bool isFontSizeAvailableForKey(const std::string& key) const;
    // 12 under each font-size key that holds nothing yet.
    void setDefaultFontSize();

    // The theme: 0 dark, 1 light.
    void saveTheme(std::uint64_t theme);
    std::int64_t getThemeForKey(const std::string& key) const;  // 0 when absent
    bool isThemeAppliedForKey(const std::string& key) const;

    // The order ticket skips its confirmation once the user asked so.
    bool dontShowOrderConfirmation() const;
    void setDontShowOrderConfirmation(bool dontShow);
    // Order reports as alerts (the default) rather than banners.
    bool showConfirmationAlert() const;
    void setShowConfirmationAlert(bool show);
    // Forgets the run's choices above (start-up).
    void clearRunChoices();

    // The store itself, for the settings that keep their own keys ("SoundKey", "IdleTime").
    platform::Preferences& store() const { return preferences_; }

private:
    platform::Preferences& preferences_;
};

}  // namespace kit
