#include "state/feed_channels.h"

#include <ctime>
#include <exception>

#include "model/account_details.h"
#include "model/user_info.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/slice_budget.h"
#include "protocol/message_base.h"
#include "protocol/tags.h"
#include "protocol/connection_base.h"
#include "state/incoming_path.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/state_queries.h"
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
    // A missing user or reference id leaves its tag unset: it goes out as "(null)".
    context.setMessageProperties(message);
    if (!message.BuildMessage().sent()) return std::nullopt;
    return std::move(context.built);
}

}  // namespace

void FeedChannels::registerHandlers(Dispatcher& table) {
    table.add(protocol::MsgType::InstrumentStatusChange, componentName(), [this](const Dispatch& m) {
        platform::Log::info("InstrumentStatusChange");
        messageCrackerOnInstrumentStatusChange(m.fields);
        services_.tableChanged(notifications::kWatchlistTable);
    });
}

// The dictionary's own flat index: one probe of 8-byte slots.
model::ItemDetails* FeedChannels::itemForCode(const std::string& code) {
    const auto* held = reference_.ItemCollection().find(code);
    return held ? held->get() : nullptr;
}

void FeedChannels::connectChannels() {
    SessionServices& s = services_;
    protocol::ConnectionBase& conn = s.connection();
    const auto& user = reference_.userInfo();
    if (!user) {
        platform::Log::error("No user record: ZeroMQ channels not connected");
        return;
    }
    // The channels hold the session weakly: nothing runs once it died.
    std::weak_ptr<const void> weak = s.lifetime();
    conn.tickFields = &PriceFeed::tickPriceFields;
    conn.onFeedMessages = [weak, this](std::span<const std::string> texts) {
        if (auto alive = weak.lock()) ZMQNewMessages(texts);
    };
    // Replies are decoded on the request worker: the main thread gets the
    // messages, viewing the reply's text without a copy.
    conn.readZMQReply = [weak, this](protocol::ZMQReply reply) -> std::function<void()> {
        platform::Log::debug("Reply to request " + std::to_string(reply.kind.type) + " " + reply.kind.name);
        if (protocol::msgType(reply.kind.type) == protocol::MsgType::ControlClientConnect) return {};  // keep-alive
        if (reply.unanswered)
            return [weak, this, kind = std::move(reply.kind)] {
                if (auto alive = weak.lock()) services_.requestUnanswered(kind);
            };
        auto messages = std::make_shared<std::vector<IncomingMessage>>(channelMessages(
            std::make_shared<const std::string>(std::move(reply.text)), Channel::RequestReply, reply.kind));
        return [weak, this, messages] {
            if (auto alive = weak.lock()) services_.dispatchChannelMessages(std::move(*messages));
        };
    };
    // The request channel keeps the first builder it is given: the values it
    // reads are updated at every connect, so a relogin's keep-alive carries
    // the new session's.
    {
        std::lock_guard<std::mutex> lock(keepAlive_->mutex);
        keepAlive_->user = s.userName();
        keepAlive_->reference = s.referenceId();
    }
    conn.buildKeepAlive = [values = keepAlive_] {
        std::optional<std::string> user, reference;
        {
            std::lock_guard<std::mutex> lock(values->mutex);
            user = values->user;
            reference = values->reference;
        }
        return buildKeepAlive(user, reference);
    };

    const std::string address = s.host().logindata().IPAddress();
    // Each on its own: a feed that cannot connect leaves the requests their channel.
    conn.ConnectToZMQSubServer(address, user->marketdepthPort);
    conn.ConnectToZMQReqServer(address, user->hdServerPort);
}

void FeedChannels::subscribeAllItems() {
    // A short list in this slice, and any list while another fill holds the
    // messages (its release would end this hold too); a long one from the
    // next slice, where its first step's room is made.
    const std::size_t items =
        reference_.selectedSymbols().size() + book_.OpenOrderCollection().size() + book_.PendingOrderCollection().size();
    if (items <= kItemsPerGatherSlice || services_.holdingMessages()) {
        ProcessSubscribeandUnSubscribeItems(allItems(), true);
        return;
    }
    auto gathering = std::make_shared<std::optional<Queries::ItemsGathering>>();
    const std::uint64_t hold = services_.holdMessages();
    services_.onMain([this, gathering, hold] { gatherAndSubscribe(gathering, hold); });
}

void FeedChannels::gatherAndSubscribe(const Gathering& gathering, std::uint64_t hold) {
    if (!services_.stillHolding(hold)) return;
    if (!gatherItemsSlice(*gathering)) {
        services_.onMain([this, gathering, hold] { gatherAndSubscribe(gathering, hold); });
        return;
    }
    std::vector<std::string> codes = std::move(**gathering).takeCodes();
    gathering->reset();
    ProcessSubscribeandUnSubscribeItems(std::move(codes), true);
    services_.releaseMessages();
}

std::vector<std::string> FeedChannels::allItems() const {
    return Queries::allItems(reference_.selectedSymbols(), book_.OpenOrderCollection(), book_.PendingOrderCollection(),
                             reference_.AccountDetailCollection());
}

