#pragma once
// Accounts as the server updates them during the session (the account
// summary, 1045), the spreads settled onto the instruments, and the floating
// profit of the open positions with the account figures that follow from it.
// Main thread.
#include <cstdint>
#include <optional>
#include <string>

#include "model/account_details.h"
#include "model/item_details.h"
#include "model/order.h"
#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class SessionServices;
class ReferenceData;
class OrderBook;
class FeedChannels;

class AccountLedger : public SessionComponent {
public:
    AccountLedger(SessionServices& services, ReferenceData& reference, OrderBook& book, FeedChannels& feed)
        : services_(services), reference_(reference), book_(book), feed_(feed) {}
    const char* componentName() const override { return "AccountLedger"; }
    void registerHandlers(Dispatcher& table) override;

    // The account the windows show; changed only here, on the main thread.
    std::int32_t currentAccountSelected() const { return currentAccountSelected_; }
    void setCurrentAccountSelected(std::int32_t accountId);

    // Writes a summary's figures into the account; a change of trading status
    // subscribes, unsubscribes or asks for the equity-hit prices, a change to
    // margin status 2 announces a margin call. Unknown accounts are ignored.
    void UpdateAccountDetails(const MessageFields& fields, const std::optional<std::string>& accountId);
    // Settles one spread per instrument from the groups of the user's accounts
    // (4 when they disagree) and applies it to the prices the instrument holds.
    void SetAllSymbolsSpread();

    // --- Profit and loss ------------------------------------------------------
    // The position's floating profit in its instrument's terms into its
    // FloatingPL and UnrealisedPL; in Equity Hit the held FloatingPL is kept.
    void CalcPL(model::Order& position) const;
    // A value of the position converted into its account's currency.
    double calculateCurrencyConversionForValue(double value, const model::Order& position) const;
    // Recomputes every open position's profit, its conversion and every
    // account's figures (what the main window runs once a second).
    void recalculateAccounts();
    // The account's figures from its open positions (a window's own copy).
    void calculateAccountDetails(model::AccountDetails& account) const;
    // The margin-call banner of an account.
    void MarginCallNotification(const std::string& account);

private:
    const model::AccountDetails* accountOf(const model::Order& position) const;
    const model::ItemDetails* conversionInstrument(const model::AccountDetails* account) const;
    void applySummary(model::AccountDetails& account, const MessageFields& fields);
    void applyTradingStatus(model::AccountDetails& account, std::int32_t wireCode);
    void applyMarginStatus(model::AccountDetails& account, std::int32_t marginStatus);

    SessionServices& services_;
    ReferenceData& reference_;
    OrderBook& book_;
    FeedChannels& feed_;
    std::int32_t currentAccountSelected_ = 0;
};

}  // namespace state
