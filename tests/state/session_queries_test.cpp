// The session's own collections: compact login data through to the windows'
// queries, resource downloads and the update banner's address.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/base64.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/test_env.h"
#include "protocol/payload_prefix.h"
#include "state/compact_records.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace fs = std::filesystem;

namespace state {
namespace {

using state::testing::rec;
using state::testing::section;
std::string instrument(const std::string& id, const std::string& code, const std::string& type,
                       const std::string& currency) {
    std::vector<std::string> f(49, "0");
    f[0] = id, f[1] = code + " name", f[2] = code, f[3] = currency, f[4] = "1", f[5] = type, f[13] = "1";
    return rec(f);
}

class SessionQueriesTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        std::string tmpl = (fs::temp_directory_path() / "session_queries.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        ::setenv("XDG_DATA_HOME", root.c_str(), 1);
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
        session = BusinessBase::create(ui, ui);
        token = platform::NotificationCenter::defaultCenter().addObserver(
            "ResourceDownloadCompletedNotification", [this](const platform::Notification&) { ++completed; });
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        session.reset();
        platform::Log::setSink(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
        FakeTimeTest::TearDown();
    }
    std::shared_ptr<model::AccountDetails> account(std::int32_t id, std::uint64_t currency) {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = id;
        a->currencyID = currency;
        a->tradingStatus = 1;
        a->accountaccessType = 1;
        state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session)).set(std::to_string(id), a);
        return a;
    }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    fs::path root;
    platform::NotificationCenter::Token token = 0;
    int completed = 0;
};

}  // namespace

TEST_F(SessionQueriesTest, CompactLoginDataFillsInstrumentsResourcesAndCurrencies) {
    auto usd = account(1, 2);
    auto eur = account(2, 9);
    std::vector<std::string> sections(22);
    sections[2] = section({rec({"1", "Metals"}), rec({"2", "Energy"})});
    sections[4] = section({instrument("5", "USDX", "1", "0"), rec({"6", "cut"}), instrument("7", "XAU", "1", "5"),
                           instrument("8", "ODD", "3", "5")});
    sections[19] = section({rec({"1", "Holidays", "http://h", "holidays.ics"}), rec({"2", "Internal #x", "u", ""})});
    sections[20] = section({rec({"1", "USD"}), rec({"2", "EUR"})});
    sections[21] = section({rec({"2", "EUR", "7", "1.1", "1.2", "1", "0", "0"})});
    std::string text;
    for (std::size_t i = 0; i < sections.size(); ++i) text += (i ? "\x07" : "") + sections[i];
    state::fillPacked(state::SessionTestAccess::referenceData(*session), text);

    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).ItemCollection().size(), 3u);
    auto xau = *state::SessionTestAccess::referenceData(*session).ItemCollection().find("XAU");
    EXPECT_EQ(xau->CalculationItems.lock(), *state::SessionTestAccess::referenceData(*session).ItemCollection().find("USDX"));
    EXPECT_EQ(state::viewOf(*session).getItemCode(7), "XAU");
    EXPECT_EQ(state::viewOf(*session).getItemIdForItemCode("ODD"), 8u);
    EXPECT_EQ(state::viewOf(*session).getInstrumentTypeName(2).value_or("?"), "Energy");
    const SymbolTypes types = state::viewOf(*session).getSymbolTypes();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0].at("Metals"), (std::vector<std::string>{"USDX:USDX name", "XAU:XAU name"}));

    ASSERT_EQ(state::viewOf(*session).getResourceCollection().size(), 1u);
    EXPECT_EQ(state::viewOf(*session).getResourceCollection()[0]->caption, "Holidays");
    ASSERT_TRUE(usd->tradeCurrency);
    EXPECT_EQ(usd->tradeCurrency->instrumentID, 7u);
    EXPECT_EQ(eur->tradeCurrency, nullptr);
    EXPECT_EQ(state::viewOf(*session).getAccountCollection().size(), 2u);
}