bool FeedChannels::gatherItemsSlice(std::optional<Queries::ItemsGathering>& gathering) const {
    if (!gathering) gathering.emplace();
    platform::SliceBudget budget;
    for (std::size_t n = 0; n < kItemsPerGatherSlice; n += platform::SliceBudget::kItemsPerCheck) {
        if (gathering->step(reference_.selectedSymbols(), book_.OpenOrderCollection(), book_.PendingOrderCollection(),
                            reference_.AccountDetailCollection(), platform::SliceBudget::kItemsPerCheck))
            return true;
        if (budget.spent(platform::SliceBudget::kItemsPerCheck)) break;
    }
    return false;
}

void FeedChannels::reconnectZMQandSubscribeAllItems() {
    // A line being closed on purpose still reads as connected until its socket closes.
    const protocol::ConnectionBase& conn = services_.connection();
    if (!conn.isConnected() || conn.isManualServerDisconnect) return;
    connectChannels();
    subscribeAllItems();
}

void FeedChannels::ProcessSubscribeandUnSubscribeItems(std::vector<std::string> codes, bool subscribe) {
    const auto& accounts = reference_.AccountDetailCollection();
    if (accounts.size() == 1) {
        const auto& account = accounts.first()->second;
        if (account && account->tradingStatus == model::AccountDetails::kStatusSuspended) return;
    }
    services_.connection().ProcessSubscribeandUnSubscribeItems(std::move(codes), subscribe);
}

void FeedChannels::setMarketDepth(const std::string& code, std::vector<std::string> buy,
                                  std::vector<std::string> sell) {
    buyDepth_.set(code, std::move(buy));
    sellDepth_.set(code, std::move(sell));
}

void FeedChannels::applyDepth(std::string_view text) {
    std::string_view code, buy, sell;
    if (!PriceFeed::MarketDepthCut(text, code, buy, sell)) return;
    std::vector<std::string>* buyLevels = buyDepth_.find(code);
    std::vector<std::string>* sellLevels = buyLevels ? sellDepth_.find(code) : nullptr;
    if (!buyLevels || !sellLevels) {
        buyLevels = &buyDepth_.set(std::string(code), {});
        sellLevels = &sellDepth_.set(std::string(code), {});
    }
    PriceFeed::splitLevels(buy, *buyLevels);
    PriceFeed::splitLevels(sell, *sellLevels);
}

void FeedChannels::addTick(const std::string& text, std::size_t& run) {
    try {
        if (PriceFeed::PriceUpdateDecode(text, ticks_[run])) ++run;
    } catch (const std::exception& e) {
        platform::Log::error(std::string("PriceUpdateDecode ") + e.what());
    }
    if (run == kTickRun) {
        applyTicks(run);
        run = 0;
    }
}

void FeedChannels::applyTicks(std::size_t run) {
    if (run == 0) return;
    model::ItemDetails* items[kTickRun];
    // The lookups one after another, so that their misses overlap.
    for (std::size_t i = 0; i < run; ++i) items[i] = itemForCode(ticks_[i].ItemCode);
    const model::ItemDetails* moved[kTickRun];
    std::size_t count = 0;
    for (std::size_t i = 0; i < run; ++i) {
        if (!items[i]) continue;
        try {
            PriceFeed::UpdateItemCollection(*items[i], ticks_[i]);
            moved[count++] = items[i];
        } catch (const std::exception& e) {
            platform::Log::error(std::string("PriceUpdateDecode ") + e.what());
        }
    }
    if (pricesMoved_ && count > 0) pricesMoved_(std::span<const model::ItemDetails* const>(moved, count));
}

void FeedChannels::ZMQNewMessages(std::span<const std::string> texts) {
    std::size_t run = 0;
    for (const std::string& text : texts) {
        const PriceFeed::Kind kind = PriceFeed::kindOf(text);
        if (kind == PriceFeed::Kind::Tick) {
            addTick(text, run);
            continue;
        }
        if (kind == PriceFeed::Kind::Depth) {
            try {
                applyDepth(std::string_view(text).substr(PriceFeed::kDepthPrefix.size()));
            } catch (const std::exception& e) {
                platform::Log::error(std::string("MarketDepthDecode ") + e.what());
            }
            continue;
        }
        // What follows may read the prices: the ticks before it are written first.
        applyTicks(run);
        run = 0;
        PriceFeed::Values values = PriceFeed::decode(text);
        try {
            if (auto* status = std::get_if<StatusFrame>(&values)) {
                // Decoded here, in feed order, and dispatched only when it is a status change.
                services_.dispatchChannelText(status->frame, Channel::FeedStatus, std::nullopt);
            }
        } catch (const std::exception& e) {
            platform::Log::error(std::string("PriceUpdateDecode ") + e.what());
        }
    }
    applyTicks(run);
}

void FeedChannels::messageCrackerOnInstrumentStatusChange(const MessageFields& fields) {
    model::ItemDetails* named = nullptr;
    PriceFeed::messageCrackerOnInstrumentStatusChange(
        fields, [this, &named](const std::string& code) { return named = itemForCode(code); });
    if (named) statusChanges_.note(*named);
}

}  // namespace state
