#include "state/login_handshake.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "model/device_info.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/message_base.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "protocol/separator_bytes.h"
#include "protocol/wire_format.h"
#include "model/formatter.h"
#include "platform/notification_center.h"
#include "protocol/connection_base.h"
#include "state/data_service_answers.h"
#include "state/feed_channels.h"
#include "state/notification_payloads.h"
#include "state/packed_fill_steps.h"
#include "state/packed_records.h"
#include "state/ping_monitor.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/session_notifications.h"
#include "state/session_services.h"
#include "state/text_conversions.h"
#include "state/journal_data.h"
#include "state/xml_fill_steps.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

namespace {

// Kinds of the login journal lines.
constexpr std::int32_t kJournalLoginData = 1;
constexpr std::int32_t kJournalLoginAccepted = 2;

// Longer than any password a form takes.
constexpr std::size_t kMaxPasswordLength = 256;

// ErrorCode of a refusal's login record.
constexpr std::int32_t kRefusedLocked = 10;
constexpr std::int32_t kRefusedDisabled = 11;
constexpr std::int32_t kRefusedVersion = 12;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The login data says it is in the compact form the login asked for.
bool isPacked(const MessageFields& fields, const model::LoginInputdata& login) {
    return fields.find(tag::DataFormat) == login.packedDataFormat();
}

// A user name or password the next login can send.
bool sendable(const std::string& text) { return !text.empty() && protocol::isSafePlainValue(text); }

// The compact text has no count or end mark: a whole one holds every section
// the client reads (an accepted login's through the trade currencies, a
// refusal's through its login information), and one with fewer was cut short.
constexpr std::size_t kAcceptedLoginSections = static_cast<std::size_t>(PackedSection::TradeCurrencies) + 1;
constexpr std::size_t kRefusalSections = static_cast<std::size_t>(PackedSection::LoginInfos) + 1;

// Whether `held` sections make up the `sections` a whole text holds; logs the cut when not.
bool sectionsWhole(std::size_t held, std::size_t sections, const char* what) {
    if (held >= sections) return true;
    platform::Log::error(std::string(what) + " cut short (" + std::to_string(held) + " of its " +
                         std::to_string(sections) + " sections): login failed");
    return false;
}

// Fills the compact text with its records, read ahead on "NewQueue" or else
// by the same reader here; false, with nothing changed, when a section is
// over its cap or the text holds fewer than `sections` sections.
bool fillPacked(ReferenceData& reference, const Dispatch& m, std::size_t sections, const char* what,
                std::optional<protocol::LoginDataTooLarge>* tooLarge = nullptr) {
    std::shared_ptr<PackedLoginRecords> readHere;
    PackedLoginRecords* records = m.packedRecords;
    if (!records && (readHere = PackedLoginRecords::read(*m.payload, tooLarge))) records = readHere.get();
    if (!records) return false;
    if (!sectionsWhole(TextConversion::countByte(*m.payload, protocol::SectionByte) + 1, sections, what)) return false;
    reference.FillPackedDetails(*m.payload, *records);
    return true;
}

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
        services_.connection().reloginToServer();
    });
}

void LoginHandshake::loginAccepted() {
    SessionServices& s = services_;
    if (loginDataRefused_) {
        platform::Log::error("Login accepted after refused login data: ignored");
        return;
    }
    const protocol::LoginInfoMessage* record = reference_.firstLoginRecord();
    std::string updateText = record ? record->Message : std::string();
    s.appendJournal(JournalData::getLoginJournalData(kJournalLoginAccepted, s.journalContext()));
    s.connection().isNetworkAvailable = true;
    ping_.startPingTimer();
    feed_.connectChannels();
    answers_.sendFirstRequests();
    feed_.subscribeAllItems();
    s.onMain([this] { LoginSuccessNotification(); });
    // Only a record that carries a message raises the update banner.
    if (!updateText.empty()) s.onMain([this, updateText] { appUpdateNotification(updateText); });
}

void LoginHandshake::loginData(const Dispatch& m) {
    services_.appendJournal(JournalData::getLoginJournalData(kJournalLoginData, services_.journalContext()));
    loginDataRefused_ = false;
    if (m.payloadRefused) return refuseLoginData(m.tooLarge);
    if (!m.payload) {
        platform::Log::error("Login data without a readable payload: no reference data");
        return;
    }
    ReferenceData& reference = reference_;
    if (isPacked(m.fields, services_.host().logindata()) && m.packedRecords) {
        if (!fillPackedInSlices(m)) refuseLoginData();
        return;
    }
    if (!isPacked(m.fields, services_.host().logindata()) && m.xmlCells)
        return fillInSlices(std::make_shared<XmlFillSteps>(reference_, m.xmlCells));
    if (isPacked(m.fields, services_.host().logindata())) {
        std::optional<protocol::LoginDataTooLarge> tooLarge;
        if (!fillPacked(reference, m, kAcceptedLoginSections, "Login data", &tooLarge)) return refuseLoginData(tooLarge);
    } else if (const auto read = reference.FillXmlLoginData(*m.payload); read != ReferenceData::XmlRead::Whole) {
        if (read == ReferenceData::XmlRead::CutShort)
            platform::Log::error("Login data cut short (its root element does not close): login failed");
        else
            platform::Log::error("Login data that is not a readable XML document: login failed");
        return refuseLoginData();
    }
    checkLoginUser();
}

