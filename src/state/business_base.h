#pragma once
// The session object of one login or demo registration: it owns the TCP
// session, the shared outgoing message, the incoming path and the session's
// state, dispatches every server message by type and tells the windows.
//
// Threads: the connection's callbacks, de-framing, decryption and inflation
// run on the serial queue "NewQueue"; each complete message is then handed to
// the main thread, where the dispatcher, every handler and every notification
// run. All state below is owned by the main thread, except the members marked
// "NewQueue" and the session key (locked).
#include <any>
#include <array>
#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/order.h"
#include "platform/clock.h"
#include "platform/timer.h"
#include "protocol/app_context.h"
#include "protocol/connection_base.h"
#include "protocol/login_info_message.h"
#include "protocol/message_base.h"
#include "state/journal_data.h"
#include "state/ordered_map.h"
#include "state/instrument_fillers.h"
#include "state/state_queries.h"
#include "state/trading_state.h"
#include "state/ui_services.h"

namespace model {
class UserInfo;
}  // namespace model

namespace state {

// One pay-gate transaction as the journal and the payment windows read it.
struct PayGateTransaction {
    std::uint64_t requestId = 0;
    std::int64_t transStatus = 0;
    std::optional<std::string> payTransactionId;
};

// The values of an approval request that its notices show.
struct ApprovalNotice {
    std::uint64_t approvalRequestId = 0;
    std::int64_t approvalSubType = 0;
    std::string requestedDateTime;  // "yyyyMMddHHmmss"
    std::string remarks;
    // Of the request's financial approval.
    std::uint64_t beneficiaryAccount = 0;
    std::uint64_t benefactorAccount = 0;
    std::uint64_t transferMode = 0;  // 1 TTCopy, 2 BankTransfer, 3 OnlinePayment
    std::string dateOfTransaction;   // "yyyyMMddHHmmss"
    double approvedAmount = 0;
    std::string bankName;
    std::string branch;
    std::string sourceBankAccount;
    std::string destinationBankAccount;
};

// A message on its way from "NewQueue" to the main thread.
struct IncomingMessage {
    std::vector<std::string> fields;  // the body split at 0x03, length element removed
    std::int32_t type = 0;
    // The inflated text of tag 1050 for the login data (33) and the refusal (47).
    std::optional<std::string> payload;
};

using FieldList = std::vector<std::string>;
using OrderList = std::vector<std::shared_ptr<model::Order>>;

class BusinessBase : public TradingState,
                     public protocol::AppContext,
                     public protocol::ConnectionDelegate,
                     public std::enable_shared_from_this<BusinessBase> {
public:
    // The session keeps references to both; they outlive it.
    static std::shared_ptr<BusinessBase> create(SessionHost& host, UiServices& ui);
    // The same for a class that fills in the handlers.
    template <typename T, typename... Args>
    static std::shared_ptr<T> createAs(Args&&... args) {
        std::shared_ptr<T> session(new T(std::forward<Args>(args)...));
        session->init();
        return session;
    }
    ~BusinessBase() override;
    BusinessBase(const BusinessBase&) = delete;
    BusinessBase& operator=(const BusinessBase&) = delete;

    // --- Starting, sending, stopping (main thread) -------------------------
    // Opens the TCP session; the first flag has no effect.
    void StreamingConnection(bool streaming, bool demoRegistration);
    // Routes a built request to the TCP session or to the request channel.
    void sendMessage(protocol::RequestMessage request) override;
    void disconnectServer();

    // --- Incoming, on "NewQueue" --------------------------------------------
    // De-frames text unwrapped from an envelope or a compressed message. Its
    // buffers belong to "NewQueue": text from other threads needs its own.
    void ProcessMessage(const std::string& text);
    // One frame, start and end bytes removed.
    void NewMessage(std::string frame);

    // --- Incoming, on the main thread ----------------------------------------
    // Dispatches one decoded message, then posts the table notifications
    // (except for types 76, 105 and 1019).
    void checkNewMessage(IncomingMessage message);
    void ProcessNewMessage(const FieldList& fields, std::int32_t type, protocol::MessageBase& message,
                           const std::optional<std::string>& payload = std::nullopt);

    // --- Ping and network speed (main thread) -----------------------------
    void startPingTimer();
    void stopPingTimer();
    bool isPingTimerActive() const;
    void pingToserver();
    void calculateNetworkSpeed(std::optional<platform::WallTime> date);
    void postnetworkspeedNotification(const std::optional<std::string>& text);
    void setPingTime(platform::WallTime time) { pingTime = time; }
    // The request counter; the chart window raises it before a chart request.
    void setRequestid(std::int32_t id);

    // --- Answers of account requests (main thread) -------------------------
    void UpdateUserInfo(const FieldList& fields);
    void DemoUserCreationResponse(const FieldList& fields);

    // --- Reasons, journal, reference data ---------------------------------
    std::string GetOrderRejectionReason(std::int32_t code) const;
    // The context the journal builders read (language, login settings, server time).
    JournalContext journalContext() const;
    void appendJournal(const std::string& line);
    // The cipher password of envelopes: the session key once the login data
    // arrived, else the shipped key of the login settings.
    std::string cipherPassword() const;
    std::optional<std::string> sessionKey() const;

    // --- Notifications to the windows (main thread) ------------------------
    void HistoryDataUpdateNotification();
    void postNotification(const std::string& name);
    void watchlistUpdateNotification();
    void passwordChangeNotification();
    void demoUserCreationNotification(const std::string& userAndPassword);
    void demoUserCreationFailureNotification();
    void sendRoomCreationNotification(const std::any& room);
    void UpdateChatNotification(const std::string& name);
    void NewChatMessageNotification(const std::vector<std::string>& message);
    void TriggerNewChatNotification(const std::string& a, const std::string& b);
    void chartDataReceivedNotification(std::uint64_t n);
    void CloseHedgedPositionsNotification();
    void ShowSettledOrderNotification(const std::string& text);
    void ChatQueueStatusUpdateNotification();
    void OrderRejectionNotification(const std::string& reason);
    void bulkCloseRejectedNotification(const std::any& object);
    void bulkCloseSettledNotification(const std::any& object);
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
    void NoticeMessageReceivedNotification(const std::any& object);
    void RecentConversationMessageReceivedNotification(const std::any& object);
    void payGateTransactionResponseNotification(const std::any& object);
    // 801 deposit and 802 withdrawal details; 930 and 931 approval banners.
    void approvalNotificationForActionType(std::int64_t actionType, const ApprovalNotice& request);
    // A banner's action: opens "AppDownloadURL" and quits when it is an http
    // or https address.
    void userNotificationCenterDidActivateNotification(const Banner& banner);

    // --- Session state (main thread) ----------------------------------------
    std::shared_ptr<protocol::ConnectionBase> conn;
    protocol::MessageBase messageBase;
    std::int32_t Requestid = 0;
    std::optional<std::string> Referenceid;
    std::optional<std::string> serverTime_;  // raw tag 21 of the last message that had one
    std::optional<platform::WallTime> serverDate;
    std::string ServerTime;
    std::optional<platform::WallTime> pingTime;
    std::int32_t networkspeedStatus = 0;
    std::string chatUserName;
    std::vector<std::string> JournalDataCollection;
    OrderList PendingOrderCollection;
    OrderList PendingOrderCollectionCopy;
    OrderList OpenOrderCollection;

    // The reference data (userInfo, accounts, groups, settings, ...) and its
    // loaders are those of TradingState.

    // --- Lookups, the windows' queries and resource files -------------------
    // (business_base_queries.cpp; the rules are in state_queries.h,
    // instrument_fillers.h and resource_files.h)
    // Room key -> chat or notice room.
    OrderedDictionary<std::shared_ptr<model::ChatRoom>> ChatRoomCollection;
    std::optional<std::string> getInstrumentTypeName(std::int32_t typeId) const;
    SymbolTypes getSymbolTypes() const;
    std::string getItemCode(std::int32_t instrumentId) const;
    std::uint64_t getItemIdForItemCode(const std::string& code) const;
    OrderList getOpenOrderCollection() const;
    OrderList getOpenOrderCollectionCopy() const;
    OrderList getPendingOrderCollection() const;
    OrderList getCancelledOrderCollection() const;
    OrderList getSettledOrderCollection() const;
    void sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors);
    OrderList getExecutedOrderCollection() const;
    void setExecutedPositionState(bool search) { isExecutedPositionSearch = search; }
    void clearExecutedOrderSearchCollection() { ExecutedOrderSearchCollection.clear(); }
    bool canShowAccount(const model::AccountDetails& account) const;
    Accounts getAccountCollection() const;
    void calcAccountDetails(std::int32_t accountId);
    bool canShowAERights() const;
    bool isUserMappedWithAccount(std::uint64_t accountId) const;
    UserAccountMapList getUserMappedWithAccount(std::uint64_t accountId) const;
    void updateUserAccountMaps(const model::UserAccountMaps& map);
    std::vector<std::string> getAllItems() const;
    ChatRooms getMessageNoticesCollection() const;
    ChatRooms getrecentChatCollection() const;
    std::vector<std::shared_ptr<model::ResourceDetails>> getResourceCollection() const;
    bool checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const;
    WeekSchedule getMarketSessionSchedulesCollection(std::uint64_t marketId) const;
    std::string getDaysOfTheWeekName(std::uint64_t weekday) const;
    // One downloaded resource into <application support>/<app>/Resources.
    void saveFileWithName(const std::string& fileName, const std::string& fileData);
    bool checkFilesDownloadedAtPath(const std::string& folder) const;
    // Banner-centre delegate: every banner shows; delivery needs nothing.
    bool userNotificationCenterShouldPresentNotification(const Banner&) const { return true; }
    void userNotificationCenterDidDeliverNotification(const Banner&) {}

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

protected:
    BusinessBase(SessionHost& host, UiServices& ui);
    void init();