TEST_F(SessionQueriesTest, DownloadsLandInTheResourcesFolderAndCompleteTheCalendar) {
    auto r = std::make_shared<model::ResourceDetails>();
    r->iconResourceId = "holidays.ics";
    state::ReferenceDataTestAccess::resourceCollection(state::SessionTestAccess::referenceData(*session)).set("holidays.ics", r);
    const std::string body = "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n";
    const std::string data = *model::Base64::encodeBase64WithData(protocol::testing::payloadPrefix(body.size()) +
                                                                  *model::DataAdditions::gzipDeflate(body));
    // Both asked for: the name that is not a plain file name is still refused.
    state::ReferenceDataTestAccess::requestedDownloads(state::SessionTestAccess::referenceData(*session)) = {
        "../evil.ics", "holidays.ics"};
    state::SessionTestAccess::dataServiceAnswers(*session).fillResourceDownload("../evil.ics", data);
    state::SessionTestAccess::dataServiceAnswers(*session).fillResourceDownload("holidays.ics", data);
    platform::testing::finishQueues(*loop);  // written on the I/O queue, then told to the main thread

    const fs::path folder = root / ui.bundleName() / "Resources";
    std::string bytes;
    ASSERT_TRUE(platform::Paths::readFile((folder / "holidays.ics").string(), &bytes));
    EXPECT_EQ(bytes, body);
    ASSERT_TRUE(platform::Paths::readFile((folder / "calendar_ios.ics").string(), &bytes));
    EXPECT_EQ(bytes, body);
    EXPECT_FALSE(fs::exists(root / ui.bundleName() / "evil.ics"));
    EXPECT_EQ(completed, 1);
    EXPECT_TRUE(state::viewOf(*session).checkFilesDownloadedAtPath(folder.string()));
}

TEST_F(SessionQueriesTest, UpdateBannerOpensOnlyWebAddresses) {
    Banner banner;
    banner.userInfo = {{"AppDownloadURL", "file:///etc/passwd"}};
    state::commandsOf(*session).userNotificationCenterDidActivateNotification(banner);
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_FALSE(ui.terminated);
    banner.userInfo = {{"AppDownloadURL", ""}};
    state::commandsOf(*session).userNotificationCenterDidActivateNotification(banner);
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_TRUE(state::commandsOf(*session).userNotificationCenterShouldPresentNotification(banner));
    banner.userInfo = {{"AppDownloadURL", "https://example.test/app"}};
    state::commandsOf(*session).userNotificationCenterDidActivateNotification(banner);
    EXPECT_EQ(ui.opened, std::vector<std::string>{"https://example.test/app"});
    EXPECT_TRUE(ui.terminated);
}

TEST_F(SessionQueriesTest, WindowQueriesReadTheSessionCollections) {
    auto a = account(3, 0);
    a->tradingStatus = 6;
    auto o = std::make_shared<model::Order>();
    o->AccountNumber = "3";
    o->ItemCode = "XAU";
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(o);
    auto p = std::make_shared<model::Order>();
    p->AccountNumber = "1";
    p->ItemCode = "WTI";
    state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(p);
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"WTI", "DAX"};
    EXPECT_TRUE(state::viewOf(*session).getOpenOrderCollection().empty());
    EXPECT_EQ(state::viewOf(*session).getPendingOrderCollection().size(), 1u);
    EXPECT_EQ(state::viewOf(*session).getAllItems(), (std::vector<std::string>{"WTI", "DAX"}));
    state::OrderBookTestAccess::isExecutedPositionSearch(state::SessionTestAccess::orderBook(*session)) = true;
    state::OrderBookTestAccess::ExecutedOrderSearchCollection(state::SessionTestAccess::orderBook(*session)).push_back(o);
    EXPECT_EQ(state::viewOf(*session).getExecutedOrderCollection().size(), 1u);
    state::SessionTestAccess::orderBook(*session).clearExecutedOrderSearchCollection();
    EXPECT_TRUE(state::viewOf(*session).getExecutedOrderCollection().empty());
    EXPECT_EQ(state::viewOf(*session).getDaysOfTheWeekName(1), "Monday");
}

}  // namespace state
