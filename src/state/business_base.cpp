#include "state/business_base.h"

#include "protocol/login_data_limits.h"
#include "protocol/zmq_request_channel.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>

#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/stepped_release.h"
#include "state/order_rejection_reasons.h"
#include "state/packed_time.h"
#include "state/resource_files.h"
#include "state/session_notifications.h"

namespace state {

using protocol::MsgType;

namespace {

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

}  // namespace

// ---------------------------------------------------------------------------
// Creation

std::shared_ptr<BusinessBase> BusinessBase::create(SessionHost& host, UiServices& ui, SessionParts parts) {
    std::shared_ptr<BusinessBase> session(new BusinessBase(host, ui));
    session->assemble(std::move(parts));
    return session;
}

BusinessBase::BusinessBase(SessionHost& host, UiServices& ui)
    : host_(host), ui_(ui), messageBase_(this), incoming_(incomingHooks()) {}

// What "NewQueue" hands on: each goes to the main thread while the session lives.
IncomingPath::Hooks BusinessBase::incomingHooks() {
    IncomingPath::Hooks hooks;
    hooks.deliver = [this](IncomingMessage msg) {
        platform::MainExecutor::post([weak = weak_from_this(), msg = std::move(msg)]() mutable {
            if (auto self = weak.lock()) self->checkNewMessage(std::move(msg));
        });
    };
    hooks.carrierValues = [this](std::vector<std::string> fields, MsgType type) {
        platform::MainExecutor::post([weak = weak_from_this(), type, fields = std::move(fields)] {
            if (auto self = weak.lock()) self->values_.apply(MessageFields(fields), type);
        });
    };
    hooks.expectClose = [this] { conn_->isManualServerDisconnect = true; };
    hooks.expectRelogin = [this] { conn_->expectRelogin(); };
    hooks.newSessionKey = [this](const std::string& key) { host_.loginCipher().replace(key); };
    return hooks;
}

void BusinessBase::assemble(SessionParts parts) {
    conn_ = protocol::ConnectionBase::create(std::weak_ptr<protocol::ConnectionDelegate>(shared_from_this()),
                                             protocol::kMaxSessionFrameSize);
    outgoing_ = std::move(parts.outgoing);
    preferences_ = parts.preferences;
    SessionServices& services = *this;
    const ReferenceData& reference = reference_;
    ping_ = std::make_unique<PingMonitor>(services);
    orderBook_ = make<OrderBook>(parts.orderBook, services, reference);
    const OrderBook& book = *orderBook_;
    feed_ = make<FeedChannels>(parts.feedChannels, services, reference, book);
    accountLedger_ = make<AccountLedger>(parts.accountLedger, services, reference_, *orderBook_, *feed_);
    chat_ = make<Chat>(parts.chat, services, reference);
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
    reference_.setFollowUps({[this] { LoadItemstoWatchlist(); },
                             [this](std::size_t from, std::size_t to) { accountLedger_->SetAllSymbolsSpread(from, to); },
                             [this](std::size_t entries) { return accountLedger_->readSpreadGroups(entries); },
                             [this](bool first, std::size_t codes) { return loadWatchlistPart(first, codes); }});
    feed_->setPricesMoved([this](std::span<const model::ItemDetails* const> items) {
        accountLedger_->pricesMoved(items);
        for (const model::ItemDetails* item : items) ticked_.note(*item);
    });
}

BusinessBase::~BusinessBase() {
    platform::assertMainThread();
    if (ping_) ping_->stopPingTimer();
    if (conn_) conn_->DisconnectServer();
    // The large collections are freed over later turns of the event loop.
    auto release = std::make_shared<platform::SteppedRelease>();
    if (orderBook_) orderBook_->handOver(*release);
    if (feed_) feed_->handOver(*release);
    reference_.handOver(*release);
    platform::SteppedRelease::start(std::move(release));
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
std::optional<std::string> BusinessBase::serverTime() const { return values_.serverTime(); }
std::int32_t BusinessBase::takeRequestId() { return values_.takeRequestId(); }

std::optional<platform::WallTime> BusinessBase::serverDate() const { return ping_->lastServerDate(); }
std::string BusinessBase::packedLocalTime() const { return packedTime(wallNow(), false); }
void BusinessBase::stampPingTime() { ping_->stampPingTime(wallNow()); }

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
    ctx.serverTime = ping_->serverTimeText();
    ctx.now = wallNow();
    return ctx;
}

std::string BusinessBase::GetOrderRejectionReason(std::int32_t code) const { return text(orderRejectionKey(code)); }

// ---------------------------------------------------------------------------
// Starting, sending, stopping

void BusinessBase::StreamingConnection(bool, bool demoRegistration) {
    const model::LoginInputdata& login = host_.logindata();
    incoming_.startLogin(login.userName(), login.password(),
                         host_.loginCipher().sessionKey().value_or(login.SecurityKey()), login.packedDataFormat());
    conn_->ConnectToServer(demoRegistration, login.IPAddress(), login.PortNo());
}


void BusinessBase::sendMessage(protocol::RequestMessage request) {
    if (outgoing_ && outgoing_(request)) {
        // A request the hook keeps is numbered as the channel would number it.
        if (request.isZMQ) lastQueuedRequest_ = protocol::nextRequestSequence();
        return;
    }
    if (request.isZMQ) {
        lastQueuedRequest_ = conn_->sendZMQRequestMessage(std::move(request));
        return;
    }
    conn_->sendMessage(request.message);
}

void BusinessBase::disconnectServer() {
    dropHeldMessages();
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
        ++connections_;
        dropHeldMessages();
        appendJournal(JournalData::getLoginJournalData(kJournalConnected, journalContext()));
        protocol::LoginRequestValues v;
        const model::LoginInputdata& login = host_.logindata();
        v.userName = login.userName();
        v.password = login.password();
        // Sent as configured, "" included.
        v.productName = login.productName();
        v.productVersion = login.productVersion();
        v.packedTime = packedLocalTime();
        v.dataFormat = login.packedDataFormat();
        protocol::ConnectionBase::LoginRequest(messageBase_, v);
    });
}