    // ConnectionDelegate, called on "NewQueue".
    void connectionDidConnect(bool demoRegistration) override;
    void connectionDidReceiveFrame(std::string frame) override;
    void connectionDidFail(const std::string& error) override;

    // The connection dropped without a manual disconnect (main thread).
    void connectionFailure(const std::string& error);
    // Runs `fn` on the main thread later, if the session still lives.
    void onMain(std::function<void(BusinessBase&)> fn);

    // --- Channels of the later issues: hooks that do nothing yet -----------
    virtual void connectChannels() {}
    virtual void sendFirstRequests() {}
    virtual void subscribeAllItems() {}
    // The request channel's queue (later); until then requests are dropped.
    virtual void sendZMQRequestMessage(protocol::RequestMessage request);

    // --- Handlers of the order, account, chat, funds and data-service state.
    // They are filled in by the components that own those collections.
    virtual void UpdatePendingOrderCollection(const FieldList&, const std::optional<std::string>&) {}
    virtual void RemovePendingOrder(const std::optional<std::string>&, bool) {}
    virtual void FillCancelledOrderCollection(std::int32_t, std::int32_t, const FieldList&) {}
    virtual void FillPendingOrderCollection(const FieldList&, const std::optional<std::string>&) {}
    virtual void ModifyBracketOrderUpdateonOpenOrderCollection(const FieldList&, const std::optional<std::string>&,
                                                               std::int32_t) {}
    virtual void FillSettledOrderCollection(const FieldList&) {}
    virtual void UpdateOpenOrderCollection(const std::optional<std::string>&, const FieldList&,
                                           const std::optional<std::string>&) {}
    virtual void FillOpenOrderCollection(const FieldList&) {}
    virtual std::shared_ptr<PayGateTransaction> processPayGateTransMasterResponse(const protocol::MessageBase&,
                                                                                 bool* isAdded) {
        (void)isAdded;
        return nullptr;
    }
    virtual std::shared_ptr<PayGateTransaction> processPayGateTransactionResponse(const protocol::MessageBase&,
                                                                                 std::int64_t* serverError) {
        (void)serverError;
        return nullptr;
    }
    virtual std::shared_ptr<PayGateTransaction> processPayGateStatusResponse(const protocol::MessageBase&) {
        return nullptr;
    }
    virtual void FillChatRoomDetails(const FieldList&, const std::optional<std::string>&) {}
    virtual void FillChatMessages(const FieldList&, const std::optional<std::string>&) {}
    virtual void FillOfflineMessages(const FieldList&) {}
    virtual void FillRoomMessage(const FieldList&) {}
    virtual void FillChatGroupsAndUsers(const FieldList&) {}
    virtual void UpdateChatUserStatus(const std::optional<std::string>&, const FieldList&) {}
    virtual void FillRecentConversation(const FieldList&) {}
    virtual void UpdateChatResponseFromQueue(const FieldList&, const std::optional<std::string>&) {}
    virtual void UpdateChatQueueStatus(const FieldList&, const std::optional<std::string>&) {}
    virtual void createApprovalAction(std::int32_t, const FieldList&) {}
    virtual void processDSResponse(const std::optional<std::string>&, const std::optional<std::string>&,
                                   const std::optional<std::string>&) {}
    virtual void fillChartData(const std::optional<std::string>&, std::int32_t) {}
    virtual void UpdateAccountDetails(const FieldList&, const std::optional<std::string>&) {}
    virtual void messageCrackerOnInstrumentStatusChange(const FieldList&) {}

