// Logging in to the loopback simulator: the instruments, currencies and
// resources of the login data answer the windows' queries, and the scenario's
// resource files land in the resources folder with the merged calendar.
#include <gtest/gtest.h>
#include <zmq.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "integration/sim_login.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/test_env.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;
using state::BusinessBase;


// One REQ round trip; the reply's parts joined.
std::string ask(int port, const std::string& frame) {
    void* ctx = zmq_ctx_new();
    void* sock = zmq_socket(ctx, ZMQ_REQ);
    int timeout = 5000, linger = 0;
    zmq_setsockopt(sock, ZMQ_RCVTIMEO, &timeout, sizeof timeout);
    zmq_setsockopt(sock, ZMQ_LINGER, &linger, sizeof linger);
    std::string reply;
    if (zmq_connect(sock, ("tcp://127.0.0.1:" + std::to_string(port)).c_str()) == 0 &&
        zmq_send(sock, frame.data(), frame.size(), 0) >= 0) {
        int more = 1;
        while (more) {
            zmq_msg_t part;
            zmq_msg_init(&part);
            if (zmq_msg_recv(&part, sock, 0) < 0) {
                zmq_msg_close(&part);
                break;
            }
            reply.append(static_cast<const char*>(zmq_msg_data(&part)), zmq_msg_size(&part));
            zmq_msg_close(&part);
            size_t size = sizeof more;
            zmq_getsockopt(sock, ZMQ_RCVMORE, &more, &size);
        }
    }
    zmq_close(sock);
    zmq_ctx_term(ctx);
    return reply;
}

// The value of a tag in a frame's 0x03-separated fields.
std::string tag(const std::string& frame, const std::string& number) {
    const std::string key = "\x03" + number + "=";
    const std::size_t at = frame.find(key);
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size();
    return frame.substr(start, frame.find('\x03', start) - start);
}

class QueriesLoginTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        std::string tmpl = (fs::temp_directory_path() / "queries_login.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        support = tmpl;
        ::setenv("XDG_DATA_HOME", support.c_str(), 1);
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(support);
    }
    std::vector<std::string> requests;
    void login(const std::string& form) {
        sim = integration::SimProcess::start(TRADING_SIM_PATH, {"--login-form", form});
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        // The request-channel frames are kept here instead of queued.
        state::SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage& request) {
            if (!request.isZMQ) return false;
            requests.push_back(request.message);
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        auto& center = platform::NotificationCenter::defaultCenter();
        tokens.push_back(center.addObserver("LoginSuccessNotification",
                                            [this](const platform::Notification&) { loggedIn = true; }));
        tokens.push_back(center.addObserver("ResourceDownloadCompletedNotification",
                                            [this](const platform::Notification&) { ++completed; }));
        state::commandsOf(*session).StreamingConnection(true, false);
        ASSERT_TRUE(integration::pump(*loop, [&] { return loggedIn; }));
    }
    // Asks the simulator for one resource file with a request the session
    // builds, and saves the answer as the download handler does.
    void download(const std::string& name) {
        state::ReferenceDataTestAccess::requestedDownloads(state::SessionTestAccess::referenceData(*session)).insert(name);
        auto& m = state::servicesOf(*session).outgoingMessage();
        m.setMessagetype(1023);
        m.setDsrequestType(12);
        auto& tags = m.messageDataDictionary();
        tags.clear();
        tags.setNumber(10, 1023);
        tags.set(151, "resourcedownload");
        tags.set(152, "1000");
        tags.set(153, "1");
        tags.set(159, name + "\x05" "1\x05" "7\x05" "1\x05" "res1\x05\x05" "0\x06");
        tags.set(20, std::to_string(state::servicesOf(*session).requestId() + 1));
        tags.set(115, std::to_string(state::SessionTestAccess::referenceData(*session).userInfo() ? state::SessionTestAccess::referenceData(*session).userInfo()->UserId : 0));
        tags.set(23, "trader");
        tags.set(19, state::servicesOf(*session).referenceId().value_or(""));
        tags.set(21, static_cast<protocol::AppContext&>(*session).packedLocalTime());
        ASSERT_TRUE(m.BuildMessage().sent());
        ASSERT_FALSE(requests.empty());
        const std::string reply = ask(sim->sessionPort() + 2, requests.back());
        const std::string record = tag(reply, "159");
        ASSERT_FALSE(record.empty()) << "no answer for " << name;
        state::SessionTestAccess::dataServiceAnswers(*session).fillResourceDownload(record, tag(reply, "1050"));
        // The file is written on the I/O queue: once a later task there ran, what it told the main thread is queued.
        auto written = std::make_shared<std::atomic<bool>>(false);
        platform::ioQueue()->async([written] { *written = true; });
        ASSERT_TRUE(integration::pump(*loop, [&] { return written->load(); }));
        loop->runUntilIdle();
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    bool loggedIn = false;
    int completed = 0;
    fs::path support;
};

