#pragma once
// Accounts as the server updates them during the session: the account
// summary (1045) and the spreads copied onto the accounts' instruments.
// Filled in by the account-state work; until then the handlers keep nothing.
#include <cstdint>
#include <optional>
#include <string>

#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;

class AccountLedger : public SessionComponent {
public:
    explicit AccountLedger(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "AccountLedger"; }
    void registerHandlers(Dispatcher& table) override;

    // The account the windows show.
    std::int32_t currentAccountSelected = 0;

    virtual void UpdateAccountDetails(const FieldList&, const std::optional<std::string>& /*accountId*/) {}
    // Copies the group spreads onto the instruments of the accounts' groups.
    virtual void SetAllSymbolsSpread() {}

protected:
    BusinessBase& session_;
};

}  // namespace state
