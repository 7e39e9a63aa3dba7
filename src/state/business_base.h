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
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
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
#include "state/incoming_path.h"
#include "state/funds.h"
#include "state/journal.h"
#include "state/journal_data.h"
#include "state/login_handshake.h"
#include "state/notification_payloads.h"
#include "state/order_book.h"
#include "state/ping_monitor.h"
#include "state/reference_data.h"
#include "state/session_commands.h"
#include "state/session_services.h"
#include "state/session_values.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "state/watchlist.h"

namespace platform {
class Preferences;
}

namespace state {

class BusinessBase;

// What a session is made of, where it differs from the standard components:
// tests observe a component through a replacement of their own. Each maker
// takes what the component takes.
struct SessionParts {
    template <typename T, typename... Needs>
    using Make = std::function<std::unique_ptr<T>(SessionServices&, Needs&...)>;
    Make<OrderBook, const ReferenceData> orderBook;
    Make<AccountLedger, ReferenceData, OrderBook, FeedChannels> accountLedger;
    Make<DataServiceAnswers, ReferenceData, OrderBook, Funds, Chat, FeedChannels> dataServiceAnswers;
    Make<Chat, const ReferenceData> chat;
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
                     public SessionView,
                     public SessionCommands,
                     public std::enable_shared_from_this<BusinessBase> {
public:
    // The session keeps references to both; they outlive it. Throws
    // std::logic_error when two components register one message type.
    static std::shared_ptr<BusinessBase> create(SessionHost& host, UiServices& ui, SessionParts parts = {});
    ~BusinessBase() override;
    BusinessBase(const BusinessBase&) = delete;
    BusinessBase& operator=(const BusinessBase&) = delete;

    // The windows and the components reach a session through the interfaces
    // it implements: SessionView, SessionCommands and SessionServices; tests
    // and benchmarks reach further through SessionTestAccess.

    // What an order manager of this session works with.
    struct OrderManagerParts {
        const SessionView& view;
        SessionServices& services;
        const ReferenceData& reference;
        OrderBook& book;
        SessionCommands& commands;
    };
    OrderManagerParts orderManagerParts() { return {*this, *this, reference_, *orderBook_, *this}; }

private:
    friend struct SessionTestAccess;
    BusinessBase(SessionHost& host, UiServices& ui);

    // --- Incoming ------------------------------------------------------------
    // One frame, start and end bytes removed ("NewQueue").
    void NewMessage(std::string frame);
    // Dispatches one decoded message, then posts the table notifications its
    // type may change. Main thread.
    void checkNewMessage(IncomingMessage message);
    void ProcessNewMessage(const FieldList& fields, std::int32_t type,
                           const std::optional<std::string>& payload = std::nullopt);

    // The cipher password of envelopes: the session key once the login data
    // arrived, else the run's login cipher (the shipped key before any login).
    std::string cipherPassword() const { return incoming_.cipherPassword(); }
    std::optional<std::string> sessionKey() const { return incoming_.sessionKey(); }

    void assemble(SessionParts parts);
    IncomingPath::Hooks incomingHooks();

    // --- SessionView (business_base_queries.cpp, business_base_surface.cpp) ---
    std::optional<std::string> getInstrumentTypeName(std::int32_t typeId) const override;
    SymbolTypes getSymbolTypes() const override;
    const SymbolTypeMap& symbolTypeLists() const override { return reference_.symbolTypeCollection(); }
    std::string getItemCode(std::int32_t instrumentId) const override;
    std::uint64_t getItemIdForItemCode(const std::string& code) const override;
    std::shared_ptr<model::ItemDetails> instrument(const std::string& code) const override;
    std::shared_ptr<model::ItemDetails> instrumentById(std::int32_t instrumentId) const override;
    std::uint64_t recordsRevision() const override { return reference_.recordsRevision(); }
    const RecomputedFigures& recomputedFigures() const override;
    const TickedInstrumentsTurn& tickedInstruments() const override;
    const InstrumentLog& statusChanges() const override;
    std::uint64_t watchlistRevision() const override { return reference_.watchlistRevision(); }
    std::vector<std::string> watchlistCodes() const override;
    std::vector<std::string> instrumentCodes() const override;
    std::vector<std::shared_ptr<model::ItemDetails>> watchlistInstruments() const override;
    std::shared_ptr<model::SessionSettings> sessionSetting(const std::string& settingId) const override;
    std::optional<std::vector<std::string>> marketDepth(const std::string& code, DepthSide side) const override;
    std::optional<std::string> chartData(const std::string& chartKey) const override;
    std::optional<platform::TimePoint> chartDataTime(const std::string& chartKey) const override;
    std::vector<std::string> getAllItems() const override;
    OrderList getOpenOrderCollection() const override;
    bool hasVisibleOpenOrder() const override;
    std::uint64_t openPositionsRevision() const override;
    OrderList getOpenOrderCollectionCopy() const override;
    OrderList getPendingOrderCollection() const override;
    OrderList getCancelledOrderCollection() const override;
    OrderList getSettledOrderCollection() const override;
    OrderList getExecutedOrderCollection() const override;
    std::shared_ptr<model::Order> executedPosition(const std::string& positionId) const override;
    std::string GetOrderRejectionReason(std::int32_t code) const override;
    std::vector<std::pair<std::string, std::string>> hedgeMargins() const override;
    double calculateCurrencyConversionForValue(double value, const model::Order& position) const override;
    bool canShowAccount(const model::AccountDetails& account) const override;
    Accounts getAccountCollection() const override;
    std::shared_ptr<model::AccountDetails> account(const std::string& accountNumber) const override;
    std::int32_t currentAccountSelected() const override;
    std::shared_ptr<model::AccountDetails> selectedAccount() const override;
    std::shared_ptr<model::UserInfo> userInfo() const override;
    std::shared_ptr<model::GroupDetails> group(const std::string& groupId) const override;
    bool canShowAERights() const override;
    bool isUserMappedWithAccount(std::uint64_t accountId) const override;
    UserAccountMapList getUserMappedWithAccount(std::uint64_t accountId) const override;
    ChatRooms getMessageNoticesCollection() const override;
    ChatRooms getrecentChatCollection() const override;
    std::shared_ptr<model::ChatRoom> chatRoom(const std::string& roomKey) const override;
    std::vector<std::shared_ptr<const model::ChatGroup>> chatGroups() const override;
    std::shared_ptr<const model::ChatUser> chatUser(const std::string& userName) const override;
    std::vector<std::shared_ptr<const model::ChatQueue>> chatQueues() const override;
    std::vector<std::shared_ptr<const model::ChatUser>> chatUsers() const override;
    std::string loginUserName() const override;
    std::string chatUserName() const override;
    std::vector<std::shared_ptr<model::ResourceDetails>> getResourceCollection() const override;
    std::vector<std::shared_ptr<model::FileResource>> resourceSearchResults() const override;
    bool isResourceFileUnavailable(const std::string& iconResourceId) const override {
        return reference_.isResourceFileUnavailable(iconResourceId);
    }
    bool checkFilesDownloadedAtPath(const std::string& folder) const override;
    bool checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const override;
    WeekSchedule getMarketSessionSchedulesCollection(std::uint64_t marketId) const override;
    std::string getDaysOfTheWeekName(std::uint64_t weekday) const override;
    std::shared_ptr<model::BankDetails> bankDetails() const override;
    std::uint64_t bankDetailsRequest() const override;
    std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> approvalRequests() const override;
    std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> financialApprovals() const override;
    std::vector<std::shared_ptr<model::PayGateSetting>> payGateSettings() const override;
    std::shared_ptr<model::TradeCurrency> tradeCurrency(std::uint64_t currencyId) const override;
    FinancialRequestRules financialRequestRules() const override;
    std::vector<std::shared_ptr<model::FinancialTransactionDetails>> financialTransactions() const override;
    const model::AccountStatementInfo& accountStatement() const override;
    std::vector<std::string> journalLines() const override;
    std::string text(const std::string& key) const override;
    std::string ServerTime() const override;
    std::int32_t networkspeedStatus() const override;
    bool isNetworkAvailable() const override;
    bool isConnected() const override;
    std::uint64_t connectionNumber() const override { return connections_; }
    std::string loginPassword() const override;

    // --- SessionCommands: each delegates to the component that owns the data ---
    void setChatUserName(const std::string& name) override;
    void openContactRoom(const std::string& userName) override;
    void markNoticeRead(const std::string& roomKey) override;
    std::optional<std::string> takeParkedText(const std::string& roomKey) override;
    void requestRoomMessage(const std::string& roomKey) override;
    void requestChatMessageAcknowledgement(const std::string& roomKey) override;
    void sendChat(const std::string& roomKey, const std::string& text) override;
    void sendChatMessage(const std::string& text, const std::string& roomId, const std::string& roomName) override;
    void sendChatQueueRequest(const std::string& queueId, const std::string& text) override;
    // Opens the TCP session; the first flag has no effect.
    void StreamingConnection(bool streaming, bool demoRegistration) override;
    void disconnectServer() override;
    void setCurrentAccountSelected(std::int32_t accountId) override;
    void calcAccountDetails(std::int32_t accountId) override;
    void recalculateAccounts() override;
    void recalculateChangedAccounts() override;
    bool recalculateChangedAccountsStep() override;
    void calculateAccountDetails(model::AccountDetails& account) override;
    void updateUserAccountMaps(const model::UserAccountMaps& map) override;
    void sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void setExecutedPositionState(bool search) override;
    void clearExecutedOrderSearchCollection() override;
    void LoadItemstoWatchlist() override;
    void SaveItemstoWatchList(const std::vector<std::string>& codes) override;
    void ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) override;
    std::int32_t requestChartData(const std::string& symbol, const std::string& interval,
                                  std::int32_t points) override;
    void reconnectZMQandSubscribeAllItems() override;
    void setNetworkAvailable(bool available) override;
    void scheduleSpeedCheck() override;
    void requestExecutedPosition(const model::SearchInfo& search) override;
    void requestFinancialTransactions(const model::SearchInfo& search) override;
    void clearFinancialTransactions() override;
    void requestAccountStatement(const model::StatementQuery& query) override;
    void requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) override;
    void requestAdvancedInstrumentInfo() override;
    void requestSessionSchedule(std::uint64_t marketId) override;
    void requestUserMapWithMyAccount(std::int32_t accountId) override;
    void requestEditUserAccountAccessByClient(const model::UserAccountMaps& map) override;
    std::uint64_t requestBankDetails(const model::AccountDetails& account) override;
    void requestApprovalRequest() override;
    void requestFinancialApprovals() override;
    void requestResourceSearchForTypes(const std::vector<std::string>& types) override;
    void requestFileResourceDownload(const model::FileResource& resource) override;
    void requestFileResourceForExtension(const std::string& text) override;
    void requestGetAllPayGateSettings() override;
    void sendDepositRequest(const model::NewDeposit& deposit) override;
    void sendWithdrawalRequest(const model::NewWithdrawal& withdrawal) override;
    void changeMyPassword(const std::string& oldPassword, const std::string& newPassword) override;
    void DemoUserCreationRequest(const model::DemoRegistration& form) override;
    // A banner's action: opens "AppDownloadURL" and quits when it is an http
    // or https address. Every banner shows; delivery needs nothing.
    void userNotificationCenterDidActivateNotification(const Banner& banner) override;
    bool userNotificationCenterShouldPresentNotification(const Banner&) const override { return true; }
    void userNotificationCenterDidDeliverNotification(const Banner&) override {}

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
    protocol::MessageBase& outgoingMessage() override { return messageBase_; }
    protocol::ConnectionBase& connection() override { return *conn_; }
    std::uint64_t lastQueuedRequest() const override { return lastQueuedRequest_; }
    std::int32_t requestId() const override { return values_.requestId(); }
    std::optional<std::string> referenceId() const override { return values_.referenceId(); }
    std::int32_t takeRequestId() override;
    std::optional<platform::WallTime> serverDate() const override;
    void acceptNewPassword(const std::string& password) override;
    void appendJournal(const std::string& line) override;
    JournalContext journalContext() const override;
    void onMain(std::function<void()> fn) override;
    std::weak_ptr<const void> lifetime() const override { return weak_from_this(); }
    SessionHost& host() override { return host_; }
    UiServices& ui() override { return ui_; }
    void postAboutSession(const std::string& name, const PayloadOf& payload = nullptr) override;
    void tableChanged(const char* name) override;
    std::uint64_t holdMessages() override;
    bool stillHolding(std::uint64_t hold) const override { return holdingMessages_ && hold == holds_; }
    bool holdingMessages() const override { return holdingMessages_; }
    void releaseMessages() override;
    void dropHeldMessages();
    void dispatchChannelText(std::string_view text, Channel channel,
                             const std::optional<protocol::RequestKind>& kind) override;
    void dispatchChannelMessages(std::vector<IncomingMessage> messages) override;
    void requestUnanswered(const protocol::RequestKind& kind) override;

