// The executable's Qt-free rules: start-up defaults, remembered credentials, the login form.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "shell/core/about_texts.h"
#include "shell/core/login_form.h"
#include "shell/core/remembered_credentials.h"
#include "shell/core/startup_defaults.h"
#include "model/base64.h"
#include "model/crypto.h"
#include "platform/preferences.h"
#include "platform/resource_bundle.h"
#include "platform/runtime.h"

namespace shell {
namespace {

constexpr const char* kShippedKey = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";

class ShellCoreTest : public testing::Test {
protected:
    std::string path =
        (std::filesystem::temp_directory_path() / ("shell_core_" + std::to_string(::getpid()))).string();
    platform::Preferences prefs{path};
    void TearDown() override {
        platform::shutdown();
        std::filesystem::remove(path);
    }
};

TEST_F(ShellCoreTest, StartupDefaultsFillOnlyWhatIsAbsent) {
    applyStartupDefaults(prefs);
    EXPECT_EQ(prefs.integerForKey("Theme"), 0);
    EXPECT_EQ(prefs.integerForKey("WatchlistFontSize"), 12);
    EXPECT_EQ(prefs.integerForKey("PositionsFontSize"), 12);
    prefs.set("Theme", std::int64_t{1});
    prefs.set("PositionsFontSize", std::int64_t{15});
    applyStartupDefaults(prefs);
    EXPECT_EQ(prefs.integerForKey("Theme"), 1);
    EXPECT_EQ(prefs.integerForKey("PositionsFontSize"), 15);
}

TEST_F(ShellCoreTest, LanguageIndexOutsideTheListKeepsEnglishAndTheStoredValue) {
    for (std::int64_t bad : {-1, 12, 99}) {
        prefs.set(kLanguageKey, bad);
        EXPECT_FALSE(storeLanguageIndex(prefs, bad)) << bad;
        EXPECT_EQ(prefs.integerForKey(kLanguageKey), bad);
    }
    EXPECT_TRUE(storeLanguageIndex(prefs, 11));
    EXPECT_EQ(prefs.integerForKey(kLanguageKey), 11);
}

TEST(Credentials, SplitAtEveryHash) {
    struct Row {
        const char* text;
        std::optional<LoginFields> fields;
    };
    const Row rows[] = {
        {"trader#secret1#127.0.0.1#17001", LoginFields{"trader", "secret1", "127.0.0.1", "17001"}},
        {"trader#a#b##c#10.0.0.1#17001", LoginFields{"trader", "a#b##c", "10.0.0.1", "17001"}},
        {"trader##127.0.0.1#1", LoginFields{"trader", "", "127.0.0.1", "1"}},
        {"trader#secret1#127.0.0.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(splitCredentials(r.text), r.fields) << r.text;
    EXPECT_FALSE(joinCredentials({"a#b", "p", "s", "1"}));
}

TEST_F(ShellCoreTest, RememberedCredentialsRoundTripSealedWithTheShippedKey) {
    RememberedCredentials store(prefs, kShippedKey);
    const LoginFields live{"trader", "p#ss#", "127.0.0.1", "17001"};
    ASSERT_TRUE(store.storeUserInfo("Live", live));
    EXPECT_EQ(store.loadUserInfo("Live"), live);
    EXPECT_FALSE(store.loadUserInfo("Demo"));
    // Readable by the next start, whose store holds nothing in memory.
    ASSERT_TRUE(prefs.synchronize());
    platform::Preferences next(path);
    EXPECT_EQ(RememberedCredentials(next, kShippedKey).loadUserInfo("Live"), live);
    // What is stored is Base64 of the joined text under the shipped key.
    const auto sealed = model::Base64::decodeBase64WithString(*prefs.stringForKey("Live"));
    EXPECT_EQ(model::Crypto::decrypt(*sealed, kShippedKey), "trader#p#ss##127.0.0.1#17001");

    EXPECT_FALSE(store.storeUserInfo("Demo", {"us#er", "p", "s", "1"}));
    EXPECT_FALSE(prefs.hasKey("Demo"));
    store.resetUserInfoDefaults("Live");
    EXPECT_FALSE(prefs.hasKey("Live"));
}

TEST_F(ShellCoreTest, AChangedPasswordReplacesOnlyTheSameUsersStoredOne) {
    RememberedCredentials store(prefs, kShippedKey);
    const LoginFields live{"trader", "old", "127.0.0.1", "17001"};
    ASSERT_TRUE(store.storeUserInfo("Live", live));
    const struct {
        const char* mode;
        const char* user;
        bool stored;
        const char* passwordAfter;
    } rows[] = {
        {"Live", "other", false, "old"},   // someone else's fields stay
        {"Demo", "trader", false, "old"},  // nothing stored for that mode: nothing written
        {"Live", "trader", true, "new"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(store.passwordChanged(r.mode, r.user, "new"), r.stored) << r.mode << " " << r.user;
        EXPECT_EQ(store.loadUserInfo("Live")->password, r.passwordAfter) << r.mode << " " << r.user;
    }
    EXPECT_FALSE(prefs.hasKey("Demo"));
}

TEST_F(ShellCoreTest, UnreadableStoredCredentialsGiveTheDefaults) {
    RememberedCredentials store(prefs, kShippedKey);
    const std::string threeParts = *model::Base64::encodeBase64WithData(*model::Crypto::encrypt("a#b#c", kShippedKey));
    const std::string otherKey =
        *model::Base64::encodeBase64WithData(*model::Crypto::encrypt("a#b#c#1", "another key"));
    for (const std::string& stored : {std::string("not base64 *"), std::string("QUJD"), threeParts, otherKey}) {
        prefs.set("Live", stored);
        EXPECT_FALSE(store.loadUserInfo("Live")) << stored;
    }
}

TEST(LoginForm, FirstEmptyFieldInServerPortUserPasswordOrder) {
    struct Row {
        LoginFields fields;
        std::optional<std::string> key;
    };
    const Row rows[] = {
        {{"", "", "", ""}, "0004"},
        {{"u", "p", "", "1"}, "0004"},
        {{"", "", "s", ""}, "0005"},
        {{"", "p", "s", "1"}, "0002"},
        {{"u", "", "s", "1"}, "0003"},
        {{" ", " ", " ", " "}, std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(checkLoginValidation(r.fields), r.key) << r.fields.server << r.fields.port;
}

TEST(AboutTexts, TheDisclaimerBreaksAtEachFirstPlaceholderAndShowsTheRestAsWritten) {
    const struct {
        std::string disclaimer, shown;
    } cases[] = {
        {"No placeholder here.", "No placeholder here."},
        {"Risk.{0}Use.{0}End", "Risk.\n\nUse.\n\nEnd"},
        {"A{5}B{3}C", "ABC"},
        {"100% sure{0}50%", "100% sure\n\n50%"},
        {"%% %@ %1$@ %d", "%% %@ %1$@ %d"},
        {"{0", "{0"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const AboutTexts texts = aboutTexts([&](const std::string& key) { return key == "0229" ? c.disclaimer : "V"; });
        EXPECT_EQ(texts.disclaimer, c.shown) << c.disclaimer;
        EXPECT_EQ(texts.version, "V " + platform::ResourceBundle::applicationVersion());
        EXPECT_FALSE(texts.name.empty());
        EXPECT_NE(texts.copyright.find("©"), std::string::npos);
    }
}

}  // namespace
}  // namespace shell
