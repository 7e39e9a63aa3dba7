#include "state/business_base.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <exception>

#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/envelope.h"
#include "protocol/message_cracker.h"
#include "protocol/separator_bytes.h"
#include "protocol/session_key.h"
#include "protocol/wire_format.h"
#include "state/network_speed.h"
#include "state/order_rejection_reasons.h"
#include "state/session_notifications.h"
#include "state/text_conversions.h"

namespace state {

namespace {


std::vector<std::string> split(std::string_view text, char sep) {
    std::vector<std::string> out;
    for (std::string_view piece : TextConversion::split(text, sep)) out.emplace_back(piece);
    return out;
}

std::int32_t toInt32(std::string_view text) {
    std::int64_t v = protocol::MessageCracker::integerValue(text);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// "yyyyMMddHHmmss" of a wall time, in UTC or in the machine's zone.
std::string packed(platform::WallTime t, bool utc) {
    std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    if (utc)
        gmtime_r(&tt, &tm);
    else
        localtime_r(&tt, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// The server's "yyyyMMddHHmmss" as a wall time (read as UTC, so that it
// prints back unchanged); nullopt when it does not parse.
std::optional<platform::WallTime> parsePacked(const std::string& text) {
    if (text.size() != 14 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = std::stoi(text.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(text.substr(4, 2)) - 1;
    tm.tm_mday = std::stoi(text.substr(6, 2));
    tm.tm_hour = std::stoi(text.substr(8, 2));
    tm.tm_min = std::stoi(text.substr(10, 2));
    tm.tm_sec = std::stoi(text.substr(12, 2));
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 60)
        return std::nullopt;
    std::tm check = tm;
    std::time_t tt = timegm(&tm);
    if (tm.tm_mday != check.tm_mday || tm.tm_mon != check.tm_mon) return std::nullopt;  // 31 April and the like
    return std::chrono::system_clock::from_time_t(tt);
}

platform::WallTime wallNow() { return platform::defaultClock().wallNow(); }

// The login settings hold "" where nothing was set.
std::optional<std::string> nonEmpty(std::string s) {
    if (s.empty()) return std::nullopt;
    return s;
}

}  // namespace

// Values of the dispatcher's first pass over the fields.
struct BusinessBase::FirstPass {
    std::optional<std::string> t17, t23, t27, t34, t76, t79, t80, t105, t125, t151, t159, t160, t502, t503, t573,
        t1026, t1050;
    std::int32_t t73 = 0, t74 = 0, t1035 = 0;
};

// ---------------------------------------------------------------------------
// Creation

std::shared_ptr<BusinessBase> BusinessBase::create(SessionHost& host, UiServices& ui) {
    return createAs<BusinessBase>(host, ui);
}

BusinessBase::BusinessBase(SessionHost& host, UiServices& ui) : messageBase(this), host_(host), ui_(ui) {}

void BusinessBase::init() {
    conn = protocol::ConnectionBase::create(std::weak_ptr<protocol::ConnectionDelegate>(shared_from_this()));
}

BusinessBase::~BusinessBase() {
    stopPingTimer();
    if (speedCheckPending_) platform::MainExecutor::cancel(speedCheck_);
    if (conn) conn->DisconnectServer();
}

void BusinessBase::onMain(std::function<void(BusinessBase&)> fn) {
    std::weak_ptr<BusinessBase> weak = weak_from_this();
    platform::MainExecutor::post([weak, fn = std::move(fn)] {
        if (auto self = weak.lock()) {
            try {
                fn(*self);
            } catch (const std::exception& e) {
                platform::Log::error(std::string("Session step failed: ") + e.what());
            }
        }
    });
}

// ---------------------------------------------------------------------------
// Login settings and the session's answers to the message layer

std::optional<std::string> BusinessBase::userName() const { return nonEmpty(host_.logindata().userName()); }
std::optional<std::string> BusinessBase::password() const { return nonEmpty(host_.logindata().password()); }
std::optional<std::string> BusinessBase::productName() const { return nonEmpty(host_.logindata().productName()); }
std::optional<std::string> BusinessBase::productVersion() const {
    return nonEmpty(host_.logindata().productVersion());
}
std::optional<std::string> BusinessBase::securityKey() const { return cipherPassword(); }
// The request channel's worker builds its keep-alive with these, so they read
// copies kept for other threads.
std::int32_t BusinessBase::requestId() const { return sharedRequestId_.load(); }
std::optional<std::string> BusinessBase::referenceId() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    return sharedReferenceId_;
}
std::optional<std::string> BusinessBase::serverTime() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    return sharedServerTime_;
}

void BusinessBase::setRequestid(std::int32_t id) {
    Requestid = id;
    sharedRequestId_ = id;
}
std::string BusinessBase::packedLocalTime() const { return packed(wallNow(), false); }
void BusinessBase::stampPingTime() { setPingTime(wallNow()); }

std::string BusinessBase::cipherPassword() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    if (sessionKey_) return *sessionKey_;
    return shippedKey_;
}

std::optional<std::string> BusinessBase::sessionKey() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    return sessionKey_;
}

std::string BusinessBase::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(host_.selectedLanguage(), key);
}

