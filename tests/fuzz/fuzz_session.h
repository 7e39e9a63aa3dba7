#pragma once
// A session for the fuzz harnesses that feed it messages: a manual main loop,
// a fake clock and one session made once (a session per input costs its
// connection's queue and socket), the log silenced. Each input starts with
// no orders, no journal, and fresh records of one instrument (GOLD, id 7)
// and one account (1001).
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/account_details.h"
#include "model/item_details.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/business_base.h"
#include "state/journal.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/recording_ui_services.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace fuzz {

inline void require(bool condition) {
    if (!condition) std::abort();
}

// Splits `text` at `separator`, empty parts kept.
inline std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

inline void checkUnique(const state::OrderList& list, model::CompactText model::Order::*id) {
    std::set<std::string> seen;
    for (const auto& order : list) {
        require(order != nullptr);
        if (!((*order).*id).empty()) require(seen.insert(((*order).*id).str()).second);
    }
}

// A folder of this process's own, removed at exit. In memory where the system
// offers it: the session syncs each file it writes, and a disk's sync costs
// milliseconds, several times the rest of an input.
inline std::string privateFolder(const char* name) {
    struct Folder {
        std::string path;
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static std::vector<Folder> made;
    std::error_code ec;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::string root = (base / (std::string(name) + ".XXXXXX")).string();
    require(::mkdtemp(root.data()) != nullptr);
    made.push_back(Folder{root});
    return root;
}

class FuzzSession {
public:
    FuzzSession() {
        static const std::shared_ptr<state::BusinessBase> made = [] {
            // What the session stores goes to a folder of this process's own, not the user's.
            ::setenv("XDG_CONFIG_HOME", privateFolder("fuzz_session").c_str(), 1);
            platform::Log::setSink([](platform::LogLevel, const std::string&) {});
            platform::Log::setMinimumLevel(platform::LogLevel::Error);
            platform::installClock(std::make_shared<platform::FakeClock>());
            platform::MainExecutor::install(std::make_shared<platform::ManualRunLoop>());
            return state::BusinessBase::create(ui(), ui());
        }();
        session = made;
        // What an input leaves held makes libFuzzer look for leaks after every input.
        auto& u = ui();
        u.events = {}, u.alerts = {}, u.banners = {}, u.locals = {}, u.sounds = {}, u.opened = {};
        u.loginMessages = {}, u.anotherLocation = {};
        auto& book = state::SessionTestAccess::orderBook(*session);
        book.clearForLogin();
        book.clearExecutedOrderSearchCollection();
        state::SessionTestAccess::journal(*session) = state::Journal();
        auto& reference = state::SessionTestAccess::referenceData(*session);
        auto gold = std::make_shared<model::ItemDetails>();
        gold->InstrumentId = 7;
        gold->Code = "GOLD";
        state::ReferenceDataTestAccess::ItemCollection(reference).set("GOLD", gold);
        auto account = std::make_shared<model::AccountDetails>();
        account->AccountId = 1001;
        state::ReferenceDataTestAccess::AccountDetailCollection(reference).set("1001", account);
    }
    ~FuzzSession() { idle(); }
    void idle() { static_cast<platform::ManualRunLoop&>(*platform::MainExecutor::current()).runUntilIdle(); }

    // One message of `type` with `fields` ("tag=value"), through the session's dispatcher.
    void deliver(std::int32_t type, const std::vector<std::string_view>& fields) {
        std::vector<std::string> texts{"10=" + std::to_string(type)};
        texts.insert(texts.end(), fields.begin(), fields.end());
        state::SessionTestAccess::checkNewMessage(*session, state::IncomingMessage::ofFields(type, texts));
        idle();
    }

    // No record is missing, no order id is held twice in one list, and every
    // account sits under its own id.
    void checkHeld() const {
        const auto& book = state::SessionTestAccess::orderBook(*session);
        checkUnique(book.PendingOrderCollection(), &model::Order::PendingOrderId);
        checkUnique(book.OpenOrderCollection(), &model::Order::OpenPositionId);
        for (const auto* list : {&book.SettledOrderCollection(), &book.CancelledOrderCollection(),
                                 &book.ExecutedOrderSearchCollection()})
            for (const auto& order : *list) require(order != nullptr);
        for (const auto& [key, account] : state::SessionTestAccess::referenceData(*session).AccountDetailCollection())
            require(account && key == std::to_string(account->AccountId));
    }

    // What the session showed, kept across inputs.
    static state::testing::RecordingUi& recording() { return ui(); }

    std::shared_ptr<state::BusinessBase> session;

private:
    static state::testing::RecordingUi& ui() {
        static state::testing::RecordingUi recording;
        return recording;
    }
};

}  // namespace fuzz
