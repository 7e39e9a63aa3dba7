#pragma once
// What a window reads of a session: ready lists and figures, and lookups of
// single records. Main thread only. Results are copies or the live records
// (shared pointers the windows may keep); no container of the session is
// handed out. Windows change the session only through SessionCommands.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/account_details.h"
#include "platform/clock.h"
#include "model/account_statement_info.h"
#include "model/chat_contacts.h"
#include "model/file_resource.h"
#include "model/funds_records.h"
#include "model/group_details.h"
#include "model/item_details.h"
#include "model/order.h"
#include "model/resource_details.h"
#include "model/session_settings.h"
#include "model/user_info.h"
#include "state/instrument_fillers.h"
#include "state/session_notifications.h"
#include "state/state_queries.h"
#include "state/ticked_instruments.h"

namespace state {

enum class DepthSide { Buy, Sell };

// The login's rules for deposit and withdrawal requests.
struct FinancialRequestRules {
    bool canSpecifyBankDetails = false;
    bool canWithdrawFloatingPL = false;
    std::optional<double> minimumBalance;
};

// What the accounts' last recomputation recomputed: every open position and
// account (`all`), or those listed, in the order of the open positions.
struct RecomputedFigures {
    bool all = true;
    std::vector<const model::Order*> positions;
    std::vector<const model::AccountDetails*> accounts;
    // A summary changed an account's status or figures (what lists show may change).
    bool summaries = false;
    // Grows with each recomputation that changed anything.
    std::uint64_t revision = 0;
};

class SessionView {
public:
    virtual ~SessionView() = default;

    // --- Instruments and the watchlist ------------------------------------
    virtual std::optional<std::string> getInstrumentTypeName(std::int32_t typeId) const = 0;
    virtual SymbolTypes getSymbolTypes() const = 0;
    // The same lists unsplit: type name -> "code:name,code:name,...".
    virtual const SymbolTypeMap& symbolTypeLists() const = 0;
    virtual std::string getItemCode(std::int32_t instrumentId) const = 0;
    virtual std::uint64_t getItemIdForItemCode(const std::string& code) const = 0;
    // Null when the session has no instrument of that code or id.
    virtual std::shared_ptr<model::ItemDetails> instrument(const std::string& code) const = 0;
    virtual std::shared_ptr<model::ItemDetails> instrumentById(std::int32_t instrumentId) const = 0;
    // Changes whenever an instrument, account or group may have been stored,
    // replaced or removed: lookups at one revision find the same records.
    virtual std::uint64_t recordsRevision() const = 0;
    virtual const RecomputedFigures& recomputedFigures() const = 0;
    // The instruments the feed's ticks wrote between the last two
    // recalculateChangedAccounts (each ends a turn).
    virtual const TickedInstrumentsTurn& tickedInstruments() const = 0;
    // The instruments a status change named, in order.
    virtual const InstrumentLog& statusChanges() const = 0;
    // Grows whenever the watchlist's codes may have changed.
    virtual std::uint64_t watchlistRevision() const = 0;
    // The watchlist's codes in order, and their instruments (null where a code has none).
    virtual std::vector<std::string> watchlistCodes() const = 0;
    virtual std::vector<std::shared_ptr<model::ItemDetails>> watchlistInstruments() const = 0;
    // The trading session setting under its id text; null when unknown.
    virtual std::shared_ptr<model::SessionSettings> sessionSetting(const std::string& settingId) const = 0;
    // Price and quantity levels of an instrument's depth; nullopt before any arrived.
    virtual std::optional<std::vector<std::string>> marketDepth(const std::string& code, DepthSide side) const = 0;
    // The cached chart answer under "code^interval"; nullopt when none arrived.
    virtual std::optional<std::string> chartData(const std::string& chartKey) const = 0;
    // When that answer was stored (the process clock); nullopt when none is held.
    virtual std::optional<platform::TimePoint> chartDataTime(const std::string& chartKey) const = 0;
    virtual std::vector<std::string> getAllItems() const = 0;
    // The code of every instrument, in the order the collection received them.
    virtual std::vector<std::string> instrumentCodes() const = 0;

    // --- Orders -------------------------------------------------------------
    virtual Orders getOpenOrderCollection() const = 0;
    // Whether getOpenOrderCollection() would list any position, without making the list.
    virtual bool hasVisibleOpenOrder() const = 0;
    // Grows with every announced change of the open positions or their order.
    virtual std::uint64_t openPositionsRevision() const = 0;
    virtual Orders getOpenOrderCollectionCopy() const = 0;
    virtual Orders getPendingOrderCollection() const = 0;
    virtual Orders getCancelledOrderCollection() const = 0;
    virtual Orders getSettledOrderCollection() const = 0;
    virtual Orders getExecutedOrderCollection() const = 0;
    // The first of getExecutedOrderCollection() with that OpenPositionId, without making the list; null when none.
    virtual std::shared_ptr<model::Order> executedPosition(const std::string& positionId) const = 0;
    virtual std::string GetOrderRejectionReason(std::int32_t code) const = 0;
    // The hedge margins last stored by the order manager, "<item code>#<delivery
    // mode>" -> "%.2f", in the order first stored.
    virtual std::vector<std::pair<std::string, std::string>> hedgeMargins() const = 0;
    // A value of the position converted into its account's currency.
    virtual double calculateCurrencyConversionForValue(double value, const model::Order& position) const = 0;
    // The floating profit of a quantity in the instrument's terms.
    static double CalculateFloatingPL(const model::ItemDetails* item, std::int32_t side, double quantity,
                                      double orderPrice, double currentPrice);

