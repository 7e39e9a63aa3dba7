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

private:
    platform::Preferences& preferences_;
};

}  // namespace kit
