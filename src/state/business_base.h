#pragma once
// The session object of one login or demo registration: it owns the TCP
// session, the shared outgoing message, the incoming path and the session's
// components, dispatches every server message through the components'
// table and tells the windows.
//
// Threads: received frames are de-framed, decrypted and inflated on the serial
// queue "NewQueue"; each complete message is then handed to the main thread,
// where the dispatcher, every handler and every notification run, and where
// the connection reports connects and failures. All state below is owned by
// the main thread (asserted at dispatch and in the destructor), except the
// members marked "NewQueue" and the session key (locked). Network threads hold
// the session only weakly.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/order.h"
#include "model/user_account_maps.h"
#include "platform/clock.h"
#include "protocol/connection_base.h"
#include "protocol/login_info_message.h"
#include "protocol/message_base.h"
#include "state/account_ledger.h"
#include "state/channel_table.h"
#include "state/chat.h"
#include "state/data_service_answers.h"
#include "state/dispatcher.h"
#include "state/feed_channels.h"
#include "state/funds.h"
#include "state/journal.h"
#include "state/journal_data.h"
#include "state/login_handshake.h"
#include "state/notification_payloads.h"
#include "state/order_book.h"
#include "state/ping_monitor.h"
#include "state/reference_data.h"
#include "state/session_queries.h"
#include "state/session_services.h"
#include "state/ui_services.h"
#include "state/watchlist.h"

namespace platform {
class Preferences;
}

namespace state {

class BusinessBase;

// A message on its way from "NewQueue" to the main thread.
struct IncomingMessage {
    std::vector<std::string> fields;  // the body split at 0x03, length element removed
    std::int32_t type = 0;
    // The inflated text of tag 1050 for the login data (33) and the refusal (47).
    std::optional<std::string> payload;
    // The payload was there but refused (over its cap or not inflatable).
    bool payloadRefused = false;
    // The request a request-channel reply answers.
    std::optional<protocol::RequestKind> requestKind;
    // When a ping answer came off the line ("NewQueue"): its round trip ends there.
    std::optional<platform::WallTime> receivedAt;