void LoginHandshake::checkLoginUser() {
    if (!reference_.userInfo()) {
        platform::Log::error("Login data without a user record: login refused");
        refuseLoginData();
    }
}

bool LoginHandshake::fillPackedInSlices(const Dispatch& m) {
    // Cut once, where the records were read ahead: the count of its sections tells whether it is whole.
    std::optional<std::vector<std::string_view>> cut = m.packedRecords->sectionsOf(*m.payload);
    const std::vector<std::string_view> sections =
        cut ? std::move(*cut) : TextConversion::split(*m.payload, protocol::SectionByte);
    if (!sectionsWhole(sections.size(), kAcceptedLoginSections, "Login data")) return false;
    fillInSlices(std::make_shared<PackedFillSteps>(reference_, sections, std::move(*m.packedRecords)));
    return true;
}

void LoginHandshake::fillInSlices(std::shared_ptr<FillSteps> fill) {
    const std::uint64_t hold = services_.holdMessages();
    services_.onMain([this, fill = std::move(fill), hold] { fillStep(fill, hold); });
}

void LoginHandshake::fillStep(const std::shared_ptr<FillSteps>& fill, std::uint64_t hold) {
    if (!services_.stillHolding(hold)) return;
    if (fill->runNext()) {
        services_.onMain([this, fill, hold] { fillStep(fill, hold); });
        return;
    }
    checkLoginUser();
    services_.releaseMessages();
}

void LoginHandshake::refuseLoginData(const std::optional<protocol::LoginDataTooLarge>& tooLarge) {
    loginDataRefused_ = true;
    services_.disconnectServer();
    LoginMessages messages{{"Message", tooLarge ? tooLargeText(*tooLarge) : services_.text("1004")}, {"Tag", "0"}};
    services_.onMain([this, messages] { services_.host().showLoginMessages(messages); });
}

// "The account's data is larger than this client can load: 183.4 MB, the limit is 160.0 MB."
std::string LoginHandshake::tooLargeText(const protocol::LoginDataTooLarge& tooLarge) const {
    if (tooLarge.unit == protocol::LoginDataTooLarge::Unit::Entries)
        return model::Formatter::fillIndexedText(services_.text("90892"),
                                                 {std::to_string(tooLarge.size), std::to_string(tooLarge.limit)});
    const auto megabytes = [](std::size_t bytes) { return model::Formatter::formatDecimal(double(bytes) / 1e6, 1); };
    return model::Formatter::fillIndexedText(services_.text("90891"), {megabytes(tooLarge.size), megabytes(tooLarge.limit)});
}

void LoginHandshake::loggedInElsewhere(const Dispatch& m) {
    services_.disconnectServer();
    std::optional<std::string> serverText = m.fields.text(protocol::tag::ServerMessage);
    services_.onMain([this, serverText] { services_.host().LogininAnotherLocation(serverText); });
}

void LoginHandshake::loginRefused(const Dispatch& m) {
    services_.disconnectServer();
    ReferenceData& reference = reference_;
    // Only the compact form is read here; an XML refusal is not parsed. A compact
    // refusal that does not read (cut short, over a cap) says nothing of its own.
    bool unread = false;
    if (isPacked(m.fields, services_.host().logindata()) && m.payload)
        unread = !fillPacked(reference, m, kRefusalSections, "Login refusal data");
    const protocol::LoginInfoMessage* record = unread ? nullptr : reference.firstLoginRecord();
    std::int32_t code = record ? record->ErrorCode : 0;
    LoginMessages messages;
    switch (code) {
        case kRefusedLocked: messages = {{"Message", services_.text("1087")}, {"Tag", "0"}}; break;
        case kRefusedDisabled: messages = {{"Message", services_.text("1088")}, {"Tag", "0"}}; break;
        case kRefusedVersion:
            messages = {{"Message", services_.text("1089")}, {"Tag", "3"}, {"URL", record->Message}};
            break;
        default: messages = {{"Message", services_.text("1004")}, {"Tag", "0"}}; break;
    }
    services_.onMain([this, messages] { services_.host().showLoginMessages(messages); });
}