JournalContext BusinessBase::journalContext() const {
    JournalContext ctx;
    ctx.text = [this](const std::string& key) { return text(key); };
    const model::LoginInputdata& login = host_.logindata();
    ctx.ipAddress = login.IPAddress();
    ctx.portNo = static_cast<std::uint32_t>(login.PortNo());
    ctx.userName = login.userName();
    ctx.serverTime = ServerTime;
    ctx.now = wallNow();
    return ctx;
}

void BusinessBase::appendJournal(const std::string& line) {
    if (!line.empty()) JournalDataCollection.push_back(line);
}

std::string BusinessBase::GetOrderRejectionReason(std::int32_t code) const { return text(orderRejectionKey(code)); }

// ---------------------------------------------------------------------------
// Starting, sending, stopping

void BusinessBase::StreamingConnection(bool, bool demoRegistration) {
    const model::LoginInputdata& login = host_.logindata();
    {
        std::lock_guard<std::mutex> lock(keyMutex_);
        credentialsUser_ = login.userName();
        credentialsPassword_ = login.password();
        shippedKey_ = login.SecurityKey();
    }
    conn->ConnectToServer(demoRegistration, login.IPAddress(), login.PortNo());
}

void BusinessBase::sendMessage(protocol::RequestMessage request) {
    if (request.isZMQ) {
        sendZMQRequestMessage(std::move(request));
        return;
    }
    conn->sendMessage(request.message);
}

void BusinessBase::sendZMQRequestMessage(protocol::RequestMessage request) {
    conn->sendZMQRequestMessage(std::move(request));
}

void BusinessBase::disconnectServer() {
    stopPingTimer();
    conn->DisconnectServer();
}

// ---------------------------------------------------------------------------
// Connection events ("NewQueue")

void BusinessBase::connectionDidConnect(bool demoRegistration) {
    onMain([demoRegistration](BusinessBase& s) {
        if (demoRegistration) {
            platform::NotificationCenter::defaultCenter().post(notifications::kSendLoginRegistrationRequest,
                                                               s.conn);
            return;
        }
        s.appendJournal(JournalData::getLoginJournalData(0, s.journalContext()));
        protocol::LoginRequestValues v;
        const model::LoginInputdata& login = s.host_.logindata();
        v.userName = login.userName();
        v.password = login.password();
        v.productName = nonEmpty(login.productName());
        v.productVersion = nonEmpty(login.productVersion());
        v.packedTime = s.packedLocalTime();
        protocol::ConnectionBase::LoginRequest(s.messageBase, v);
    });
}

void BusinessBase::connectionDidReceiveFrame(std::string frame) { NewMessage(std::move(frame)); }

void BusinessBase::connectionDidFail(const std::string& error) {
    onMain([error](BusinessBase& s) { s.connectionFailure(error); });
}

