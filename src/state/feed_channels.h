#pragma once
// The two ZeroMQ channels of a session: connected once the login is accepted,
// the price subscriptions, the feed texts on the main thread (ticks, depth,
// instrument status) and the instrument-status message (1049).
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/item_details.h"
#include "platform/stepped_release.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/price_feed.h"
#include "state/session_component.h"
#include "state/state_queries.h"
#include "state/ticked_instruments.h"

namespace state {

class SessionServices;
class ReferenceData;
class OrderBook;

class FeedChannels : public SessionComponent {
public:
    FeedChannels(SessionServices& services, const ReferenceData& reference, const OrderBook& book)
        : services_(services), reference_(reference), book_(book) {}
    const char* componentName() const override { return "FeedChannels"; }
    void registerHandlers(Dispatcher& table) override;

    // Item code -> depth levels ("price,quantity") of one side.
    const OrderedDictionary<std::vector<std::string>>& buyMarketDepthDataCollection() const { return buyDepth_; }
    const OrderedDictionary<std::vector<std::string>>& sellMarketDepthDataCollection() const { return sellDepth_; }
    // At the session's end: moves both sides' depth into `release`, leaving them empty.
    void handOver(platform::SteppedRelease& release) {
        release.add(buyDepth_.takeEntries());
        release.add(sellDepth_.takeEntries());
    }
    // The levels of one side of an instrument's depth; nullopt when none arrived.
    std::optional<std::vector<std::string>> marketDepth(const std::string& code, bool buy) const {
        const auto* levels = (buy ? buyDepth_ : sellDepth_).find(code);
        return levels ? std::optional(*levels) : std::nullopt;
    }
    // Replaces both sides of an instrument's depth.
    void setMarketDepth(const std::string& code, std::vector<std::string> buy, std::vector<std::string> sell);

    // Both channels anew, on the ports of the login data.
    virtual void connectChannels();
    // Every item subscribed. A list that takes more than one slice to gather
    // (a large account's watchlist) goes on in the next slices, the messages
    // that arrive meanwhile held; a line that goes meanwhile drops the rest.
    virtual void subscribeAllItems();
    // The codes the session subscribes: the watchlist's, then those of the
    // visible open positions and pending orders, each once.
    std::vector<std::string> allItems() const;
    // Symbols and orders read at most a slice when the codes are gathered.
    static constexpr std::size_t kItemsPerGatherSlice = 5000;
    // allItems for one slice: up to kItemsPerGatherSlice more symbols and
    // orders, fewer once the slice's time is spent. `gathering` starts empty;
    // true once it holds them all.
    bool gatherItemsSlice(std::optional<Queries::ItemsGathering>& gathering) const;
    // Only while the TCP session is up and not being closed: both channels anew, every item subscribed.
    void reconnectZMQandSubscribeAllItems();
    // Nothing when the session's only account is suspended (trading status 3).
    virtual void ProcessSubscribeandUnSubscribeItems(std::vector<std::string> codes, bool subscribe);
    // Feed texts in their order, on the main thread. Ticks are applied in
    // runs: decoded, their instruments found and fetched ahead, then written,
    // so that the lookups' cache misses overlap. A status waits for the ticks
    // before it; depths touch no instrument and are applied as they come.
    void ZMQNewMessages(std::span<const std::string> texts);
    void ZMQNewMessage(const std::string& text) { ZMQNewMessages({&text, 1}); }
    // Told the instruments whose prices a run of ticks wrote, in order (repeats included).
    using PricesMoved = std::function<void(std::span<const model::ItemDetails* const>)>;
    void setPricesMoved(PricesMoved moved) { pricesMoved_ = std::move(moved); }
    void messageCrackerOnInstrumentStatusChange(const MessageFields& fields);
    // The instruments a status change named, in order.
    const InstrumentLog& statusChanges() const { return statusChanges_; }

protected:
    SessionServices& services_;
    const ReferenceData& reference_;
    const OrderBook& book_;

private:
    OrderedDictionary<std::vector<std::string>> buyDepth_;
    OrderedDictionary<std::vector<std::string>> sellDepth_;
    // What the request channel's keep-alive reads on its worker thread.
    struct KeepAliveValues {
        std::mutex mutex;
        std::optional<std::string> user;
        std::optional<std::string> reference;
    };
    using Gathering = std::shared_ptr<std::optional<Queries::ItemsGathering>>;
    // subscribeAllItems' next slice, while the messages are held under `hold`.
    void gatherAndSubscribe(const Gathering& gathering, std::uint64_t hold);
    model::ItemDetails* itemForCode(const std::string& code);
    // A depth text after "MD_", into the levels held for its code (their strings keep their buffers).
    void applyDepth(std::string_view text);
    // Ticks of a run, decoded into these, whose strings keep their buffers.
    static constexpr std::size_t kTickRun = 32;
    std::array<model::PriceUpdate, kTickRun> ticks_;
    // Decodes a tick into the run (applied once it is full).
    void addTick(const std::string& text, std::size_t& run);
    // Writes the run's ticks into their instruments.
    void applyTicks(std::size_t run);
    PricesMoved pricesMoved_;
    InstrumentLog statusChanges_;
    std::shared_ptr<KeepAliveValues> keepAlive_ = std::make_shared<KeepAliveValues>();
};

}  // namespace state