    // ConnectionDelegate: frames on "NewQueue", connects and failures on the main thread.
    void connectionDidConnect(bool demoRegistration) override;
    void connectionDidReceiveFrame(std::string frame) override;
    void connectionDidFail(const std::string& error) override;

    // The connection dropped without a manual disconnect.
    void connectionFailure(const std::string& error);
    void dispatchMessage(const IncomingMessage& message);
    void letPayloadGo(IncomingMessage& message);
    Watchlist watchlist();
    bool loadWatchlistPart(bool first, std::size_t codes);
    std::optional<Watchlist::Load> watchlistLoad_;  // a watchlist being loaded by parts

    SessionHost& host_;
    UiServices& ui_;
    platform::Preferences* preferences_ = nullptr;

    // --- Session values (main thread) ----------------------------------------
    std::shared_ptr<protocol::ConnectionBase> conn_;
    protocol::MessageBase messageBase_;
    SessionValues values_;
    std::uint64_t connections_ = 0;  // main thread

    ReferenceData reference_;
    Journal journal_;
    // Table notifications announced since the last post (main thread).
    std::vector<const char*> changedTables_;
    // Messages held while a fill runs over several slices, in their order.
    bool holdingMessages_ = false;
    std::uint64_t holds_ = 0;
    std::deque<IncomingMessage> heldMessages_;
    void dispatchHeld();
    void postChangedTables();
    std::unique_ptr<LoginHandshake> login_;
    std::unique_ptr<PingMonitor> ping_;
    std::unique_ptr<OrderBook> orderBook_;
    std::unique_ptr<AccountLedger> accountLedger_;
    TickedInstruments ticked_;
    bool recomputing_ = false;  // a stepped recomputation is under way
    std::unique_ptr<DataServiceAnswers> dataService_;
    std::unique_ptr<Chat> chat_;
    std::unique_ptr<Funds> funds_;
    std::unique_ptr<FeedChannels> feed_;
    std::vector<std::unique_ptr<SessionComponent>> extra_;
    Dispatcher dispatcher_;
    std::function<bool(const protocol::RequestMessage&)> outgoing_;
    std::uint64_t lastQueuedRequest_ = 0;

    // "NewQueue" only, but for the locked key.
    IncomingPath incoming_;
};

}  // namespace state
