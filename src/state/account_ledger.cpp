#include "state/account_ledger.h"

#include "platform/log.h"

namespace state {

void AccountLedger::registerHandlers(Dispatcher& table) {
    table.add(protocol::MsgType::AccountSummary, componentName(), [this](const Dispatch& m) {
        platform::Log::info("AccountSummary");
        UpdateAccountDetails(m.fields, m.values.accountId);
    });
}

}  // namespace state