    // --- Accounts, user and groups --------------------------------------------
    virtual bool canShowAccount(const model::AccountDetails& account) const = 0;
    virtual Accounts getAccountCollection() const = 0;
    // The account under its number as text ("%d" of the id); null when unknown.
    virtual std::shared_ptr<model::AccountDetails> account(const std::string& accountNumber) const = 0;
    virtual std::int32_t currentAccountSelected() const = 0;
    // The account of currentAccountSelected; null when unknown.
    virtual std::shared_ptr<model::AccountDetails> selectedAccount() const = 0;
    virtual std::shared_ptr<model::UserInfo> userInfo() const = 0;
    virtual std::shared_ptr<model::GroupDetails> group(const std::string& groupId) const = 0;
    virtual bool canShowAERights() const = 0;
    virtual bool isUserMappedWithAccount(std::uint64_t accountId) const = 0;
    virtual UserAccountMapList getUserMappedWithAccount(std::uint64_t accountId) const = 0;

    // --- Chat ------------------------------------------------------------------
    virtual ChatRooms getMessageNoticesCollection() const = 0;
    virtual ChatRooms getrecentChatCollection() const = 0;
    virtual std::shared_ptr<model::ChatRoom> chatRoom(const std::string& roomKey) const = 0;
    // The contact list: groups in the order received, users by name, support queues.
    virtual std::vector<std::shared_ptr<const model::ChatGroup>> chatGroups() const = 0;
    virtual std::shared_ptr<const model::ChatUser> chatUser(const std::string& userName) const = 0;
    // Every user of the contact list, in the order received.
    virtual std::vector<std::shared_ptr<const model::ChatUser>> chatUsers() const = 0;
    virtual std::vector<std::shared_ptr<const model::ChatQueue>> chatQueues() const = 0;
    virtual std::string chatUserName() const = 0;
    // The login's user name: the chat's own messages are sent under it.
    virtual std::string loginUserName() const = 0;

    // --- Resources and market sessions -------------------------------------
    virtual std::vector<std::shared_ptr<model::ResourceDetails>> getResourceCollection() const = 0;
    virtual std::vector<std::shared_ptr<model::FileResource>> resourceSearchResults() const = 0;
    // Whether a file of the entry's icon id was skipped (said "not available" in the list).
    virtual bool isResourceFileUnavailable(const std::string& iconResourceId) const = 0;
    virtual bool checkFilesDownloadedAtPath(const std::string& folder) const = 0;
    virtual bool checkMarketSessionSchedulesIsAvailable(std::uint64_t marketId) const = 0;
    virtual WeekSchedule getMarketSessionSchedulesCollection(std::uint64_t marketId) const = 0;
    virtual std::string getDaysOfTheWeekName(std::uint64_t weekday) const = 0;

    // --- Funds and statements ----------------------------------------------
    virtual std::shared_ptr<model::BankDetails> bankDetails() const = 0;
    // The number of the request whose answer last set or dropped bankDetails (0: none).
    virtual std::uint64_t bankDetailsRequest() const = 0;
    virtual std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> approvalRequests() const = 0;
    virtual std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> financialApprovals() const = 0;
    virtual std::vector<std::shared_ptr<model::PayGateSetting>> payGateSettings() const = 0;
    virtual std::vector<std::shared_ptr<model::FinancialTransactionDetails>> financialTransactions() const = 0;
    virtual const model::AccountStatementInfo& accountStatement() const = 0;
    // The trade currency under its id; null when unknown.
    virtual std::shared_ptr<model::TradeCurrency> tradeCurrency(std::uint64_t currencyId) const = 0;
    virtual FinancialRequestRules financialRequestRules() const = 0;

    // --- Journal, texts, time and network ----------------------------------
    virtual std::vector<std::string> journalLines() const = 0;
    // The text of a language-table key in the selected language.
    virtual std::string text(const std::string& key) const = 0;
    // "yyyyMMddHHmmss" of the server's time in the last ping answer; "" before one.
    virtual std::string ServerTime() const = 0;
    // 0 to 3, as the last speed check graded the network.
    virtual std::int32_t networkspeedStatus() const = 0;
    virtual bool isNetworkAvailable() const = 0;
    virtual bool isConnected() const = 0;
    // Counts the connects of this session (a relogin is one): what was built on
    // one connection is not sent on another.
    virtual std::uint64_t connectionNumber() const = 0;
    // The password of this login: the form's, then each change the server accepted.
    virtual std::string loginPassword() const = 0;
};

}  // namespace state