void BusinessBase::connectionFailure(const std::string& error) {
    platform::Log::warning("Connection to the server lost: " + error);
    stopPingTimer();
    host_.ConnectionFailureNotification();
    if (speedCheckPending_) platform::MainExecutor::cancel(speedCheck_);
    std::weak_ptr<BusinessBase> weak = weak_from_this();
    speedCheckPending_ = true;
    speedCheck_ = platform::MainExecutor::postAfter(std::chrono::milliseconds(3500), [weak] {
        if (auto s = weak.lock()) {
            s->speedCheckPending_ = false;
            s->calculateNetworkSpeed(s->serverDate);
        }
    });
}

// ---------------------------------------------------------------------------
// Incoming path on "NewQueue": unwrap, switch keys, hand to the main thread

void BusinessBase::ProcessMessage(const std::string& text) {
    if (decodeDepth_ >= kMaxUnwrapDepth) {
        platform::Log::error("Message nested too deep: dropped");
        return;
    }
    // One buffer per nesting level: an envelope inside an envelope must not
    // run into the tail of the text that carried it.
    protocol::FrameDecoder& frames = innerFrames_[static_cast<std::size_t>(decodeDepth_)];
    ++decodeDepth_;
    bool ok = frames.feed(text, [this](std::string_view frame) { decodeFrame(std::string(frame)); });
    --decodeDepth_;
    if (!ok) platform::Log::error("Unwrapped message exceeds the size limit: dropped");
}

void BusinessBase::NewMessage(std::string frame) { decodeFrame(std::move(frame)); }

void BusinessBase::decodeFrame(std::string frame) {
    if (!protocol::isValidUtf8(frame)) {
        platform::Log::error("Frame is not UTF-8 text: dropped");
        return;
    }
    IncomingMessage msg;
    msg.fields = split(frame, protocol::FieldEndByte);
    msg.fields.erase(msg.fields.begin());  // the length
    if (msg.fields.empty()) {
        platform::Log::error("Frame without fields: dropped");
        return;
    }
    auto typeText = protocol::MessageCracker::GetMessageValue(msg.fields.front(), "=");
    msg.type = typeText ? toInt32(*typeText) : 0;

    std::optional<std::string> t19, t21, t27, t160, t1050;
    for (const std::string& field : msg.fields) {
        std::int64_t tag = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, tag, value)) continue;
        switch (tag) {
            case 19: t19 = std::string(value); break;
            case 21: t21 = std::string(value); break;
            case 27: t27 = std::string(value); break;
            case 160: t160 = std::string(value); break;
            case 1050: t1050 = std::string(protocol::compressedPayloadOfField(field)); break;
            default: break;
        }
    }
    if (t21) lastServerTimeSeen_ = t21;
    // The server may close the line right after a refusal or a "logged in
    // elsewhere"; the dispatcher disconnects on both, so that close is no failure.
    if (msg.type == 44 || msg.type == 47) conn->isManualServerDisconnect = true;

    switch (msg.type) {
        case 76: {
            auto plain = t27 ? protocol::openEnvelope(*t27, cipherPassword()) : std::nullopt;
            if (!plain) {
                platform::Log::error("Envelope that does not open with the current key: dropped");
                return;
            }
            ProcessMessage(*plain);
            return;
        }
        case 105: {
            platform::Log::debug("CompressedMessage");
            auto text = t1050 ? protocol::decompressData(*t1050, protocol::kMaxCompressedMessageSize) : std::nullopt;
            if (!text) {
                platform::Log::error("Compressed message that does not inflate: dropped");
                return;
            }
            ProcessMessage(*text);
            return;
        }
        case 33: {
            // The session key replaces the shipped key before anything after
            // this message is opened.
            std::string user, pass;
            {
                std::lock_guard<std::mutex> lock(keyMutex_);
                user = credentialsUser_;
                pass = credentialsPassword_;
            }
            if (t19 && lastServerTimeSeen_) {
                std::string key = protocol::GenerateNewEncryptionKey(user, pass, *t19, *lastServerTimeSeen_);
                std::lock_guard<std::mutex> lock(keyMutex_);
                sessionKey_ = std::move(key);
            } else {
                platform::Log::error("Login data without reference id or server time: session key not changed");
            }
            [[fallthrough]];
        }
        case 47:
            if (t1050) {
                msg.payload = protocol::decompressData(*t1050, protocol::kMaxLoginDataSize);
                if (!msg.payload) platform::Log::error("Login data that does not inflate");
            }
            break;
        default:
            break;
    }
    std::weak_ptr<BusinessBase> weak = weak_from_this();
    platform::MainExecutor::post([weak, msg = std::move(msg)]() mutable {
        if (auto self = weak.lock()) self->checkNewMessage(std::move(msg));
    });
}

