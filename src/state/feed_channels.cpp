#include "state/feed_channels.h"

#include <ctime>
#include <exception>

#include "model/account_details.h"
#include "model/user_info.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/message_base.h"
#include "protocol/tags.h"
#include "state/business_base.h"
#include "state/session_notifications.h"

namespace state {

namespace {

// The keep-alive's view of the session: values fixed when the channels
// connect, so that the worker thread builds it without touching the session.
class KeepAliveContext : public protocol::AppContext {
public:
    KeepAliveContext(std::optional<std::string> user, std::optional<std::string> reference)
        : user_(std::move(user)), reference_(std::move(reference)) {}

    std::optional<std::string> userName() const override { return user_; }
    std::optional<std::string> password() const override { return std::nullopt; }
    std::optional<std::string> productName() const override { return std::nullopt; }
    std::optional<std::string> productVersion() const override { return std::nullopt; }
    std::optional<std::string> securityKey() const override { return std::nullopt; }
    std::int32_t requestId() const override { return 0; }
    std::optional<std::string> referenceId() const override { return reference_; }
    std::optional<std::string> serverTime() const override { return std::nullopt; }
    std::string packedLocalTime() const override {
        std::time_t t = std::chrono::system_clock::to_time_t(platform::defaultClock().wallNow());
        std::tm tm{};
        localtime_r(&t, &tm);
        char buffer[32];
        std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &tm);
        return buffer;
    }
    void sendMessage(protocol::RequestMessage request) override { built = std::move(request); }
    void stampPingTime() override {}

    std::optional<protocol::RequestMessage> built;

private:
    std::optional<std::string> user_;
    std::optional<std::string> reference_;
};

// requestControlClientConnectMessage, with a message object of its own.
std::optional<protocol::RequestMessage> buildKeepAlive(const std::optional<std::string>& user,
                                                       const std::optional<std::string>& reference) {
    KeepAliveContext context(user, reference);
    protocol::MessageBase message(&context);
    const auto type = protocol::MsgType::ControlClientConnect;
    message.setMessagetype(protocol::toInt(type));
    message.messageDataDictionary().clear();
    message.messageDataDictionary().setNumber(protocol::tag::MessageType, static_cast<long long>(protocol::toInt(type)));
    if (!context.setMessageProperties(message)) return std::nullopt;
    if (!message.BuildMessage().sent()) return std::nullopt;
    return std::move(context.built);
}

// De-frames a reply or a status text on its own (an unfinished frame cannot
// join the session's next message) and hands the frames to "NewQueue", where
// session frames are decoded.
void dispatchFrames(const std::weak_ptr<BusinessBase>& weak, protocol::ConnectionBase& conn, const std::string& text) {
    std::vector<std::string> frames;
    protocol::FrameDecoder reader;
    if (!reader.feed(text, [&frames](std::string_view frame) { frames.emplace_back(frame); }))
        platform::Log::error("Channel message exceeds the size limit: dropped");
    if (reader.insideFrame()) platform::Log::debug("Channel message ends inside a frame: the rest dropped");
    if (frames.empty()) return;
    conn.queue()->async([weak, frames = std::move(frames)]() mutable {
        if (auto s = weak.lock())
            for (std::string& frame : frames) s->NewMessage(std::move(frame));
    });
}

}  // namespace

void FeedChannels::registerHandlers(Dispatcher& table) {
    table.add(protocol::MsgType::InstrumentStatusChange, componentName(), [this](const Dispatch& m) {
        platform::Log::info("InstrumentStatusChange");
        messageCrackerOnInstrumentStatusChange(m.fields);
        platform::NotificationCenter::defaultCenter().post(notifications::kWatchlistTable);
    });
}

model::ItemDetails* FeedChannels::itemForCode(const std::string& code) {
    auto* item = session_.referenceData().ItemCollection.find(code);
    return item ? item->get() : nullptr;
}

void FeedChannels::connectChannels() {
    BusinessBase& s = session_;
    const auto& user = s.referenceData().userInfo;
    if (!user) {
        platform::Log::error("No user record: ZeroMQ channels not connected");
        return;
    }
    std::weak_ptr<BusinessBase> weak = s.weak_from_this();
    s.conn->onFeedMessage = [weak](const std::string& text) {
        if (auto self = weak.lock()) self->ZMQNewMessage(text);
    };
    s.conn->onZMQReply = [weak](protocol::ZMQReply reply) {
        auto self = weak.lock();
        if (!self) return;
        platform::Log::debug("Reply to request " + std::to_string(reply.kind.type) + " " + reply.kind.name);
        // Decoded and dispatched like the TCP session's frames.
        dispatchFrames(weak, *self->conn, reply.text);
    };
    s.conn->buildKeepAlive = [user = s.userName(), reference = s.Referenceid] { return buildKeepAlive(user, reference); };

    const std::string address = s.host().logindata().IPAddress();
    if (s.conn->ConnectToZMQSubServer(address, user->marketdepthPort))
        s.conn->ConnectToZMQReqServer(address, user->hdServerPort);
}

void FeedChannels::subscribeAllItems() { ProcessSubscribeandUnSubscribeItems(session_.getAllItems(), true); }

void FeedChannels::reconnectZMQandSubscribeAllItems() {
    if (!session_.conn->isConnected()) return;
    connectChannels();
    subscribeAllItems();
}

void FeedChannels::ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) {
    const auto& accounts = session_.referenceData().AccountDetailCollection;
    if (accounts.size() == 1) {
        const auto& account = accounts.first()->second;
        if (account && account->tradingStatus == model::AccountDetails::kStatusSuspended) return;
    }
    session_.conn->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
}

void FeedChannels::ZMQNewMessage(const std::string& text) {
    if (!priceFeed_) {
        std::weak_ptr<BusinessBase> weak = session_.weak_from_this();
        PriceFeed::Hooks hooks;
        hooks.item = [this](const std::string& code) { return itemForCode(code); };
        hooks.storeDepth = [this](MarketDepthUpdate depth) {
            buyMarketDepthDataCollection.set(depth.code, std::move(depth.buy));
            sellMarketDepthDataCollection.set(depth.code, std::move(depth.sell));
        };
        // A status change is a session message: it takes the frames' own path.
        hooks.processStatus = [this, weak](const std::string& frame) { dispatchFrames(weak, *session_.conn, frame); };
        priceFeed_ = std::make_unique<PriceFeed>(std::move(hooks));
    }
    priceFeed_->checkZMQNewMessage(text);
}

void FeedChannels::messageCrackerOnInstrumentStatusChange(const FieldList& fields) {
    PriceFeed::messageCrackerOnInstrumentStatusChange(fields,
                                                      [this](const std::string& code) { return itemForCode(code); });
}

}  // namespace state
