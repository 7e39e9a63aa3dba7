#pragma once
// Every change a window makes to a session, as a named operation carried out
// by the part of the session that owns the data. Main thread only. Order
// placement is the order manager's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/demo_registration.h"
#include "model/file_resource.h"
#include "model/funds_records.h"
#include "model/search_info.h"
#include "model/user_account_maps.h"
#include "state/state_queries.h"
#include "state/ui_services.h"

namespace state {

class SessionCommands {
public:
    virtual ~SessionCommands() = default;

    // --- Accounts ----------------------------------------------------------------
    // The account the windows show; the one place that changes it.
    virtual void setCurrentAccountSelected(std::int32_t accountId) = 0;
    virtual void calcAccountDetails(std::int32_t accountId) = 0;
    // Every open position's profit and every account's figures (the 1 s tick).
    virtual void recalculateAccounts() = 0;
    // The same for what changed since the last recomputation (the 1 s tick).
    virtual void recalculateChangedAccounts() = 0;
    // The same a bounded step at a time: true once it is done.
    virtual bool recalculateChangedAccountsStep() = 0;
    // The account's figures from its open positions (a window's own copy).
    virtual void calculateAccountDetails(model::AccountDetails& account) = 0;
    virtual void updateUserAccountMaps(const model::UserAccountMaps& map) = 0;

    // --- Tables -------------------------------------------------------------
    virtual void sortOpenOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) = 0;
    virtual void sortPendingOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) = 0;
    virtual void sortCancelledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) = 0;
    virtual void sortSettledOrderCollection(const std::optional<std::vector<SortDescriptor>>& descriptors) = 0;
    virtual void setExecutedPositionState(bool search) = 0;
    virtual void clearExecutedOrderSearchCollection() = 0;

    // --- Watchlist and prices ---------------------------------------------------
    virtual void LoadItemstoWatchlist() = 0;
    virtual void SaveItemstoWatchList(const std::vector<std::string>& codes) = 0;
    virtual void ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) = 0;
    // Sends a chart request under a request id of its own; returns that id.
    virtual std::int32_t requestChartData(const std::string& symbol, const std::string& interval,
                                          std::int32_t points) = 0;

    // --- Connection -------------------------------------------------------------
    virtual void StreamingConnection(bool streaming, bool demoRegistration) = 0;
    virtual void disconnectServer() = 0;
    virtual void reconnectZMQandSubscribeAllItems() = 0;
    // What the network monitor reports; order checks and several windows read it.
    virtual void setNetworkAvailable(bool available) = 0;
    // Grades the network a little later (the network dropped while connected).
    virtual void scheduleSpeedCheck() = 0;

    // --- Data-service and account requests of the windows -----------------------
    virtual void requestExecutedPosition(const model::SearchInfo& search) = 0;
    virtual void requestFinancialTransactions(const model::SearchInfo& search) = 0;
    // Empties the financial transactions and posts their table notification.
    virtual void clearFinancialTransactions() = 0;
    virtual void requestAccountStatement(const model::StatementQuery& query) = 0;
    virtual void requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) = 0;
    virtual void requestAdvancedInstrumentInfo() = 0;
    virtual void requestSessionSchedule(std::uint64_t marketId) = 0;
    virtual void requestUserMapWithMyAccount(std::int32_t accountId) = 0;
    virtual void requestEditUserAccountAccessByClient(const model::UserAccountMaps& map) = 0;
    // Returns the request's number (0: not sent); its answer carries it.
    virtual std::uint64_t requestBankDetails(const model::AccountDetails& account) = 0;
    virtual void requestApprovalRequest() = 0;
    virtual void requestFinancialApprovals() = 0;
    virtual void requestResourceSearchForTypes(const std::vector<std::string>& types) = 0;
    virtual void requestFileResourceDownload(const model::FileResource& resource) = 0;
    virtual void requestFileResourceForExtension(const std::string& text) = 0;
    virtual void requestGetAllPayGateSettings() = 0;
    // Mode 3 is an online payment; any other mode a deposit approval request.
    virtual void sendDepositRequest(const model::NewDeposit& deposit) = 0;
    virtual void sendWithdrawalRequest(const model::NewWithdrawal& withdrawal) = 0;
    virtual void changeMyPassword(const std::string& oldPassword, const std::string& newPassword) = 0;
    // On a session connected for registration (after "SendLoginRegistrationRequest").
    virtual void DemoUserCreationRequest(const model::DemoRegistration& form) = 0;

    // --- Chat (texts as RTF) -------------------------------------------------------
    // The partner the chat window shows: their messages raise no banner.
    virtual void setChatUserName(const std::string& name) = 0;
    // A first choice of a contact: an empty room under their user name.
    virtual void openContactRoom(const std::string& userName) = 0;
    virtual void markNoticeRead(const std::string& roomKey) = 0;
    // The text that waited for the room, once.
    virtual std::optional<std::string> takeParkedText(const std::string& roomKey) = 0;
    virtual void requestRoomMessage(const std::string& roomKey) = 0;
    virtual void requestChatMessageAcknowledgement(const std::string& roomKey) = 0;
    virtual void sendChat(const std::string& roomKey, const std::string& text) = 0;
    virtual void sendChatMessage(const std::string& text, const std::string& roomId, const std::string& roomName) = 0;
    virtual void sendChatQueueRequest(const std::string& queueId, const std::string& text) = 0;

    // --- Banners (the banner centre's delegate) -----------------------------------
    virtual void userNotificationCenterDidActivateNotification(const Banner& banner) = 0;
    virtual bool userNotificationCenterShouldPresentNotification(const Banner& banner) const = 0;
    virtual void userNotificationCenterDidDeliverNotification(const Banner& banner) = 0;
};

}  // namespace state