// ---------------------------------------------------------------------------
// Dispatch on the main thread

void BusinessBase::checkNewMessage(IncomingMessage m) {
    try {
        protocol::MessageBase message(this);
        message.setMessagetype(m.type);
        message.messageDataDictionary().clear();
        message.setMessage(m.fields);
        ProcessNewMessage(m.fields, m.type, message, m.payload);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Message of type ") + std::to_string(m.type) + " not processed: " + e.what());
        return;
    }
    if (m.type != 76 && m.type != 105 && m.type != 1019) onMain([](BusinessBase& s) { s.HistoryDataUpdateNotification(); });
}

void BusinessBase::ProcessNewMessage(const FieldList& fields, std::int32_t type, protocol::MessageBase& message,
                                     const std::optional<std::string>& payload) {
    FirstPass p;
    for (const std::string& field : fields) {
        std::int64_t tag = 0;
        std::string_view v;
        if (!protocol::MessageCracker::splitField(field, tag, v)) continue;
        std::string value(v);
        switch (tag) {
            case 17: p.t17 = value; break;
            case 19:
                if (type == 33) {
                    Referenceid = value;
                    std::lock_guard<std::mutex> lock(keyMutex_);
                    sharedReferenceId_ = value;
                }
                break;
            case 20:
            case 33: setRequestid(toInt32(value)); break;
            case 21: {
                serverTime_ = value;
                std::lock_guard<std::mutex> lock(keyMutex_);
                sharedServerTime_ = value;
                break;
            }
            case 23: p.t23 = value; break;
            case 27: p.t27 = value; break;
            case 34: p.t34 = value; break;
            case 73: p.t73 = toInt32(value); break;
            case 74: p.t74 = toInt32(value); break;
            case 76: p.t76 = value; break;
            case 79: p.t79 = value; break;
            case 80: p.t80 = value; break;
            case 105: p.t105 = value; break;
            case 125: p.t125 = value; break;
            case 151: p.t151 = value; break;
            case 159: p.t159 = value; break;
            case 160: p.t160 = value; break;
            case 502: p.t502 = value; break;
            case 503: p.t503 = value; break;
            case 573: p.t573 = value; break;
            case 1026: p.t1026 = value; break;
            case 1035: p.t1035 = toInt32(value); break;
            case 1050: p.t1050 = std::string(protocol::compressedPayloadOfField(field)); break;
            default: break;
        }
    }

    namespace Log = platform::Log;
    switch (type) {
        case 18: loginAccepted(); break;
        case 33: loginData(p, payload); break;
        case 38:
            Log::info("PasswordChangeResponseMessage");
            UpdateUserInfo(fields);
            break;
        case 44: {
            disconnectServer();
            std::string serverText = p.t105.value_or("");
            onMain([serverText](BusinessBase& s) { s.host_.LogininAnotherLocation(serverText); });
            break;
        }
        case 47: loginRefused(p, payload); break;
        case 62: orderStatus(fields, p); break;
        case 66:
            Log::info("OrderSettled");
            FillSettledOrderCollection(fields);
            break;
        case 67:
            if (p.t73 == 73) {
                Log::info("StatusUpdate");
                UpdateOpenOrderCollection(p.t80, fields, p.t76);
            } else if (p.t73 == 74) {
                Log::info("OrderExecuted");
                FillOpenOrderCollection(fields);
            }
            break;
        case 94: {
            Log::info("PayGateMasterResponse");
            bool added = false;
            auto record = processPayGateTransMasterResponse(message, &added);
            if (record && added)
                payGateTransactionResponseNotification(
                    platform::UserInfo{{"State", std::int64_t{1}}, {"Data", record}});
            break;
        }
        case 96: {
            Log::info("PayGateTransactionResponse");
            std::int64_t error = 0;
            auto record = processPayGateTransactionResponse(message, &error);
            if (record) {
                payGateTransactionResponseNotification(
                    platform::UserInfo{{"State", std::int64_t{3}}, {"Data", record}, {"Error", error}});
                appendJournal(JournalData::getPaymentTransactionJournalData(
                    error, record->requestId, record->transStatus, record->payTransactionId, journalContext()));
            }
            break;
        }
        case 98: {
            Log::info("PayGateStatusResponse");
            auto record = processPayGateStatusResponse(message);
            if (record)
                payGateTransactionResponseNotification(
                    platform::UserInfo{{"State", std::int64_t{2}}, {"Data", record}});
            break;
        }
        case 601:
            Log::info("NewRoomCreationRequest");
            FillChatRoomDetails(fields, p.t503);
            break;
        case 602:
            Log::info("NewRoomCreationResponse");
            FillChatRoomDetails(fields, p.t503);
            break;
        case 603:
            Log::info("NewChatMessage");
            FillChatMessages(fields, p.t502);
            break;
        case 614:
            Log::info("GetOfflineMessageResponse");
            FillOfflineMessages(fields);
            break;
        case 616:
            Log::info("GetRoomMessageResponse");
            FillRoomMessage(fields);
            break;
        case 618:
            Log::info("GetContacListInfoResponse");
            FillChatGroupsAndUsers(fields);
            break;
        case 619:
            Log::info("statusChange");
            UpdateChatUserStatus(p.t23, fields);
            break;
        case 627:
            Log::info("GetRecentConversationResponse");
            FillRecentConversation(fields);
            break;
        case 643: Log::info("AddUserResponse"); break;
        case 679:
            Log::info("ChatResponseFromQueue");
            UpdateChatResponseFromQueue(fields, p.t1026);
            onMain([](BusinessBase& s) { s.ChatQueueStatusUpdateNotification(); });
            break;
        case 680:
            Log::info("ChatQueueStatus");
            UpdateChatQueueStatus(fields, p.t1026);
            onMain([](BusinessBase& s) { s.ChatQueueStatusUpdateNotification(); });
            break;
        case 694:
            Log::info("ApprovalResponse");
            createApprovalAction(p.t1035, fields);
            break;
        case 1019: pingAnswer(fields); break;
        case 1024:
            Log::info("DSResponse");
            processDSResponse(p.t159, p.t1050, p.t151);
            break;
        case 1027:
            Log::info("DemoUserCreationResponse");
            DemoUserCreationResponse(fields);
            break;
        case 1028:
            Log::info("UserReloginRequest");
            conn->reloginToServer();
            break;
        case 1041:
            Log::info("ChartDataResponse");
            fillChartData(p.t17, Requestid);
            break;
        case 1045:
            Log::info("AccountSummary");
            UpdateAccountDetails(fields, p.t34);
            break;
        case 1049:
            Log::info("InstrumentStatusChange");
            messageCrackerOnInstrumentStatusChange(fields);
            platform::NotificationCenter::defaultCenter().post(notifications::kWatchlistTable);
            break;
        case 1052:
            Log::info("CloseHedgedPositions");
            onMain([](BusinessBase& s) { s.CloseHedgedPositionsNotification(); });
            break;
        default:
            break;  // 1020-1023, 1025, 1026 and unknown types: nothing
    }
}