void BusinessBase::connectionDidReceiveFrame(std::string frame) { incoming_.decodeFrame(std::move(frame)); }

void BusinessBase::connectionDidFail(const std::string& error) {
    onMain([this, error] { connectionFailure(error); });
}

void BusinessBase::connectionFailure(const std::string& error) {
    platform::Log::warning("Connection to the server lost: " + error);
    dropHeldMessages();
    // A login sealed with an earlier session key that ended before its login
    // data: a restarted server may not know that key, so the next login uses
    // the shipped one, which every server knows.
    if (!incoming_.sessionKey() && host_.loginCipher().sessionKey()) {
        platform::Log::info("Login not answered: the next login is sealed with the shipped key");
        host_.loginCipher().forget();
    }
    ping_->stopPingTimer();
    host_.ConnectionFailureNotification();
    // Orders sent as the line went: the server may or may not have taken them.
    if (const std::size_t dropped = orderBook_->dropUnconfirmedOrders()) {
        platform::Log::warning(std::to_string(dropped) + " order(s) sent before the drop not confirmed: removed");
        ui_.showAlert(text("90201"), text("0052"));
    }
    ping_->scheduleSpeedCheck();
}

void BusinessBase::NewMessage(std::string frame) { incoming_.decodeFrame(std::move(frame)); }

// ---------------------------------------------------------------------------
// Dispatch on the main thread

void BusinessBase::checkNewMessage(IncomingMessage m) {
    platform::assertMainThread();
    // After the messages a fill holds back, never before them.
    if (holdingMessages_ || !heldMessages_.empty()) {
        heldMessages_.push_back(std::move(m));
        return;
    }
    try {
        dispatchMessage(m);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Message of type ") + std::to_string(m.type) + " not processed: " + e.what());
    }
    letPayloadGo(m);
}

// The login data's inflated text is read by the time its message is handled:
// a large one is freed a part a slice, not all in this one.
void BusinessBase::letPayloadGo(IncomingMessage& m) {
    if (!m.payload || m.payload->size() <= platform::kFreedBytesPerSlice) return;
    platform::freeInSlices(std::make_unique<std::string>(std::move(*m.payload)));
    m.payload.reset();
}

