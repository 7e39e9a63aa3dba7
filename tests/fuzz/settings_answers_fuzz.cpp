// Fuzz target for the settings answers and the demo registration answer
// through the session: the password change answer (38), the demo user's answer
// (1027), and the data-service answers of the account access map and its edits.
// Each line of the input is one message, "type|tag=value|...", or a
// data-service answer, "1024|request|answer text" (the text taken whole).
// Built with libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_session.h"
#include "platform/notification_center.h"
#include "protocol/msg_type.h"
#include "state/data_service_answers.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"
#include "state/state_queries.h"

namespace {

using fuzz::require;
using protocol::MsgType;

constexpr std::size_t kMaxMessages = 32;

bool sendable(const std::string& text) {
    return !text.empty() && text.find_first_of("\x01\x02\x03\x04\x05\x06\x07") == std::string::npos;
}

// A demo user the login window is handed can log in.
void watchDemoUsers() {
    static const auto token = platform::NotificationCenter::defaultCenter().addObserver(
        state::notifications::kDemoUserCreation, [](const platform::Notification& n) {
            const auto* created = n.as<state::DemoUserCreated>();
            require(created && sendable(created->user) && sendable(created->password));
        });
    (void)token;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession fs;
    watchDemoUsers();
    auto& s = *fs.session;
    auto& reference = state::SessionTestAccess::referenceData(s);
    auto& maps = state::ReferenceDataTestAccess::userAccountMapCollection(reference);
    maps.clear();
    auto& login = state::servicesOf(s).host().logindata();
    login.setPassword("held");
    std::size_t messages = 0, answerBytes = 0;
    for (std::string_view line : fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
        if (++messages > kMaxMessages) break;
        const std::string_view type = line.substr(0, line.find('|'));
        if (type == std::to_string(protocol::toInt(MsgType::DataServiceResponse))) {
            const std::string_view rest = line.substr(std::min(line.size(), type.size() + 1));
            const std::size_t bar = rest.find('|');
            if (bar == std::string_view::npos) continue;
            const std::string_view request = rest.substr(0, bar);
            if (request != "getusermapwithmyaccount" && request != "addedituac") continue;
            protocol::RequestKind kind{protocol::toInt(MsgType::DataServiceRequest), std::string(request), 0, 0};
            answerBytes += rest.size() - bar;
            state::SessionTestAccess::dataServiceAnswers(s).processDSResponse(std::string(rest.substr(bar + 1)),
                                                                              std::nullopt, kind.name, kind);
            fs.idle();
        } else if (type == std::to_string(protocol::toInt(MsgType::PasswordChangeResponse)) ||
                   type == std::to_string(protocol::toInt(MsgType::DemoUserCreationResponse))) {
            auto fields = fuzz::split(line, '|');
            fields.erase(fields.begin());
            fs.deliver(std::stoi(std::string(type)), fields);
        }
    }
    // Each map sits under its own user and account, no more maps than answer
    // bytes, and the password a relogin would send can go on the wire.
    require(maps.size() <= answerBytes);
    for (const auto& [key, map] : maps)
        require(map && map->userId != 0 && map->accountId != 0 &&
                key == state::Queries::userAccountMapKey(map->userId, map->accountId));
    require(sendable(login.password()));
    fs.checkHeld();
    return 0;
}