void LoginHandshake::UpdateUserInfo(const MessageFields& fields) {
    bool success = false;
    std::optional<std::string> newPassword;
    for (const MessageFields::Field& field : fields) {
        const auto [number, value] = std::pair(field.tag, field.value);
        if (number == tag::ResultText && value.size() == 7 && lower(std::string(value)) == "success") success = true;
        if (number == tag::NewPassword) newPassword = std::string(value);
    }
    std::optional<std::string> requested = std::move(requestedPassword_);
    requestedPassword_.reset();
    if (!success) return;
    // A password that is empty, could not go on the wire again or is beyond any
    // form's length would refuse every relogin: the one asked for counts instead.
    if (newPassword && (newPassword->empty() || !protocol::isSafePlainValue(*newPassword) ||
                        newPassword->size() > kMaxPasswordLength)) {
        platform::Log::error("Password change answer with an unusable password: " +
                             std::string(requested ? "the one asked for is kept" : "the password is unchanged"));
        newPassword = std::move(requested);
    }
    // The new password counts only once the server has accepted it; a relogin
    // in this session derives its key from it.
    if (newPassword) services_.acceptNewPassword(*newPassword);
    services_.onMain([this] { passwordChangeNotification(); });
}

void LoginHandshake::DemoUserCreationResponse(const MessageFields& fields) {
    std::optional<std::string> password, user;
    for (const MessageFields::Field& field : fields) {
        const auto [number, value] = std::pair(field.tag, field.value);
        if (number == tag::Password) password = std::string(value);
        if (number == tag::UserName) user = std::string(value);
    }
    // A user the login window could not send is a failed registration.
    if (user && password && !(sendable(*user) && sendable(*password))) {
        platform::Log::debug("Demo user answer with an unusable user name or password: refused");
        user.reset();
    }
    if (user && password) {
        services_.onMain([this, user, password] { demoUserCreationNotification(*user, *password); });
    } else {
        services_.onMain([this] { demoUserCreationFailureNotification(); });
    }
}

void LoginHandshake::changeMyPassword(const std::string& oldPassword, const std::string& newPassword) {
    requestedPassword_ = newPassword;
    sendRequest(services_, MsgType::PasswordChangeRequest, std::nullopt,
                {{tag::OldPassword, oldPassword},
                 {tag::NewPassword, newPassword},
                 {tag::RequestId, std::to_string(services_.nextRequestId())}},
                "changeMyPassword");
}

void LoginHandshake::DemoUserCreationRequest(const model::DemoRegistration& form) {
    platform::assertMainThread();
    protocol::MessageBase& m = services_.outgoingMessage();
    m.setMessagetype(static_cast<std::int64_t>(MsgType::DemoUserCreationRequest));
    protocol::TagMap& tags = m.messageDataDictionary();
    tags.clear();
    tags.setNumber(tag::MessageType, static_cast<int>(MsgType::DemoUserCreationRequest));
    tags.set(tag::DemoEmail, form.email);
    tags.set(tag::DemoAccountKind, "Trade");
    tags.set(tag::DemoDeposit, form.deposit);
    tags.set(tag::DemoCountry, form.country);
    for (std::int64_t t = tag::DemoAddressFirst; t <= tag::DemoAddressLast; ++t) tags.set(t, "");
    tags.set(tag::DemoPhone, form.phone);
    tags.set(tag::DemoNewsletter, form.newsletter ? "1" : "0");
    tags.set(tag::DemoName, form.name);
    tags.set(tag::DemoProduct, services_.host().logindata().productName());
    tags.set(tag::RequestId, "1");
    tags.set(tag::ReferenceId, "1");
    // Without an address the builder writes "(null)".
    if (const auto address = model::DeviceInfo::ipAddress()) tags.set(tag::ServerMessage, *address);
    tags.set(tag::DeviceModel, model::DeviceInfo::model() + "#" + model::DeviceInfo::systemVersion());
    tags.set(tag::DeviceUserName, model::DeviceInfo::userName());
    const protocol::BuildResult r = m.BuildMessage();
    if (!r.sent()) platform::Log::warning("DemoUserCreationRequest not sent: " + r.error);
}

void LoginHandshake::LoginSuccessNotification() {
    platform::NotificationCenter::defaultCenter().post(notifications::kLoginSuccess);
    services_.ui().playSound("welcome");
}

void LoginHandshake::appUpdateNotification(const std::string& u) {
    Banner banner;
    banner.title = services_.text("90785");
    banner.subtitle = model::Formatter::fillIndexedText(services_.text("20252"), {"\n"});
    banner.informativeText = u;
    banner.hasActionButton = true;
    banner.actionButtonTitle = services_.text("90786");
    banner.dismissDelayTime = -1;
    banner.lineBreakMode = 0;
    banner.soundName = "AppUserNotificationDefaultSound2";
    banner.userInfo = {{"AppDownloadURL", u}};
    services_.ui().deliverBanner(banner);
}

void LoginHandshake::passwordChangeNotification() { services_.postAboutSession(notifications::kPasswordChange); }

void LoginHandshake::demoUserCreationNotification(const std::string& user, const std::string& password) {
    services_.postAboutSession(notifications::kDemoUserCreation, [user, password](std::shared_ptr<BusinessBase> s) {
        return std::make_shared<const DemoUserCreated>(std::move(s), user, password);
    });
}

void LoginHandshake::demoUserCreationFailureNotification() {
    services_.ui().showAlert(services_.text("0314"), services_.ui().bundleName());
}

}  // namespace state