TEST_P(QueriesLoginTest, InstrumentsAccountsAndListsAnswerFromTheLoginData) {
    const std::string form = GetParam();
    login(form);
    BusinessBase& s = *session;

    // Every instrument of the scenario, found both ways.
    ASSERT_EQ(state::SessionTestAccess::referenceData(s).ItemCollection().size(), 23u);
    for (const auto& [code, item] : state::SessionTestAccess::referenceData(s).ItemCollection()) {
        EXPECT_EQ(state::viewOf(s).getItemCode(item->InstrumentId), code);
        EXPECT_EQ(state::viewOf(s).getItemIdForItemCode(code), static_cast<std::uint64_t>(item->InstrumentId));
        EXPECT_FALSE(item->InstrumentTypeName.empty()) << code;
    }
    const auto& gold = **state::SessionTestAccess::referenceData(s).ItemCollection().find("GOLD");
    EXPECT_EQ(gold.Name, "Gold spot");
    EXPECT_DOUBLE_EQ(gold.TickSize, 0.01);
    EXPECT_EQ(gold.instrumentTradingStatus, 1);
    EXPECT_EQ(gold.InstrumentTypeName, "Commodities");
    EXPECT_DOUBLE_EQ(gold.priceTick, form == "xml" ? 0.0 : 0.01);
    EXPECT_EQ(state::viewOf(s).getItemIdForItemCode("NO SUCH"), 0u);
    EXPECT_EQ((*state::SessionTestAccess::referenceData(s).ItemCollection().find("HTMN"))->instrumentTradingStatus, 2);  // close only

    // Symbol lists by type: every entry names a stored instrument.
    const state::SymbolTypes types = state::viewOf(s).getSymbolTypes();
    ASSERT_FALSE(types.empty());
    std::size_t listed = 0;
    for (const auto& type : types)
        for (const auto& [name, entries] : type)
            for (const std::string& e : entries) {
                EXPECT_TRUE(state::SessionTestAccess::referenceData(s).ItemCollection().contains(e.substr(0, e.find(':')))) << e;
                ++listed;
            }
    EXPECT_GT(listed, 0u);

    // The user's accounts, with figures from no positions.
    const state::Accounts accounts = state::viewOf(s).getAccountCollection();
    EXPECT_EQ(accounts.size(), 3u);
    // Only the compact form names the accounts' primary holder.
    EXPECT_EQ(state::viewOf(s).canShowAERights(), form == "packed");
    state::commandsOf(s).calcAccountDetails(1001);
    const auto& main = **state::SessionTestAccess::referenceData(s).AccountDetailCollection().find("1001");
    EXPECT_DOUBLE_EQ(main.UnrealisedPL, 0.0);
    EXPECT_DOUBLE_EQ(main.Equity, 50000);
    EXPECT_DOUBLE_EQ(main.AvailableMargin, 50000 - main.UsedMargin);

    if (form == "packed") {
        // Resources and currencies come only with the compact form.
        const auto resources = state::viewOf(s).getResourceCollection();
        // Keys in natural, case-insensitive order: "gold.svg", "Help centre", "holidays.ics".
        ASSERT_EQ(resources.size(), 3u);
        EXPECT_EQ(resources[0]->caption, "Gold icon");
        EXPECT_EQ(resources[1]->caption, "Help centre");
        EXPECT_EQ(resources[2]->caption, "Trading holidays");
        ASSERT_TRUE(main.tradeCurrency);
        EXPECT_EQ(main.tradeCurrency->currencyCode, "USD");
        EXPECT_TRUE(main.tradeCurrency->isDirect);
    } else {
        EXPECT_TRUE(state::SessionTestAccess::referenceData(s).resourceCollection().empty());
        EXPECT_TRUE(state::SessionTestAccess::referenceData(s).tradeCurrencyCollection().empty());
    }
}

TEST_F(QueriesLoginTest, ScenarioResourceFilesLandWithTheMergedCalendar) {
    login("packed");
    download("gold.svg");
    EXPECT_EQ(completed, 0);
    download("holidays.ics");
    EXPECT_EQ(completed, 1);

    const fs::path folder = support / ui.bundleName() / "Resources";
    std::string svg, ics, merged;
    ASSERT_TRUE(platform::Paths::readFile((folder / "gold.svg").string(), &svg));
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    ASSERT_TRUE(platform::Paths::readFile((folder / "holidays.ics").string(), &ics));
    EXPECT_NE(ics.find("SUMMARY:Christmas Day - markets closed"), std::string::npos);
    ASSERT_TRUE(platform::Paths::readFile((folder / "calendar_ios.ics").string(), &merged));
    EXPECT_EQ(merged, ics);
}

INSTANTIATE_TEST_SUITE_P(BothForms, QueriesLoginTest, ::testing::Values("packed", "xml"));

}  // namespace
