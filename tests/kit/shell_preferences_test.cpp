#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "kit/core/control_texts.h"
#include "kit/core/preference_manager.h"
#include "kit/core/sound_notification.h"
#include "platform/preferences.h"
#include "platform/runtime.h"

namespace kit {
namespace {

struct RecordingOutput : SoundOutput {
    std::vector<std::string> played;
    void play(const std::string& name) override { played.push_back(name); }
};

class ShellPreferencesTest : public testing::Test {
protected:
    std::string path = (std::filesystem::temp_directory_path() /
                        ("shell_prefs_" + std::to_string(::getpid()))).string();
    platform::Preferences prefs{path};
    RecordingOutput output;
    void TearDown() override {
        platform::shutdown();  // queued writes land before the file goes
        std::filesystem::remove(path);
    }
};

TEST_F(ShellPreferencesTest, SoundKeyIsReadAtEveryCall) {
    SoundNotification sounds(prefs, output);
    sounds.playSoundNamed("welcome");
    prefs.set("SoundKey", true);
    sounds.playSoundNamed("order");
    sounds.playBannerSound("AppUserNotificationDefaultSound");
    prefs.set("SoundKey", false);
    sounds.playSoundNamed("cancelOrder");
    sounds.playSoundNamed("");
    EXPECT_EQ(output.played,
              (std::vector<std::string>{"welcome", "AppUserNotificationDefaultSound", "cancelOrder"}));
}

TEST_F(ShellPreferencesTest, ThemeAndFontSizes) {
    PreferenceManager manager(prefs);
    EXPECT_EQ(manager.getThemeForKey("Theme"), 0);
    EXPECT_FALSE(manager.isThemeAppliedForKey("Theme"));
    manager.saveTheme(1);
    EXPECT_EQ(manager.getThemeForKey("Theme"), 1);
    EXPECT_TRUE(manager.isThemeAppliedForKey("Theme"));

    manager.saveFontSizeInfo(16, "PositionsFontSize");
    manager.setDefaultFontSize();
    EXPECT_EQ(manager.getFontSizeInfoForKey("WatchlistFontSize"), 12u);
    EXPECT_EQ(manager.getFontSizeInfoForKey("PositionsFontSize"), 16u);
}

TEST(ControlTexts, OnlyTagsAboveZeroHaveKeys) {
    EXPECT_EQ(controlTextKey(0), std::nullopt);
    EXPECT_EQ(controlTextKey(-3), std::nullopt);
    EXPECT_EQ(controlTextKey(52).value_or(""), "0052");
    EXPECT_EQ(controlTextKey(10980).value_or(""), "10980");
}

}  // namespace
}  // namespace kit
