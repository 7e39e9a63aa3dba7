#include "model/login_inputdata.h"

#include <gtest/gtest.h>

#include <fstream>

#include "model/deployment_constants.h"
#include "model/device_info.h"
#include "platform/host_info.h"
#include "platform/resource_bundle.h"
#include "platform/test_env.h"

namespace {

using model::LoginInputdata;

class LoginInputdataTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::ResourceBundle::setResourceDirectory(""); }

    static void writePlist(const std::string& path, const std::string& body) {
        std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                            << body << "\n</plist>\n";
    }
};

TEST_F(LoginInputdataTest, ShippedSettings) {
    LoginInputdata data;
    EXPECT_EQ(data.productName(), "TradingClient");
    EXPECT_EQ(data.SecurityKey(), deployment::kSecurityKey);
    EXPECT_EQ(data.packedDataFormat(), deployment::kPackedDataFormat);
    EXPECT_EQ(data.productVersion(), platform::ResourceBundle::applicationVersion());
    EXPECT_TRUE(data.isLiveModeAvailable());
    EXPECT_FALSE(data.depositAmountListType().empty());
    EXPECT_TRUE(data.productLocalizationList().empty());
    EXPECT_TRUE(data.minimumBalance().has_value());
    // Unset until a mode is loaded.
    EXPECT_EQ(data.IPAddress(), "");
    EXPECT_EQ(data.PortNo(), 0);
    data.loadLiveSettings();
    EXPECT_EQ(data.IPAddress(), deployment::kSimulatorHost);
    EXPECT_EQ(data.PortNo(), deployment::kSessionPort);
    data.setIPAddress("10.0.0.1");
    data.loadDemoSettings();
    EXPECT_EQ(data.IPAddress(), deployment::kSimulatorHost);
    EXPECT_EQ(data.PortNo(), deployment::kSessionPort);
    EXPECT_EQ(LoginInputdata::getLoginValueForMode("General", "NewsServiceHost").stringValue(),
              "127.0.0.1:17004");
    // The deposit amounts named by the settings exist.
    const auto amounts =
        platform::ResourceBundle::propertyList("DepositAmountPropertyList")[data.depositAmountListType()];
    EXPECT_EQ(amounts.type, platform::PlistValue::Type::Array);
    EXPECT_FALSE(amounts.array.empty());
    data.setSecurityKey("session key");
    EXPECT_EQ(data.SecurityKey(), "session key");
}

TEST_F(LoginInputdataTest, MissingListsAndUnknownRule) {
    platform::testing::TempDir dir;
    writePlist(dir / "LoginPropertyList.plist",
               "<dict><key>General</key><dict>"
               "<key>ProductName</key><string>P</string>"
               "<key>PackedDataFormat</key><string>COMPACT</string>"
               "<key>Financial request rule</key><string>Nobody</string>"
               "<key>Product localization list</key><string>Standard</string>"
               "</dict>"
               "<key>LiveMode</key><dict><key>IPAddress</key><string>h</string><key>PortNo</"
               "key><string>5000</string></dict>"
               "<key>SimulationMode</key><dict><key>IPAddress</key><string>d</string></dict>"
               "</dict>");
    writePlist(dir / "FinancialRequestRules.plist",
               "<dict><key>Standard</key><dict><key>Can specify bank details</key><true/></dict></dict>");
    platform::ResourceBundle::setResourceDirectory(dir.path());
    LoginInputdata data;
    EXPECT_EQ(data.productName(), "P");
    EXPECT_EQ(data.SecurityKey(), "");
    EXPECT_EQ(data.packedDataFormat(), "COMPACT");
    EXPECT_FALSE(data.canSpecifyBankDetails());
    EXPECT_FALSE(data.canWithdrawFloatingPL());
    EXPECT_FALSE(data.minimumBalance());
    EXPECT_TRUE(data.productLocalizationList().empty());  // no ProductLocalization file
    EXPECT_FALSE(data.showAccountCurrency());
    data.loadLiveSettings();
    EXPECT_EQ(data.IPAddress(), "h");
    EXPECT_EQ(data.PortNo(), 5000);  // numeric string
    data.loadDemoSettings();
    EXPECT_EQ(data.IPAddress(), "d");
    EXPECT_EQ(data.PortNo(), 0);  // missing
    EXPECT_TRUE(LoginInputdata::getLoginValueForMode("Nothing", "IPAddress").isNone());

    writePlist(dir / "ProductLocalization.plist",
               "<dict><key>Standard</key><dict><key>0009</key><string>0010</string>"
               "<key>0012</key><integer>1183</integer></dict></dict>");
    const auto list = LoginInputdata::getProductLocalizationListForKey("Standard");
    EXPECT_EQ(list.at("0009"), "0010");
    EXPECT_EQ(list.at("0012"), "1183");
    EXPECT_TRUE(LoginInputdata::getProductLocalizationListForKey("Other").empty());
}

TEST_F(LoginInputdataTest, NoListsAtAll) {
    platform::testing::TempDir dir;
    platform::ResourceBundle::setResourceDirectory(dir.path());
    LoginInputdata data;
    EXPECT_EQ(data.productName(), "");
    EXPECT_FALSE(data.isLiveModeAvailable());
    EXPECT_TRUE(data.productLocalizationList().empty());
    EXPECT_EQ(data.packedDataFormat(), deployment::kPackedDataFormat);  // not named: the default
    data.loadLiveSettings();
    EXPECT_EQ(data.PortNo(), 0);
}

TEST(DeviceInfo, FromTheHost) {
    EXPECT_EQ(model::DeviceInfo::ipAddress(), platform::HostInfo::secondAddress());
    EXPECT_NE(model::DeviceInfo::systemVersion().find("Linux"), std::string::npos);
    EXPECT_FALSE(model::DeviceInfo::model().empty());
}

}  // namespace
