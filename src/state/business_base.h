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
#include "model/file_resource.h"
#include "model/order.h"
#include "model/search_info.h"
#include "model/user_account_maps.h"
#include "platform/clock.h"
#include "protocol/app_context.h"
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
#include "state/session_commands.h"
#include "state/session_view.h"
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
// tests observe a component through a replacement of their own.
struct SessionParts {
    template <typename T>
    using Make = std::function<std::unique_ptr<T>(BusinessBase&)>;
    Make<OrderBook> orderBook;
    Make<AccountLedger> accountLedger;
    Make<DataServiceAnswers> dataServiceAnswers;
    Make<Chat> chat;
    Make<Funds> funds;
    Make<FeedChannels> feedChannels;
    // Components beyond the standard ones; they register after them.
    std::vector<Make<SessionComponent>> extra;
    // Sees every request before it is sent; true keeps it from the channels.
    std::function<bool(const protocol::RequestMessage&)> outgoing;
};

class BusinessBase : public protocol::AppContext,
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

    // --- Starting, sending, stopping (main thread) -------------------------
    // Opens the TCP session; the first flag has no effect.
    void StreamingConnection(bool streaming, bool demoRegistration) override;
    // Routes a built request to the TCP session or to the request channel.
    void sendMessage(protocol::RequestMessage request) override;
    void disconnectServer() override;
    // The connection dropped without a manual disconnect.
    void connectionFailure(const std::string& error);

    // --- Incoming, on "NewQueue" --------------------------------------------
    // De-frames text unwrapped from an envelope or a compressed message. Its
    // buffers belong to "NewQueue": text from other threads needs its own.
    void ProcessMessage(const std::string& text);
    // One frame, start and end bytes removed.
    void NewMessage(std::string frame);

    // --- Incoming, on the main thread ----------------------------------------
    // Dispatches one decoded message, then posts the table notifications
    // (except for envelopes, compressed messages and ping answers).
    void checkNewMessage(IncomingMessage message);
    void ProcessNewMessage(const FieldList& fields, std::int32_t type,
                           const std::optional<std::string>& payload = std::nullopt);
    // Framed text of the feed's status path or of a request-channel reply:
    // each message the channel may carry is dispatched, anything else dropped.
    void checkChannelText(std::string_view text, Channel channel,
                          const std::optional<protocol::RequestKind>& kind = std::nullopt);

    // --- Ping and network speed (main thread; the PingMonitor's) -----------
    void startPingTimer() { ping_->startPingTimer(); }
    void stopPingTimer() { ping_->stopPingTimer(); }
    bool isPingTimerActive() const { return ping_->isPingTimerActive(); }
    void pingToserver() { ping_->pingToserver(); }
    void calculateNetworkSpeed(std::optional<platform::WallTime> date) { ping_->calculateNetworkSpeed(date); }
    void postnetworkspeedNotification(const std::optional<std::string>& text);
    void setPingTime(platform::WallTime time) { ping_->pingTime = time; }
    // The request counter: raised by the session's own requests and set from the answers.
    void setRequestid(std::int32_t id);

    // --- Reasons, journal, texts ------------------------------------------
    std::string GetOrderRejectionReason(std::int32_t code) const override;
    // The context the journal builders read (language, login settings, server time).
    JournalContext journalContext() const;
    void appendJournal(const std::string& line) { journal_.append(line); }
    // The text of a language-table key in the selected language.
    std::string text(const std::string& key) const override;
    // The cipher password of envelopes: the session key once the login data
    // arrived, else the run's login cipher (the shipped key before any login).
    std::string cipherPassword() const;
    std::optional<std::string> sessionKey() const;
    // A password change the server accepted: the login settings and the next
    // key derivation use it.
    void acceptNewPassword(const std::string& password);

    // --- Notifications to the windows (main thread) ------------------------
    void HistoryDataUpdateNotification();
    void postNotification(const std::string& name);
    void watchlistUpdateNotification();
    void passwordChangeNotification();
    void demoUserCreationNotification(const std::string& userAndPassword);
    void demoUserCreationFailureNotification();
    void sendRoomCreationNotification(const std::string& roomCreationKey);
    void UpdateChatNotification(const std::string& name);
    void NewChatMessageNotification(const std::vector<std::string>& message);
    void TriggerNewChatNotification(const std::string& a, const std::string& b);
    void chartDataReceivedNotification(std::uint64_t n);
    void CloseHedgedPositionsNotification();
    void ShowSettledOrderNotification(const std::string& text);
    void ChatQueueStatusUpdateNotification();
    void OrderRejectionNotification(const std::string& reason);
    // Tag 125 of the rejected message and the rejection reason text.
    void bulkCloseRejectedNotification(const std::string& reference, const std::string& reason);
    void bulkCloseSettledNotification(const std::shared_ptr<model::Order>& settled);
    void orderexecutedNotification(const std::shared_ptr<model::Order>& order);
    void TradeConfirmationNotification(const std::string& text);
    void LoginSuccessNotification();
    void appUpdateNotification(const std::string& text);
    void PendingOrderNotification(const std::shared_ptr<model::Order>& order);
    void MarginCallNotification(const std::string& text);
    void depositwithdrawalNotification();
    void executedPositionSearchNotification();
    void accountStatementUpdateNotification();
    void bankDetailsReceivedNotification();
    void NewMessageNotification(const std::string& text);
    void NewMessagesNotification(const std::string& text);
    // Without a room id the notification carries nothing.
    void NoticeMessageReceivedNotification(const std::optional<std::string>& roomId);
    void RecentConversationMessageReceivedNotification(const std::optional<std::string>& roomId);
    void payGateTransactionResponseNotification(std::shared_ptr<const PayGateUpdate> update);
    // Deposit and withdrawal details; the two approval banners.
    void approvalNotificationForActionType(std::int64_t actionType, const ApprovalNotice& request);
    // A banner's action: opens "AppDownloadURL" and quits when it is an http
    // or https address.
    void userNotificationCenterDidActivateNotification(const Banner& banner) override;
    // Banner-centre delegate: every banner shows; delivery needs nothing.
    bool userNotificationCenterShouldPresentNotification(const Banner&) const override { return true; }
    void userNotificationCenterDidDeliverNotification(const Banner&) override {}

    // --- Session values (main thread) ----------------------------------------
    std::shared_ptr<protocol::ConnectionBase> conn;
    protocol::MessageBase messageBase;
    std::int32_t Requestid = 0;
    std::optional<std::string> Referenceid;
    std::optional<std::string> serverTime_;  // raw tag 21 of the last message that had one

    // --- Components (main thread) ------------------------------------------
    ReferenceData& referenceData() { return reference_; }
    const ReferenceData& referenceData() const { return reference_; }
    OrderBook& orderBook() { return *orderBook_; }
    const OrderBook& orderBook() const { return *orderBook_; }
    AccountLedger& accountLedger() { return *accountLedger_; }
    const AccountLedger& accountLedger() const { return *accountLedger_; }
    Chat& chat() { return *chat_; }
    const Chat& chat() const { return *chat_; }
    FeedChannels& feedChannels() { return *feed_; }
    const FeedChannels& feedChannels() const { return *feed_; }
    Journal& journal() { return journal_; }
    const Journal& journal() const { return journal_; }
    PingMonitor& pingMonitor() { return *ping_; }
    const PingMonitor& pingMonitor() const { return *ping_; }
    DataServiceAnswers& dataServiceAnswers() { return *dataService_; }
    const DataServiceAnswers& dataServiceAnswers() const { return *dataService_; }
    Funds& funds() { return *funds_; }
    const Funds& funds() const { return *funds_; }
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

    // --- Named operations of the windows (main thread) ----------------------
    void sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) override;
    void setExecutedPositionState(bool search) override { orderBook_->isExecutedPositionSearch = search; }
    void clearExecutedOrderSearchCollection() override { orderBook_->ExecutedOrderSearchCollection.clear(); }
    void calcAccountDetails(std::int32_t accountId) override;
    void updateUserAccountMaps(const model::UserAccountMaps& map) override;
    // One downloaded resource into <application support>/<app>/Resources.
    void saveFileWithName(const std::string& fileName, const std::string& fileData);

    // --- Orders, positions and accounts (the OrderBook's and AccountLedger's) ---
    void FillPendingOrderCollection(const FieldList& fields, const std::optional<std::string>& pendingOrderId) {
        orderBook_->FillPendingOrderCollection(fields, pendingOrderId);
    }
    void UpdatePendingOrderCollection(const FieldList& fields, const std::optional<std::string>& pendingOrderId) {
        orderBook_->UpdatePendingOrderCollection(fields, pendingOrderId);
    }
    void RemovePendingOrder(const std::optional<std::string>& id, bool byServerId) {
        orderBook_->RemovePendingOrder(id, byServerId);
    }
    void FillCancelledOrderCollection(std::int32_t id, std::int32_t status, const FieldList& fields) {
        orderBook_->FillCancelledOrderCollection(id, status, fields);
    }
    void ModifyBracketOrderUpdateonOpenOrderCollection(const FieldList& fields,
                                                       const std::optional<std::string>& reference,
                                                       std::int32_t status) {
        orderBook_->ModifyBracketOrderUpdateonOpenOrderCollection(fields, reference, status);
    }
    void FillOpenOrderCollection(const FieldList& fields) { orderBook_->FillOpenOrderCollection(fields); }
    void UpdateOpenOrderCollection(const std::optional<std::string>& positionId, const FieldList& fields,
                                   const std::optional<std::string>& remainingQty) {
        orderBook_->UpdateOpenOrderCollection(positionId, fields, remainingQty);
    }
    void FillSettledOrderCollection(const FieldList& fields) { orderBook_->FillSettledOrderCollection(fields); }
    void UpdateAccountDetails(const FieldList& fields, const std::optional<std::string>& accountId) {
        accountLedger_->UpdateAccountDetails(fields, accountId);
    }
    void SetAllSymbolsSpread() { accountLedger_->SetAllSymbolsSpread(); }

    // --- Profit and loss (business_base_orders.cpp) ---------------------------
    // The commission of the remaining quantity: paid / initial × remaining.
    static double calcCommission(const std::string& initialQty, const std::string& remainingQty, double paid);
    void CalcPL(model::Order& position) const { accountLedger_->CalcPL(position); }
    double calculateCurrencyConversionForValue(double value, const model::Order& position) const override {
        return accountLedger_->calculateCurrencyConversionForValue(value, position);
    }
    static double currencyConversion(double value, double price, double isDirect);
    // Every open position's profit in its account currency and every account's
    // figures; the main window runs it once a second.
    void recalculateAccounts() override { accountLedger_->recalculateAccounts(); }
    // The account's figures from its open positions, with this session's
    // profit and conversion (what the deposit and withdrawal windows call).
    void calculateAccountDetails(model::AccountDetails& account) override;

    // --- Requests of the windows and the login (business_base_requests.cpp) ---
    // Each fills `messageBase`, adds the common header and builds it; a failed
    // build sends nothing and is logged. Main thread.
    void requestOpenPosition();
    void requestPendingOrders();
    void requestSettledOrders();
    void requestCancelledOrders();
    void requestEquityPriceinfo(std::int32_t accountId);
    void requestExecutedPosition(const model::SearchInfo& search) override;
    void requestFinancialTransactions(const model::SearchInfo& search) override;
    void requestAccountStatement(const model::StatementQuery& query) override;
    void requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) override;
    void requestAdvancedInstrumentInfo() override;
    void requestSessionSchedule(std::uint64_t marketId) override;
    void requestUserMapWithMyAccount(std::int32_t accountId) override;
    void requestEditUserAccountAccessByClient(const model::UserAccountMaps& map) override;
    void requestBankDetails(const model::AccountDetails& account) override;
    void requestApprovalRequest() override;
    void requestFinancialApprovals() override;
    void requestResourceSearchForTypes(const std::vector<std::string>& types) override;
    void requestFileResourceDownload(const model::FileResource& resource) override;
    // Downloads every searched resource whose name holds `text` and is not on disk yet.
    void requestFileResourceForExtension(const std::string& text) override;
    void requestGetAllPayGateSettings() override;

    void changeMyPassword(const std::string& oldPassword, const std::string& newPassword) override;
    // The chat requests of the login, on the TCP session.
    void requestContactlist();
    void requestRecentConversation();
    void requestOfflineMessages();

    // --- The message layer's view of the session (AppContext) -------------
    std::optional<std::string> userName() const override;
    std::optional<std::string> password() const override;
    std::optional<std::string> productName() const override;
    std::optional<std::string> productVersion() const override;
    std::optional<std::string> securityKey() const override;
    std::int32_t requestId() const override;
    std::optional<std::string> referenceId() const override;
    std::optional<std::string> serverTime() const override;
    std::string packedLocalTime() const override;
    void stampPingTime() override;

    SessionHost& host() { return host_; }
    UiServices& ui() { return ui_; }
    // Runs `fn` on the main thread later, if the session still lives.
    void onMain(std::function<void(BusinessBase&)> fn);

    // --- Price feed, request channel and watchlist ----------------------------
    // Where the watchlist is stored; null: the standard preferences.
    platform::Preferences* preferences = nullptr;
    void ZMQNewMessage(const std::string& text) { feed_->ZMQNewMessage(text); }
    void reconnectZMQandSubscribeAllItems() override { feed_->reconnectZMQandSubscribeAllItems(); }
    void ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) override {
        feed_->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
    }
    void LoadItemstoWatchlist() override;
    void SaveItemstoWatchList(const std::vector<std::string>& list) override;

    // --- SessionView and SessionCommands beyond the above (business_base_surface.cpp) ---
    std::shared_ptr<model::ItemDetails> instrument(const std::string& code) const override;
    std::shared_ptr<model::ItemDetails> instrumentById(std::int32_t instrumentId) const override;
    std::vector<std::string> watchlistCodes() const override;
    std::vector<std::shared_ptr<model::ItemDetails>> watchlistInstruments() const override;
    std::shared_ptr<model::SessionSettings> sessionSetting(const std::string& settingId) const override;
    std::optional<std::vector<std::string>> marketDepth(const std::string& code, DepthSide side) const override;
    std::optional<std::string> chartData(const std::string& chartKey) const override;
    std::shared_ptr<model::AccountDetails> account(const std::string& accountNumber) const override;
    std::int32_t currentAccountSelected() const override;
    std::shared_ptr<model::AccountDetails> selectedAccount() const override;
    std::shared_ptr<model::UserInfo> userInfo() const override;
    std::shared_ptr<model::GroupDetails> group(const std::string& groupId) const override;
    std::shared_ptr<model::ChatRoom> chatRoom(const std::string& roomKey) const override;
    std::vector<std::shared_ptr<model::FileResource>> resourceSearchResults() const override;
    std::shared_ptr<model::BankDetails> bankDetails() const override;
    std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> approvalRequests() const override;
    std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> financialApprovals() const override;
    std::vector<std::shared_ptr<model::PayGateSetting>> payGateSettings() const override;
    std::vector<std::shared_ptr<model::FinancialTransactionDetails>> financialTransactions() const override;
    model::AccountStatementInfo accountStatement() const override;
    std::vector<std::string> journalLines() const override;
    std::string ServerTime() const override;
    std::int32_t networkspeedStatus() const override;
    bool isNetworkAvailable() const override;
    bool isConnected() const override;
    void setCurrentAccountSelected(std::int32_t accountId) override;
    // Raises `Requestid` and sends it in tag 20.
    std::int32_t requestChartData(const std::string& symbol, const std::string& interval,
                                  std::int32_t points) override;
    void setNetworkAvailable(bool available) override;
    void scheduleSpeedCheck() override;

private:
    BusinessBase(SessionHost& host, UiServices& ui);
    void assemble(SessionParts parts);

    // ConnectionDelegate: frames on "NewQueue", connects and failures on the main thread.
    void connectionDidConnect(bool demoRegistration) override;
    void connectionDidReceiveFrame(std::string frame) override;
    void connectionDidFail(const std::string& error) override;

    void decodeFrame(std::string frame);
    void dispatchMessage(const IncomingMessage& message);
    // Request id, server time and (login data only) reference id of a message.
    void applySessionScalars(const MessageFields& fields, protocol::MsgType type);
    void commonBanner(const std::string& message, const std::string& title);
    // Posts with the session as sender; without a payload, the session alone.
    void postAboutSelf(const std::string& name, std::shared_ptr<const SessionPayload> payload = nullptr);
    Watchlist watchlist();
    // Codes of the visible open positions, then of the visible pending orders.
    std::vector<std::string> heldItemCodes() const;

    SessionHost& host_;
    UiServices& ui_;

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