void BusinessBase::loginAccepted() {
    const protocol::LoginInfoMessage* record = firstLoginRecord();
    std::string updateText = record ? record->Message : std::string();
    appendJournal(JournalData::getLoginJournalData(2, journalContext()));
    conn->isNetworkAvailable = true;
    startPingTimer();
    connectChannels();
    sendFirstRequests();
    subscribeAllItems();
    onMain([](BusinessBase& s) { s.LoginSuccessNotification(); });
    // Only a record that carries a message raises the update banner.
    if (!updateText.empty()) onMain([updateText](BusinessBase& s) { s.appUpdateNotification(updateText); });
}

void BusinessBase::loginData(const FirstPass& p, const std::optional<std::string>& payload) {
    appendJournal(JournalData::getLoginJournalData(1, journalContext()));
    if (!payload) {
        platform::Log::error("Login data without a readable payload: no reference data");
        return;
    }
    if (p.t160 && *p.t160 == "PACKED") {
        FillPackedDetails(*payload);
    } else {
        parseXml(*payload);
        FillTableDetails();
    }
}

void BusinessBase::loginRefused(const FirstPass& p, const std::optional<std::string>& payload) {
    disconnectServer();
    // Only the compact form is read here; an XML refusal is not parsed.
    if (p.t160 && *p.t160 == "PACKED" && payload) FillPackedDetails(*payload);
    const protocol::LoginInfoMessage* record = firstLoginRecord();
    std::int32_t code = record ? record->ErrorCode : 0;
    LoginMessages messages;
    switch (code) {
        case 10:
            messages = {{"Message", text("1087")}, {"Tag", "0"}};
            break;
        case 11:
            messages = {{"Message", text("1088")}, {"Tag", "0"}};
            break;
        case 12:
            messages = {{"Message", text("1089")}, {"Tag", "3"}, {"URL", record->Message}};
            break;
        default:
            messages = {{"Message", text("1004")}, {"Tag", "0"}};
            break;
    }
    onMain([messages](BusinessBase& s) { s.host_.showLoginMessages(messages); });
}

