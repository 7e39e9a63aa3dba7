#include "state/business_base.h"

#include <exception>
#include <limits>

#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/envelope.h"
#include "protocol/message_cracker.h"
#include "protocol/separator_bytes.h"
#include "protocol/session_key.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/order_rejection_reasons.h"
#include "state/packed_time.h"
#include "state/resource_files.h"
#include "state/session_notifications.h"
#include "state/text_conversions.h"

namespace state {

using protocol::MsgType;

namespace {

std::vector<std::string> split(std::string_view text, char sep) {
    std::vector<std::string> out;
    for (std::string_view piece : TextConversion::split(text, sep)) out.emplace_back(piece);
    return out;
}

// Kind of the journal line written when the connection is up.
constexpr std::int32_t kJournalConnected = 0;

platform::WallTime wallNow() { return platform::defaultClock().wallNow(); }

// The login settings hold "" where nothing was set.
std::optional<std::string> nonEmpty(std::string s) {
    if (s.empty()) return std::nullopt;
    return s;
}

// The test's replacement when it gave one, else the standard component.
template <typename T, typename Maker, typename... Needs>
std::unique_ptr<T> make(const Maker& replacement, SessionServices& services, Needs&... needs) {
    if (replacement) return replacement(services, needs...);
    return std::make_unique<T>(services, needs...);
}

// No table refresh follows these: their content is dispatched on its own.
bool refreshesTables(MsgType type) {
    return type != MsgType::Envelope && type != MsgType::Compressed && type != MsgType::PingAnswer;
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation

std::shared_ptr<BusinessBase> BusinessBase::create(SessionHost& host, UiServices& ui, SessionParts parts) {
    std::shared_ptr<BusinessBase> session(new BusinessBase(host, ui));
    session->assemble(std::move(parts));
    return session;
}

BusinessBase::BusinessBase(SessionHost& host, UiServices& ui) : host_(host), ui_(ui), messageBase_(this) {}

void BusinessBase::assemble(SessionParts parts) {
    conn_ = protocol::ConnectionBase::create(std::weak_ptr<protocol::ConnectionDelegate>(shared_from_this()));
    outgoing_ = std::move(parts.outgoing);
    preferences_ = parts.preferences;
    SessionServices& services = *this;
    const ReferenceData& reference = reference_;
    ping_ = std::make_unique<PingMonitor>(services);
    orderBook_ = make<OrderBook>(parts.orderBook, services, reference);
    const OrderBook& book = *orderBook_;
    feed_ = make<FeedChannels>(parts.feedChannels, services, reference, book);
    accountLedger_ = make<AccountLedger>(parts.accountLedger, services, reference_, *orderBook_, *feed_);
    chat_ = make<Chat>(parts.chat, services);
    funds_ = make<Funds>(parts.funds, services, reference, book);
    dataService_ = make<DataServiceAnswers>(parts.dataServiceAnswers, services, reference_, *orderBook_, *funds_,
                                            *chat_, *feed_);
    login_ = std::make_unique<LoginHandshake>(services, reference_, *ping_, *feed_, *dataService_);
    for (const auto& extra : parts.extra)
        if (extra) extra_.push_back(extra(services));
    for (SessionComponent* c : std::initializer_list<SessionComponent*>{
             login_.get(), ping_.get(), orderBook_.get(), accountLedger_.get(), dataService_.get(), chat_.get(),
             funds_.get(), feed_.get()})
        c->registerHandlers(dispatcher_);
    for (const auto& c : extra_) c->registerHandlers(dispatcher_);
    reference_.setFollowUps({[this] { LoadItemstoWatchlist(); }, [this] { accountLedger_->SetAllSymbolsSpread(); }});
}

BusinessBase::~BusinessBase() {
    platform::assertMainThread();
    if (ping_) ping_->stopPingTimer();
    if (conn_) conn_->DisconnectServer();
}

void BusinessBase::onMain(std::function<void()> fn) {
    std::weak_ptr<BusinessBase> weak = weak_from_this();
    platform::MainExecutor::post([weak, fn = std::move(fn)] {
        if (auto self = weak.lock()) {
            try {
                fn();
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
std::int32_t BusinessBase::takeRequestId() {
    // The counter is 32-bit: at its top it stays there rather than overflow.
    if (Requestid < std::numeric_limits<std::int32_t>::max()) setRequestid(Requestid + 1);
    return Requestid;
}

void BusinessBase::setSessionValues(std::int32_t requestId, std::optional<std::string> referenceId) {
    setRequestid(requestId);
    Referenceid = referenceId;
    std::lock_guard<std::mutex> lock(keyMutex_);
    sharedReferenceId_ = std::move(referenceId);
}

std::optional<platform::WallTime> BusinessBase::serverDate() const { return ping_->serverDate; }
std::string BusinessBase::packedLocalTime() const { return packedTime(wallNow(), false); }
void BusinessBase::stampPingTime() { ping_->pingTime = wallNow(); }

std::string BusinessBase::cipherPassword() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    if (sessionKey_) return *sessionKey_;
    return loginKey_;
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
    ctx.serverTime = ping_->ServerTime;
    ctx.now = wallNow();
    return ctx;
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
        loginKey_ = host_.loginCipher().sessionKey().value_or(login.SecurityKey());
    }
    conn_->ConnectToServer(demoRegistration, login.IPAddress(), login.PortNo());
}



void BusinessBase::sendMessage(protocol::RequestMessage request) {
    if (outgoing_ && outgoing_(request)) return;
    if (request.isZMQ) {
        conn_->sendZMQRequestMessage(std::move(request));
        return;
    }
    conn_->sendMessage(request.message);
}

void BusinessBase::disconnectServer() {
    ping_->stopPingTimer();
    conn_->DisconnectServer();
}

// ---------------------------------------------------------------------------
// Connection events ("NewQueue")

void BusinessBase::connectionDidConnect(bool demoRegistration) {
    onMain([this, demoRegistration] {
        if (demoRegistration) {
            platform::NotificationCenter::defaultCenter().post(
                notifications::kSendLoginRegistrationRequest,
                std::make_shared<const ConnectionPayload>(conn_));
            return;
        }
        appendJournal(JournalData::getLoginJournalData(kJournalConnected, journalContext()));
        protocol::LoginRequestValues v;
        const model::LoginInputdata& login = host_.logindata();
        v.userName = login.userName();
        v.password = login.password();
        // Sent as configured, "" included.
        v.productName = login.productName();
        v.productVersion = login.productVersion();
        v.packedTime = packedLocalTime();
        protocol::ConnectionBase::LoginRequest(messageBase_, v);
    });
}

void BusinessBase::connectionDidReceiveFrame(std::string frame) { NewMessage(std::move(frame)); }

void BusinessBase::connectionDidFail(const std::string& error) {
    onMain([this, error] { connectionFailure(error); });
}

void BusinessBase::connectionFailure(const std::string& error) {
    platform::Log::warning("Connection to the server lost: " + error);
    ping_->stopPingTimer();
    host_.ConnectionFailureNotification();
    ping_->scheduleSpeedCheck();
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

std::optional<IncomingMessage> IncomingMessage::decode(std::string_view frame) {
    if (!protocol::isValidUtf8(frame)) {
        platform::Log::error("Frame is not UTF-8 text: dropped");
        return std::nullopt;
    }
    IncomingMessage msg;
    msg.fields = split(frame, protocol::FieldEndByte);
    msg.fields.erase(msg.fields.begin());  // the length
    if (msg.fields.empty()) {
        platform::Log::error("Frame without fields: dropped");
        return std::nullopt;
    }
    auto typeText = protocol::MessageCracker::GetMessageValue(msg.fields.front(), "=");
    msg.type = typeText ? protocol::MessageCracker::int32Value(*typeText) : 0;
    return msg;
}

void BusinessBase::decodeFrame(std::string frame) {
    namespace tag = protocol::tag;
    std::optional<IncomingMessage> decoded = IncomingMessage::decode(frame);
    if (!decoded) return;
    IncomingMessage& msg = *decoded;
    const MsgType type = protocol::msgType(msg.type);

    std::optional<std::string> referenceId, serverTime, cipherText, compressed;
    for (const std::string& field : msg.fields) {
        std::int64_t number = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, number, value)) continue;
        switch (number) {
            case tag::ReferenceId: referenceId = std::string(value); break;
            case tag::ServerTime: serverTime = std::string(value); break;
            case tag::CipherText: cipherText = std::string(value); break;
            case tag::CompressedPayload: compressed = std::string(protocol::compressedPayloadOfField(field)); break;
            default: break;
        }
    }
    if (serverTime) lastServerTimeSeen_ = serverTime;
    if (type == MsgType::PingAnswer) msg.receivedAt = wallNow();
    // The server may close the line right after a refusal or a "logged in
    // elsewhere"; the dispatcher disconnects on both, so that close is no failure.
    if (type == MsgType::LoggedInElsewhere || type == MsgType::LoginRefused) conn_->isManualServerDisconnect = true;
    // An envelope's or a compressed message's own request id and server time
    // count too, before the message it carries.
    if (type == MsgType::Envelope || type == MsgType::Compressed) {
        std::weak_ptr<BusinessBase> weak = weak_from_this();
        platform::MainExecutor::post([weak, type, fields = msg.fields] {
            if (auto self = weak.lock()) self->applySessionScalars(MessageFields(fields), type);
        });
    }

    switch (type) {
        case MsgType::Envelope: {
            auto plain = cipherText ? protocol::openEnvelope(*cipherText, cipherPassword()) : std::nullopt;
            if (!plain) {
                platform::Log::error("Envelope that does not open with the current key: dropped");
                return;
            }
            ProcessMessage(*plain);
            return;
        }
        case MsgType::Compressed: {
            platform::Log::debug("CompressedMessage");
            auto text = compressed ? protocol::decompressData(*compressed, protocol::kMaxCompressedMessageSize) : std::nullopt;
            if (!text) {
                platform::Log::error("Compressed message that does not inflate: dropped");
                return;
            }
            ProcessMessage(*text);
            return;
        }
        case MsgType::LoginData: {
            // The session key replaces the shipped key before anything after
            // this message is opened.
            std::string user, pass;
            {
                std::lock_guard<std::mutex> lock(keyMutex_);
                user = credentialsUser_;
                pass = credentialsPassword_;
            }
            if (referenceId && lastServerTimeSeen_) {
                std::string key = protocol::GenerateNewEncryptionKey(user, pass, *referenceId, *lastServerTimeSeen_);
                host_.loginCipher().replace(key);
                std::lock_guard<std::mutex> lock(keyMutex_);
                sessionKey_ = std::move(key);
            } else {
                platform::Log::error("Login data without reference id or server time: session key not changed");
            }
            [[fallthrough]];
        }
        case MsgType::LoginRefused:
            if (compressed) {
                msg.payload = protocol::decompressData(*compressed, protocol::kMaxLoginDataSize);
                if (!msg.payload) {
                    platform::Log::error("Login data refused: over its size limit or not inflatable");
                    msg.payloadRefused = true;
                }
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
    platform::assertMainThread();
    try {
        dispatchMessage(m);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Message of type ") + std::to_string(m.type) + " not processed: " + e.what());
        return;
    }
    if (refreshesTables(protocol::msgType(m.type)))
        onMain([] {
            for (const char* name : notifications::kTableNotifications)
                platform::NotificationCenter::defaultCenter().post(name);
        });
}

void BusinessBase::dispatchChannelText(std::string_view text, Channel channel,
                                       const std::optional<protocol::RequestKind>& kind) {
    platform::assertMainThread();
    // A frame left unfinished here cannot join the session's next message.
    protocol::FrameDecoder frames;
    std::vector<IncomingMessage> messages;
    const bool whole = frames.feed(text, [&messages](std::string_view frame) {
        if (auto msg = IncomingMessage::decode(frame)) messages.push_back(std::move(*msg));
    });
    if (!whole) platform::Log::error(std::string("Message on the ") + channelName(channel) + " channel over the size limit: dropped");
    for (IncomingMessage& msg : messages) {
        if (!channelCarries(channel, protocol::msgType(msg.type), kind)) {
            platform::Log::warning("Message of type " + std::to_string(msg.type) + " on the " + channelName(channel) +
                                   " channel: dropped");
            continue;
        }
        msg.requestKind = kind;
        checkNewMessage(std::move(msg));
    }
}

void BusinessBase::applySessionScalars(const MessageFields& fields, MsgType type) {
    namespace tag = protocol::tag;
    if (type == MsgType::LoginData) {
        if (auto reference = fields.text(tag::ReferenceId)) {
            Referenceid = reference;
            std::lock_guard<std::mutex> lock(keyMutex_);
            sharedReferenceId_ = std::move(reference);
        }
    }
    if (auto id = fields.findLast(tag::RequestId, tag::AlternateRequestId))
        setRequestid(protocol::MessageCracker::int32Value(*id));
    if (auto time = fields.text(tag::ServerTime)) {
        serverTime_ = time;
        std::lock_guard<std::mutex> lock(keyMutex_);
        sharedServerTime_ = std::move(time);
    }
}

void BusinessBase::ProcessNewMessage(const FieldList& fields, std::int32_t type,
                                     const std::optional<std::string>& payload) {
    IncomingMessage m;
    m.fields = fields;
    m.type = type;
    m.payload = payload;
    dispatchMessage(m);
}

void BusinessBase::dispatchMessage(const IncomingMessage& m) {
    const MsgType msgType = protocol::msgType(m.type);
    const MessageFields fields(m.fields);
    // The session scalars change before any handler runs.
    applySessionScalars(fields, msgType);
    dispatcher_.dispatch(Dispatch{fields, msgType, m.payload, m.payloadRefused, m.requestKind, m.receivedAt});
}

// ---------------------------------------------------------------------------
// Password changes and what the session posts itself

void BusinessBase::acceptNewPassword(const std::string& password) {
    host_.logindata().setPassword(password);
    std::lock_guard<std::mutex> lock(keyMutex_);
    credentialsPassword_ = password;
}

void BusinessBase::postAboutSession(const std::string& name, const PayloadOf& payload) {
    auto self = shared_from_this();
    std::shared_ptr<const SessionPayload> carried = payload ? payload(self) : std::make_shared<const SessionPayload>(self);
    platform::NotificationCenter::defaultCenter().post(name, std::move(carried), this);
}

void BusinessBase::userNotificationCenterDidActivateNotification(const Banner& banner) {
    auto it = banner.userInfo.find("AppDownloadURL");
    if (it == banner.userInfo.end() || it->second.empty()) return;
    if (!ResourceFiles::isOpenableUrl(it->second)) {
        platform::Log::warning("Download address refused (not http or https): " + it->second);
        return;
    }
    ui_.openUrl(it->second);
    ui_.terminate();
}

void commonBanner(UiServices& ui, const std::string& message, const std::string& title) {
    Banner banner;
    banner.title = ui.bundleName();
    banner.subtitle = title;
    banner.informativeText = message;
    banner.dismissDelayTime = 5.0;
    ui.deliverBanner(banner);
}

}  // namespace state