    // The fields and type of one frame (start and end bytes removed); nullopt, logged, when it is no message.
    static std::optional<IncomingMessage> decode(std::string_view frame);
};

// What a session is made of, where it differs from the standard components:
// tests observe a component through a replacement of their own. Each maker
// takes what the component takes.
struct SessionParts {
    template <typename T, typename... Needs>
    using Make = std::function<std::unique_ptr<T>(SessionServices&, Needs&...)>;
    Make<OrderBook, const ReferenceData> orderBook;
    Make<AccountLedger, ReferenceData, OrderBook, FeedChannels> accountLedger;
    Make<DataServiceAnswers, ReferenceData, OrderBook, Funds, Chat, FeedChannels> dataServiceAnswers;
    Make<Chat> chat;
    Make<Funds, const ReferenceData, const OrderBook> funds;
    Make<FeedChannels, const ReferenceData, const OrderBook> feedChannels;
    // Components beyond the standard ones; they register after them.
    std::vector<Make<SessionComponent>> extra;
    // Sees every request before it is sent; true keeps it from the channels.
    std::function<bool(const protocol::RequestMessage&)> outgoing;
    // Where the watchlist is stored; null: the standard preferences.
    platform::Preferences* preferences = nullptr;
};

class BusinessBase : public SessionServices,
                     public protocol::ConnectionDelegate,
                     public SessionQueries,
                     public std::enable_shared_from_this<BusinessBase> {
public:
    // The session keeps references to both; they outlive it. Throws
    // std::logic_error when two components register one message type.
    static std::shared_ptr<BusinessBase> create(SessionHost& host, UiServices& ui, SessionParts parts = {});
    ~BusinessBase() override;
    BusinessBase(const BusinessBase&) = delete;
    BusinessBase& operator=(const BusinessBase&) = delete;

    // --- Starting and stopping (main thread) -------------------------------
    // Opens the TCP session; the first flag has no effect.
    void StreamingConnection(bool streaming, bool demoRegistration);
    void disconnectServer() override;
    // The connection dropped without a manual disconnect.
    void connectionFailure(const std::string& error);
    // What the network monitor reports; order checks read it.
    void setNetworkAvailable(bool available);
    bool isConnected() const;

    // --- Incoming ------------------------------------------------------------
    // One frame, start and end bytes removed ("NewQueue").
    void NewMessage(std::string frame);
    // Dispatches one decoded message, then posts the table notifications
    // (except for envelopes, compressed messages and ping answers). Main thread.
    void checkNewMessage(IncomingMessage message);
    void ProcessNewMessage(const FieldList& fields, std::int32_t type, protocol::MessageBase& message,
                           const std::optional<std::string>& payload = std::nullopt);
    // The request id and reference id a login's messages set (tests seed them).
    void setSessionValues(std::int32_t requestId, std::optional<std::string> referenceId);
    std::int32_t requestId() const override;
    std::optional<std::string> referenceId() const override;
    // The shared outgoing message and the connection (SessionServices).
    protocol::MessageBase& outgoingMessage() override { return messageBase_; }
    protocol::ConnectionBase& connection() override { return *conn_; }

    // The cipher password of envelopes: the session key once the login data
    // arrived, else the run's login cipher (the shipped key before any login).
    std::string cipherPassword() const;
    std::optional<std::string> sessionKey() const;

    // --- Components (main thread) ------------------------------------------
    ReferenceData& referenceData() { return reference_; }
    const ReferenceData& referenceData() const override { return reference_; }
    OrderBook& orderBook() { return *orderBook_; }
    const OrderBook& orderBook() const override { return *orderBook_; }
    AccountLedger& accountLedger() { return *accountLedger_; }
    const AccountLedger& accountLedger() const override { return *accountLedger_; }
    Chat& chat() { return *chat_; }
    const Chat& chat() const override { return *chat_; }
    FeedChannels& feedChannels() { return *feed_; }
    const FeedChannels& feedChannels() const override { return *feed_; }
    const Journal& journal() const override { return journal_; }
    PingMonitor& pingMonitor() { return *ping_; }
    const PingMonitor& pingMonitor() const override { return *ping_; }
    DataServiceAnswers& dataServiceAnswers() { return *dataService_; }
    const DataServiceAnswers& dataServiceAnswers() const override { return *dataService_; }
    Funds& funds() { return *funds_; }
    const Funds& funds() const override { return *funds_; }
    LoginHandshake& loginHandshake() { return *login_; }

    // --- Lookups and the windows' queries (business_base_queries.cpp) ---------
    std::optional<std::string> getInstrumentTypeName(std::int32_t typeId) const override;
    SymbolTypes getSymbolTypes() const override;
    std::string getItemCode(std::int32_t instrumentId) const override;
    std::uint64_t getItemIdForItemCode(const std::string& code) const override;
    OrderList getOpenOrderCollection() const override;
    OrderList getOpenOrderCollectionCopy() const override;
    OrderList getPendingOrderCollection() const override;
    OrderList getCancelledOrderCollection() const override;
    OrderList getSettledOrderCollection() const override;
    OrderList getExecutedOrderCollection() const override;
    bool canShowAccount(const model::AccountDetails& account) const override;
    Accounts getAccountCollection() const override;
    bool canShowAERights() const override;
    bool isUserMappedWithAccount(std::uint64_t accountId) const override;
    UserAccountMapList getUserMappedWithAccount(std::uint64_t accountId) const override;
    std::vector<std::string> getAllItems() const override;
    ChatRooms getMessageNoticesCollection() const override;
    ChatRooms getrecentChatCollection() const override;
    std::vector<std::shared_ptr<model::ResourceDetails>> getResourceCollection() const override;
    bool checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const override;
    WeekSchedule getMarketSessionSchedulesCollection(std::uint64_t marketId) const override;
    std::string getDaysOfTheWeekName(std::uint64_t weekday) const override;
    bool checkFilesDownloadedAtPath(const std::string& folder) const override;
    std::string GetOrderRejectionReason(std::int32_t code) const override;
    // The text of a language-table key in the selected language.
    std::string text(const std::string& key) const override;
    // Temporary, for the position dialogs: ProfitLoss's floating profit.
    static double CalculateFloatingPL(const model::ItemDetails* item, std::int32_t side, double quantity,
                                      double orderPrice, double currentPrice);
    double calculateCurrencyConversionForValue(double value, const model::Order& position) const;

    // --- Named operations of the windows (main thread) ----------------------
    void sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void calcAccountDetails(std::int32_t accountId);
    // Every open position's profit and every account's figures (the 1 s tick).
    void recalculateAccounts() { accountLedger_->recalculateAccounts(); }
    // The account's figures from its open positions (a window's own copy).
    void calculateAccountDetails(model::AccountDetails& account) { accountLedger_->calculateAccountDetails(account); }
    void updateUserAccountMaps(const model::UserAccountMaps& map);
    // Sends a chart request under a request id of its own; returns that id.
    std::int32_t requestChartData(const std::string& symbol, const std::string& interval, std::int32_t points) {
        return dataService_->requestChartData(symbol, interval, points);
    }
    void reconnectZMQandSubscribeAllItems() { feed_->reconnectZMQandSubscribeAllItems(); }
    void LoadItemstoWatchlist();
    void SaveItemstoWatchList(const std::vector<std::string>& list);

    // --- Banner centre delegate ----------------------------------------------------
    // A banner's action: opens "AppDownloadURL" and quits when it is an http
    // or https address.
    void userNotificationCenterDidActivateNotification(const Banner& banner);
    // Every banner shows; delivery needs nothing.
    bool userNotificationCenterShouldPresentNotification(const Banner&) const { return true; }
    void userNotificationCenterDidDeliverNotification(const Banner&) {}

private:
    BusinessBase(SessionHost& host, UiServices& ui);
    void assemble(SessionParts parts);

    // --- protocol::AppContext, for the message layer (any thread) -------------
    std::optional<std::string> userName() const override;
    std::optional<std::string> password() const override;
    std::optional<std::string> productName() const override;
    std::optional<std::string> productVersion() const override;
    std::optional<std::string> securityKey() const override;
    std::optional<std::string> serverTime() const override;
    std::string packedLocalTime() const override;
    // Routes a built request to the TCP session or to the request channel.
    void sendMessage(protocol::RequestMessage request) override;
    void stampPingTime() override;

    // --- SessionServices, for the components (main thread) --------------------
    std::int32_t takeRequestId() override;
    std::optional<platform::WallTime> serverDate() const override;
    void acceptNewPassword(const std::string& password) override;
    void appendJournal(const std::string& line) override { journal_.append(line); }
    JournalContext journalContext() const override;
    void onMain(std::function<void()> fn) override;
    std::weak_ptr<const void> lifetime() const override { return weak_from_this(); }
    SessionHost& host() override { return host_; }
    UiServices& ui() override { return ui_; }
    void postAboutSession(const std::string& name, const PayloadOf& payload = nullptr) override;
    void dispatchChannelText(std::string_view text, Channel channel,
                             const std::optional<protocol::RequestKind>& kind) override;

    // ConnectionDelegate: frames on "NewQueue", connects and failures on the main thread.
    void connectionDidConnect(bool demoRegistration) override;
    void connectionDidReceiveFrame(std::string frame) override;
    void connectionDidFail(const std::string& error) override;

    // De-frames text unwrapped from an envelope or a compressed message ("NewQueue").
    void ProcessMessage(const std::string& text);
    void decodeFrame(std::string frame);
    void dispatchMessage(const IncomingMessage& message, protocol::MessageBase& object);
    // Request id, server time and (login data only) reference id of a message.
    void applySessionScalars(const MessageValues& values, protocol::MsgType type);
    void setRequestid(std::int32_t id);
    Watchlist watchlist();
    // Codes of the visible open positions, then of the visible pending orders.
    std::vector<std::string> heldItemCodes() const;

    SessionHost& host_;
    UiServices& ui_;
    platform::Preferences* preferences_ = nullptr;

    // --- Session values (main thread) ----------------------------------------
    std::shared_ptr<protocol::ConnectionBase> conn_;
    protocol::MessageBase messageBase_;
    std::int32_t Requestid = 0;
    std::optional<std::string> Referenceid;
    std::optional<std::string> serverTime_;  // raw tag 21 of the last message that had one

    ReferenceData reference_;
    Journal journal_;
    std::unique_ptr<LoginHandshake> login_;
    std::unique_ptr<PingMonitor> ping_;
    std::unique_ptr<OrderBook> orderBook_;
    std::unique_ptr<AccountLedger> accountLedger_;
    std::unique_ptr<DataServiceAnswers> dataService_;
    std::unique_ptr<Chat> chat_;
    std::unique_ptr<Funds> funds_;
    std::unique_ptr<FeedChannels> feed_;
    std::vector<std::unique_ptr<SessionComponent>> extra_;
    Dispatcher dispatcher_;
    std::function<bool(const protocol::RequestMessage&)> outgoing_;

    // "NewQueue" only.
    static constexpr int kMaxUnwrapDepth = 4;
    std::array<protocol::FrameDecoder, kMaxUnwrapDepth> innerFrames_;
    std::optional<std::string> lastServerTimeSeen_;
    int decodeDepth_ = 0;

    // Read on the main thread by envelopes, written on "NewQueue" by the login
    // data; with the copies of the session values that other threads read.
    mutable std::mutex keyMutex_;
    std::atomic<std::int32_t> sharedRequestId_{0};
    std::optional<std::string> sharedReferenceId_;
    std::optional<std::string> sharedServerTime_;
    std::optional<std::string> sessionKey_;
    std::string loginKey_;  // the run's login cipher when this login started
    std::string credentialsUser_;
    std::string credentialsPassword_;
};

}  // namespace state