std::uint64_t BusinessBase::holdMessages() {
    if (!holdingMessages_) ++holds_;
    holdingMessages_ = true;
    return holds_;
}

// What a fill held belongs to a line that went: neither it nor the fill's rest is used.
void BusinessBase::dropHeldMessages() {
    if (!holdingMessages_ && heldMessages_.empty()) return;
    platform::Log::warning(std::to_string(heldMessages_.size()) + " message(s) held by an unfinished fill dropped with the line");
    heldMessages_.clear();
    holdingMessages_ = false;
    ++holds_;
}

void BusinessBase::releaseMessages() {
    holdingMessages_ = false;
    if (!changedTables_.empty()) postChangedTables();
    if (!heldMessages_.empty()) onMain([this] { dispatchHeld(); });
}

// One held message a slice, until a fill holds them again or none is left.
void BusinessBase::dispatchHeld() {
    if (holdingMessages_ || heldMessages_.empty()) return;
    IncomingMessage m = std::move(heldMessages_.front());
    heldMessages_.pop_front();
    try {
        dispatchMessage(m);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Message of type ") + std::to_string(m.type) + " not processed: " + e.what());
    }
    letPayloadGo(m);
    if (!holdingMessages_ && !heldMessages_.empty()) onMain([this] { dispatchHeld(); });
}

void BusinessBase::dispatchChannelText(std::string_view text, Channel channel,
                                       const std::optional<protocol::RequestKind>& kind) {
    platform::assertMainThread();
    for (IncomingMessage& msg : channelMessages(text, channel, kind)) checkNewMessage(std::move(msg));
}

void BusinessBase::dispatchChannelMessages(std::vector<IncomingMessage> messages) {
    platform::assertMainThread();
    for (IncomingMessage& msg : messages) checkNewMessage(std::move(msg));
}

void BusinessBase::requestUnanswered(const protocol::RequestKind& kind) {
    platform::assertMainThread();
    dataService_->requestUnanswered(kind);
}

void BusinessBase::ProcessNewMessage(const FieldList& fields, std::int32_t type,
                                     const std::optional<std::string>& payload) {
    IncomingMessage m = IncomingMessage::ofFields(type, fields);
    m.payload = payload;
    dispatchMessage(m);
}

void BusinessBase::dispatchMessage(const IncomingMessage& m) {
    const MsgType msgType = protocol::msgType(m.type);
    const MessageFields fields(m.fields, m.text);
    // The session scalars change before any handler runs, and only from the TCP session.
    if (m.fromSession) values_.apply(fields, msgType);
    // Login data cut ahead holds its text with its cells.
    const std::optional<std::string>& payload = m.xmlCells ? m.xmlCells->document : m.payload;
    dispatcher_.dispatch(Dispatch{fields, msgType, payload, m.payloadRefused, m.requestKind, m.receivedAt,
                                  m.packedRecords.get(), m.tooLarge, m.xmlCells});
}

// ---------------------------------------------------------------------------
// Password changes and what the session posts itself

void BusinessBase::acceptNewPassword(const std::string& password) {
    host_.logindata().setPassword(password);
    incoming_.setPassword(password);
}

void BusinessBase::appendJournal(const std::string& line) {
    if (line.empty()) return;
    journal_.append(line);
    tableChanged(notifications::kJournalTable);
}

void BusinessBase::tableChanged(const char* name) {
    platform::assertMainThread();
    const auto same = [name](const char* held) { return std::strcmp(held, name) == 0; };
    if (std::any_of(changedTables_.begin(), changedTables_.end(), same)) return;
    changedTables_.push_back(name);
    // The post is on its way, or a fill spread over slices announces its tables once, at its end.
    if (changedTables_.size() > 1 || holdingMessages_) return;
    postChangedTables();
}

void BusinessBase::postChangedTables() {
    onMain([this] {
        for (const char* table : std::exchange(changedTables_, {}))
            platform::NotificationCenter::defaultCenter().post(table);
    });
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
