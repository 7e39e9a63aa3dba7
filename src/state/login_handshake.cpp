#include "state/login_handshake.h"

#include <algorithm>
#include <cctype>

#include "model/login_inputdata.h"
#include "platform/log.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "state/business_base.h"
#include "state/journal_data.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

namespace {

// Kinds of the login journal lines.
constexpr std::int32_t kJournalLoginData = 1;
constexpr std::int32_t kJournalLoginAccepted = 2;

// ErrorCode of a refusal's login record.
constexpr std::int32_t kRefusedLocked = 10;
constexpr std::int32_t kRefusedDisabled = 11;
constexpr std::int32_t kRefusedVersion = 12;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The login data says it is in the compact form.
bool isPacked(const MessageFields& fields) { return fields.find(tag::DataFormat) == "PACKED"; }

}  // namespace

void LoginHandshake::registerHandlers(Dispatcher& table) {
    const char* owner = componentName();
    table.add(MsgType::LoginAccepted, owner, [this](const Dispatch&) { loginAccepted(); });
    table.add(MsgType::LoginData, owner, [this](const Dispatch& m) { loginData(m); });
    table.add(MsgType::PasswordChangeResponse, owner, [this](const Dispatch& m) {
        platform::Log::info("PasswordChangeResponseMessage");
        UpdateUserInfo(m.fields);
    });
    table.add(MsgType::LoggedInElsewhere, owner, [this](const Dispatch& m) { loggedInElsewhere(m); });
    table.add(MsgType::LoginRefused, owner, [this](const Dispatch& m) { loginRefused(m); });
    table.add(MsgType::DemoUserCreationResponse, owner, [this](const Dispatch& m) {
        platform::Log::info("DemoUserCreationResponse");
        DemoUserCreationResponse(m.fields);
    });
    table.add(MsgType::UserReloginRequest, owner, [this](const Dispatch&) {
        platform::Log::info("UserReloginRequest");
        session_.conn->reloginToServer();
    });
}

void LoginHandshake::loginAccepted() {
    BusinessBase& s = session_;
    if (loginDataRefused_) {
        platform::Log::error("Login accepted after refused login data: ignored");
        return;
    }
    const protocol::LoginInfoMessage* record = s.referenceData().firstLoginRecord();
    std::string updateText = record ? record->Message : std::string();
    s.appendJournal(JournalData::getLoginJournalData(kJournalLoginAccepted, s.journalContext()));
    s.conn->isNetworkAvailable = true;
    s.startPingTimer();
    s.feedChannels().connectChannels();
    s.dataServiceAnswers().sendFirstRequests();
    s.feedChannels().subscribeAllItems();
    s.onMain([](BusinessBase& b) { b.LoginSuccessNotification(); });
    // Only a record that carries a message raises the update banner.
    if (!updateText.empty()) s.onMain([updateText](BusinessBase& b) { b.appUpdateNotification(updateText); });
}

void LoginHandshake::loginData(const Dispatch& m) {
    session_.appendJournal(JournalData::getLoginJournalData(kJournalLoginData, session_.journalContext()));
    loginDataRefused_ = m.payloadRefused;
    if (m.payloadRefused) {
        // Without its reference data the session cannot trade: the login fails.
        session_.disconnectServer();
        LoginMessages messages{{"Message", session_.text("1004")}, {"Tag", "0"}};
        session_.onMain([messages](BusinessBase& s) { s.host().showLoginMessages(messages); });
        return;
    }
    if (!m.payload) {
        platform::Log::error("Login data without a readable payload: no reference data");
        return;
    }
    ReferenceData& reference = session_.referenceData();
    if (isPacked(m.fields)) {
        reference.FillPackedDetails(*m.payload);
    } else {
        reference.parseXml(*m.payload);
        reference.FillTableDetails();
    }
}

void LoginHandshake::loggedInElsewhere(const Dispatch& m) {
    session_.disconnectServer();
    std::optional<std::string> serverText = m.fields.text(protocol::tag::ServerMessage);
    session_.onMain([serverText](BusinessBase& s) { s.host().LogininAnotherLocation(serverText); });
}

void LoginHandshake::loginRefused(const Dispatch& m) {
    session_.disconnectServer();
    ReferenceData& reference = session_.referenceData();
    // Only the compact form is read here; an XML refusal is not parsed.
    if (isPacked(m.fields) && m.payload) reference.FillPackedDetails(*m.payload);
    const protocol::LoginInfoMessage* record = reference.firstLoginRecord();
    std::int32_t code = record ? record->ErrorCode : 0;
    LoginMessages messages;
    switch (code) {
        case kRefusedLocked: messages = {{"Message", session_.text("1087")}, {"Tag", "0"}}; break;
        case kRefusedDisabled: messages = {{"Message", session_.text("1088")}, {"Tag", "0"}}; break;
        case kRefusedVersion:
            messages = {{"Message", session_.text("1089")}, {"Tag", "3"}, {"URL", record->Message}};
            break;
        default: messages = {{"Message", session_.text("1004")}, {"Tag", "0"}}; break;
    }
    session_.onMain([messages](BusinessBase& s) { s.host().showLoginMessages(messages); });
}

void LoginHandshake::UpdateUserInfo(const MessageFields& fields) {
    bool success = false;
    std::optional<std::string> newPassword;
    for (const MessageFields::Field& field : fields) {
        const auto [number, value] = std::pair(field.tag, field.value);
        if (number == tag::ResultText && lower(std::string(value)) == "success") success = true;
        if (number == tag::NewPassword) newPassword = std::string(value);
    }
    if (!success) return;
    // The new password counts only once the server has accepted it; a relogin
    // in this session derives its key from it.
    if (newPassword) session_.acceptNewPassword(*newPassword);
    session_.onMain([](BusinessBase& s) { s.passwordChangeNotification(); });
}

void LoginHandshake::DemoUserCreationResponse(const MessageFields& fields) {
    std::optional<std::string> password, user;
    for (const MessageFields::Field& field : fields) {
        const auto [number, value] = std::pair(field.tag, field.value);
        if (number == tag::Password) password = std::string(value);
        if (number == tag::UserName) user = std::string(value);
    }
    if (user && password) {
        std::string text = *user + "/" + *password;
        session_.onMain([text](BusinessBase& s) { s.demoUserCreationNotification(text); });
    } else {
        session_.onMain([](BusinessBase& s) { s.demoUserCreationFailureNotification(); });
    }
}

}  // namespace state