void BusinessBase::orderStatus(const FieldList& fields, const FirstPass& p) {
    namespace Log = platform::Log;
    switch (p.t73) {
        case 21: Log::info("OrderStatusNew"); break;
        case 22:
            Log::info("OrderPartlyFilled");
            UpdatePendingOrderCollection(fields, p.t79);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 22);
            break;
        case 23:
            Log::info("OrderFullyFilled");
            RemovePendingOrder(p.t79, true);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 23);
            break;
        case 24: {
            Log::info("OrderCancelled");
            RemovePendingOrder(p.t79, true);
            FillCancelledOrderCollection(Requestid, 24, fields);
            std::optional<std::string> reference = p.t573;
            if (!reference) {
                for (const auto& order : PendingOrderCollectionCopy)
                    if (order && p.t79 && order->PendingOrderId == *p.t79) reference = order->RefPositionIdOfBracket;
            }
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, reference, 24);
            break;
        }
        case 25:
            Log::info("OrderRejected");
            orderRejected(fields, p);
            break;
        case 26:
            Log::info("OrderExpired");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 26);
            break;
        case 27:
            Log::info("OrderSuspended");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 27);
            break;
        case 28:
            Log::info("OrderPending");
            FillPendingOrderCollection(fields, p.t79);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 28);
            break;
        case 75:
            Log::info("OrderEdited");
            UpdatePendingOrderCollection(fields, p.t79);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 75);
            break;
        case 826: Log::info("OrderExchangeRejected"); break;
        default: break;
    }
}

void BusinessBase::orderRejected(const FieldList& fields, const FirstPass& p) {
    if (p.t79 && !p.t79->empty()) {
        FillCancelledOrderCollection(toInt32(*p.t79), 25, fields);
        RemovePendingOrder(p.t79, true);
    } else {
        FillCancelledOrderCollection(Requestid, 25, fields);
        RemovePendingOrder(std::to_string(Requestid), false);
    }
    std::string reason = GetOrderRejectionReason(p.t74);
    OrderRejectionNotification(reason);
    // A rejection without tag 125 still reaches the close-all window.
    bulkCloseRejectedNotification(std::map<std::string, std::string>{{"125", p.t125.value_or("")}, {"17", reason}});
    if (p.t573 && !p.t573->empty()) {
        ModifyBracketOrderUpdateonOpenOrderCollection(fields, p.t573, 25);
        return;
    }
    if (!p.t79) return;
    for (const auto& order : PendingOrderCollectionCopy) {
        if (!order || order->PendingOrderId != *p.t79) continue;
        for (const auto& position : OpenOrderCollection) {
            if (!position || position->OpenPositionId != order->RefPositionIdOfBracket) continue;
            if (order->orderType == model::Order::kLimit) position->LimitPrice.clear();
            if (order->orderType == model::Order::kStop) position->StopPrice.clear();
        }
    }
}

