// The session's side of the two ZeroMQ channels: connecting them after the
// login, the price feed on the main thread, subscriptions and the watchlist.
#include <ctime>
#include <exception>

#include "model/account_details.h"
#include "model/order.h"
#include "model/user_info.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"
#include "protocol/message_base.h"
#include "state/business_base.h"

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
    message.setMessagetype(1002);
    message.messageDataDictionary().clear();
    message.messageDataDictionary().set(10, "1002");
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
        auto s = weak.lock();
        if (s)
            for (std::string& frame : frames) s->NewMessage(std::move(frame));
        platform::releaseOnMain(std::move(s));  // the session ends on the main thread only
    });
}

}  // namespace

model::ItemDetails* BusinessBase::itemForCode(const std::string& code) {
    auto* item = ItemCollection.find(code);
    return item ? item->get() : nullptr;
}

std::vector<std::string> BusinessBase::heldItemCodes() const {
    std::vector<std::string> codes;
    for (const auto& order : getOpenOrderCollection()) codes.push_back(order->ItemCode);
    for (const auto& order : getPendingOrderCollection()) codes.push_back(order->ItemCode);
    return codes;
}

void BusinessBase::connectChannels() {
    if (!userInfo) {
        platform::Log::error("No user record: ZeroMQ channels not connected");
        return;
    }
    std::weak_ptr<BusinessBase> weak = weak_from_this();
    conn->onFeedMessage = [weak](const std::string& text) {
        if (auto self = weak.lock()) self->ZMQNewMessage(text);
    };
    conn->onZMQReply = [weak](protocol::ZMQReply reply) {
        auto self = weak.lock();
        if (!self) return;
        platform::Log::debug("Reply to request " + std::to_string(reply.kind.type) + " " + reply.kind.name);
        // Decoded and dispatched like the TCP session's frames.
        dispatchFrames(weak, *self->conn, reply.text);
    };
    conn->buildKeepAlive = [user = userName(), reference = Referenceid] { return buildKeepAlive(user, reference); };

    const std::string address = host_.logindata().IPAddress();
    if (conn->ConnectToZMQSubServer(address, userInfo->marketdepthPort))
        conn->ConnectToZMQReqServer(address, userInfo->hdServerPort);
}

void BusinessBase::subscribeAllItems() { ProcessSubscribeandUnSubscribeItems(getAllItems(), true); }

void BusinessBase::reconnectZMQandSubscribeAllItems() {
    if (!conn->isConnected()) return;
    connectChannels();
    subscribeAllItems();
}

void BusinessBase::ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) {
    if (AccountDetailCollection.size() == 1) {
        const auto& account = AccountDetailCollection.first()->second;
        if (account && account->tradingStatus == 3) return;
    }
    conn->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
}

void BusinessBase::ZMQNewMessage(const std::string& text) {
    if (!priceFeed_) {
        std::weak_ptr<BusinessBase> weak = weak_from_this();
        PriceFeed::Hooks hooks;
        hooks.item = [this](const std::string& code) { return itemForCode(code); };
        hooks.storeDepth = [this](MarketDepthUpdate depth) {
            buyMarketDepthDataCollection.set(depth.code, std::move(depth.buy));
            sellMarketDepthDataCollection.set(depth.code, std::move(depth.sell));
        };
        // A status change is a session message: it takes the frames' own path.
        hooks.processStatus = [this, weak](const std::string& frame) { dispatchFrames(weak, *conn, frame); };
        priceFeed_ = std::make_unique<PriceFeed>(std::move(hooks));
    }
    priceFeed_->checkZMQNewMessage(text);
}

void BusinessBase::messageCrackerOnInstrumentStatusChange(const FieldList& fields) {
    PriceFeed::messageCrackerOnInstrumentStatusChange(fields,
                                                      [this](const std::string& code) { return itemForCode(code); });
}

Watchlist BusinessBase::watchlist() {
    Watchlist::Hooks hooks;
    BusinessBase* self = this;
    hooks.item = [self](const std::string& code) { return self->itemForCode(code); };
    hooks.firstSymbolType = [self]() -> std::optional<std::vector<std::string>> {
        SymbolTypes types = self->getSymbolTypes();
        if (types.empty() || types.front().empty()) return std::nullopt;
        return std::move(types.front().begin()->second);
    };
    hooks.heldItems = [self] { return self->heldItemCodes(); };
    hooks.allItems = [self] { return self->getAllItems(); };
    hooks.subscribe = [self](const std::vector<std::string>& codes, bool subscribe) {
        self->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
    };
    std::weak_ptr<BusinessBase> weak = self->weak_from_this();
    hooks.notifyUpdate = [weak] {
        platform::MainExecutor::post([weak] {
            if (auto s = weak.lock()) s->watchlistUpdateNotification();
        });
    };
    return Watchlist(preferences ? *preferences : platform::Preferences::standard(), std::move(hooks));
}

void BusinessBase::LoadItemstoWatchlist() {
    try {
        watchlist().LoadItemstoWatchlist(host_.logindata().userName(), selectedSymbols);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("LoadItemstoWatchlist: ") + e.what());
    }
}

void BusinessBase::SaveItemstoWatchList(const std::vector<std::string>& list) {
    try {
        watchlist().SaveItemstoWatchList(host_.logindata().userName(), list, selectedSymbols);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("SaveItemstoWatchList: ") + e.what());
    }
}

}  // namespace state
