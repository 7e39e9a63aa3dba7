// The session's profit-and-loss surface over the AccountLedger.
#include "model/group_details.h"
#include "platform/main_executor.h"
#include "state/business_base.h"
#include "state/profit_loss.h"

namespace state {

double BusinessBase::calcCommission(const std::string& initialQty, const std::string& remainingQty, double paid) {
    return ProfitLoss::calcCommission(initialQty, remainingQty, paid);
}

double BusinessBase::currencyConversion(double value, double price, double isDirect) {
    return ProfitLoss::currencyConversion(value, price, isDirect);
}

void BusinessBase::calculateAccountDetails(model::AccountDetails& account) {
    platform::assertMainThread();
    const auto* group = reference_.GroupDetailCollection.find(account.GroupId);
    account.calculateAccountDetails(
        group ? group->get() : nullptr, getOpenOrderCollection(), [this](model::Order& p) { CalcPL(p); },
        [this](double v, const model::Order& p) { return calculateCurrencyConversionForValue(v, p); });
}

}  // namespace state