// ---------------------------------------------------------------------------
// Ping and network speed

void BusinessBase::startPingTimer() {
    // One timer per session: a second acceptance re-arms it.
    if (!pingTimer_) {
        std::weak_ptr<BusinessBase> weak = weak_from_this();
        pingTimer_ = std::make_unique<platform::Timer>([weak] {
            if (auto s = weak.lock()) s->pingToserver();
        });
    }
    pingTimer_->start(std::chrono::seconds(1), true);
}

void BusinessBase::stopPingTimer() {
    if (pingTimer_) pingTimer_->cancel();
}

bool BusinessBase::isPingTimerActive() const { return pingTimer_ && pingTimer_->isActive(); }

void BusinessBase::pingToserver() {
    messageBase.setMessagetype(1018);
    protocol::TagMap& tags = messageBase.messageDataDictionary();
    tags.clear();
    tags.setNumber(10, 1018);
    tags.setNumber(20, static_cast<long long>(Requestid) + 1);
    tags.set(21, packedLocalTime());
    protocol::BuildResult result = messageBase.BuildMessage();
    if (!result.sent()) platform::Log::debug("Ping not sent: " + result.error);
}

void BusinessBase::pingAnswer(const FieldList& fields) {
    for (const std::string& field : fields) {
        std::int64_t tag = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, tag, value) || tag != 21) continue;
        if (auto date = parsePacked(std::string(value)))
            serverDate = date;
        else
            platform::Log::debug("Ping answer with an unreadable server time");
    }
    calculateNetworkSpeed(pingTime);
}

void BusinessBase::calculateNetworkSpeed(std::optional<platform::WallTime> date) {
    double t = -1;  // no reference time grades as slow
    if (date) t = std::chrono::duration<double>(wallNow() - *date).count();
    std::optional<std::string> text;
    if (serverDate) {
        ServerTime = packed(*serverDate, true);
        text = ServerTime;
    }
    networkspeedStatus = gradeRoundTrip(t);
    onMain([text](BusinessBase& s) { s.postnetworkspeedNotification(text); });
}

void BusinessBase::postnetworkspeedNotification(const std::optional<std::string>& text) {
    if (text) platform::NotificationCenter::defaultCenter().post(notifications::kNetworkSpeed, *text);
}

// ---------------------------------------------------------------------------
// Password-change and demo-user answers

void BusinessBase::UpdateUserInfo(const FieldList& fields) {
    bool success = false;
    std::optional<std::string> newPassword;
    for (const std::string& field : fields) {
        std::int64_t tag = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, tag, value)) continue;
        if (tag == 17 && lower(std::string(value)) == "success") success = true;
        if (tag == 103) newPassword = std::string(value);
    }
    if (!success) return;
    // The new password counts only once the server has accepted it; a relogin
    // in this session derives its key from it.
    if (newPassword) {
        host_.logindata().setPassword(*newPassword);
        std::lock_guard<std::mutex> lock(keyMutex_);
        credentialsPassword_ = *newPassword;
    }
    onMain([](BusinessBase& s) { s.passwordChangeNotification(); });
}

void BusinessBase::DemoUserCreationResponse(const FieldList& fields) {
    std::optional<std::string> password, user;
    for (const std::string& field : fields) {
        std::int64_t tag = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, tag, value)) continue;
        if (tag == 18) password = std::string(value);
        if (tag == 23) user = std::string(value);
    }
    if (user && password) {
        std::string text = *user + "/" + *password;
        onMain([text](BusinessBase& s) { s.demoUserCreationNotification(text); });
    } else {
        onMain([](BusinessBase& s) { s.demoUserCreationFailureNotification(); });
    }
}

}  // namespace state
