// Fuzz target for the session's login answers through its dispatcher: the
// login accepted (18), logged in elsewhere (44, its text in tag 105), the
// refusal (47), the ping answer (1019) and the relogin request (1028). Each
// line of the input is one message: its type, then its "tag=value" fields,
// separated by "|"; a refusal's field 1050 is its payload as the incoming
// path inflated it. A line "wait" lets a second pass (a ping goes out once
// the login is accepted). The session has no user record, so an accepted
// login connects no channel, and no server address, so a relogin fails at
// once. Built with libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_session.h"
#include "protocol/msg_type.h"
#include "protocol/tags.h"
#include "state/ping_monitor.h"

namespace {

using protocol::MsgType;

constexpr std::size_t kMaxMessages = 32;
constexpr std::string_view kPayloadField = "1050=";

bool carried(std::string_view type) {
    for (MsgType t : {MsgType::LoginAccepted, MsgType::LoggedInElsewhere, MsgType::LoginRefused, MsgType::PingAnswer,
                      MsgType::UserReloginRequest})
        if (type == std::to_string(static_cast<int>(t))) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession fs;
    state::BusinessBase& session = *fs.session;
    auto& reference = state::SessionTestAccess::referenceData(session);
    // Each input starts logged out: no user, no login records, no pings.
    state::ReferenceDataTestAccess::userInfo(reference).reset();
    state::ReferenceDataTestAccess::loginInfoMessageCollection(reference) = {};
    state::SessionTestAccess::pingMonitor(session).stopPingTimer();
    auto& ui = fs.recording();
    auto& loop = static_cast<platform::ManualRunLoop&>(*platform::MainExecutor::current());

    std::size_t messages = 0;
    for (std::string_view line : fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
        if (++messages > kMaxMessages) break;
        if (line == "wait") {
            loop.runFor(std::chrono::seconds(1));
            continue;
        }
        auto fields = fuzz::split(line, '|');
        if (!carried(fields.front())) continue;
        const auto type = static_cast<MsgType>(std::stoi(std::string(fields.front())));
        fields.erase(fields.begin());
        std::vector<std::string> texts{"10=" + std::to_string(static_cast<int>(type))};
        std::optional<std::string> payload;
        for (std::string_view field : fields) {
            if (field.starts_with(kPayloadField)) payload = std::string(field.substr(kPayloadField.size()));
            else texts.emplace_back(field);
        }
        auto message = state::IncomingMessage::ofFields(static_cast<std::int32_t>(type), texts);
        if (type == MsgType::LoginRefused) message.payload = std::move(payload);
        if (type == MsgType::PingAnswer) message.receivedAt = platform::defaultClock().wallNow();
        if (type == MsgType::LoginAccepted) state::ReferenceDataTestAccess::userInfo(reference).reset();
        const std::size_t elsewhere = ui.anotherLocation.size(), refusals = ui.loginMessages.size();
        state::SessionTestAccess::checkNewMessage(session, std::move(message));
        fs.idle();
        // Each message that ends the login says so once, with a text.
        if (type == MsgType::LoggedInElsewhere) fuzz::require(ui.anotherLocation.size() == elsewhere + 1);
        if (type == MsgType::LoginRefused) {
            fuzz::require(ui.loginMessages.size() == refusals + 1);
            fuzz::require(!ui.loginMessages.back()["Message"].empty());
        }
    }
    fs.checkHeld();
    return 0;
}
