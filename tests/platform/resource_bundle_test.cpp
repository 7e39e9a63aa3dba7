#include "platform/resource_bundle.h"

#include <gtest/gtest.h>

#include "platform/host_info.h"
#include "platform/idle_time.h"
#include "platform/paths.h"
#include "platform/test_env.h"

using namespace platform;
using platform::testing::TempDir;

TEST(ResourceBundle, NameVersionAndLookupsInTheResourceFolder) {
    EXPECT_EQ(ResourceBundle::applicationName(), TC_APP_NAME);
    EXPECT_EQ(ResourceBundle::applicationVersion(), TC_APP_VERSION);
    TempDir dir;
    ASSERT_TRUE(Paths::createDirectory(dir / "en.lproj"));
    ASSERT_TRUE(Paths::createDirectory(dir / "sounds"));
    ASSERT_TRUE(Paths::writeFileIfAbsent(dir / "sounds/alert.wav", "RIFF"));
    ASSERT_TRUE(Paths::writeFileIfAbsent(
        dir / "LoginPropertyList.plist",
        "<plist><dict><key>LiveMode</key><dict><key>PortNo</key><string>5000</string></dict></dict></plist>"));
    ResourceBundle::setResourceDirectory(dir.path());
    EXPECT_EQ(ResourceBundle::resourceDirectory(), dir.path());
    EXPECT_EQ(ResourceBundle::pathForResource("LoginPropertyList", "plist"), dir / "LoginPropertyList.plist");
    EXPECT_EQ(ResourceBundle::pathForResource("sounds/alert", "wav"), dir / "sounds/alert.wav");
    EXPECT_FALSE(ResourceBundle::pathForResource("../etc/passwd", "").has_value());
    EXPECT_FALSE(ResourceBundle::pathForResource("Missing", "plist").has_value());
    EXPECT_EQ(ResourceBundle::propertyList("LoginPropertyList")["LiveMode"]["PortNo"].integerValue(), 5000);
    EXPECT_TRUE(ResourceBundle::propertyList("Missing").isNone());
    EXPECT_EQ(ResourceBundle::languageDirectory("en"), dir / "en.lproj");
    EXPECT_EQ(ResourceBundle::languageDirectory("fr"), "");
    EXPECT_EQ(ResourceBundle::languageDirectory(".."), "");
    ResourceBundle::setResourceDirectory("");
    EXPECT_NE(ResourceBundle::resourceDirectory(), dir.path());
}

TEST(HostInfo, AddressesInAFixedOrder) {
    auto all = HostInfo::addresses();
    // Loopback is always up in a test environment and sorts first among IPv4.
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0], "127.0.0.1");
    bool seenV6 = false;
    for (const auto& a : all) {
        bool v6 = a.find(':') != std::string::npos;
        EXPECT_FALSE(seenV6 && !v6) << "IPv4 after IPv6: " << a;
        seenV6 = seenV6 || v6;
    }
    EXPECT_EQ(HostInfo::addresses(), all);
    EXPECT_EQ(HostInfo::secondAddress().has_value(), all.size() >= 2);
    EXPECT_FALSE(HostInfo::hostName().empty());
    EXPECT_FALSE(HostInfo::systemVersion().empty());
    EXPECT_FALSE(HostInfo::model().empty());
}

TEST(IdleTime, SourceAndDefault) {
    EXPECT_EQ(IdleTime::secondsIdle(), 0);
    IdleTime::setSource([] { return 12.5; });
    EXPECT_EQ(IdleTime::secondsIdle(), 12.5);
    IdleTime::setSource([] { return -3.0; });
    EXPECT_EQ(IdleTime::secondsIdle(), 0);
    IdleTime::setSource(nullptr);
}