    SessionHost& host_;
    UiServices& ui_;

private:
    struct FirstPass;
    void loginAccepted();
    void loginData(const FirstPass& p, const std::optional<std::string>& payload);
    void loginRefused(const FirstPass& p, const std::optional<std::string>& payload);
    void orderStatus(const FieldList& fields, const FirstPass& p);
    void orderRejected(const FieldList& fields, const FirstPass& p);
    void pingAnswer(const FieldList& fields);
    void decodeFrame(std::string frame);
    std::string text(const std::string& key) const;
    void commonBanner(const std::string& message, const std::string& title);

    std::unique_ptr<platform::Timer> pingTimer_;
    platform::Clock::TimerId speedCheck_ = 0;
    bool speedCheckPending_ = false;

    // "NewQueue" only.
    static constexpr int kMaxUnwrapDepth = 4;
    std::array<protocol::FrameReader, kMaxUnwrapDepth> innerFrames_;
    std::optional<std::string> lastServerTimeSeen_;
    int decodeDepth_ = 0;

    // Read on the main thread by envelopes, written on "NewQueue" by the login
    // data; with the copies of the session values that other threads read.
    mutable std::mutex keyMutex_;
    std::atomic<std::int32_t> sharedRequestId_{0};
    std::optional<std::string> sharedReferenceId_;
    std::optional<std::string> sharedServerTime_;
    std::optional<std::string> sessionKey_;
    std::string shippedKey_;
    std::string credentialsUser_;
    std::string credentialsPassword_;
};

}  // namespace state
