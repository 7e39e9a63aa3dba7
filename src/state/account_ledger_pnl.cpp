// Floating profit of the open positions, its conversion into the account
// currency and the account figures that follow from it.
#include <string_view>
#include <unordered_map>

#include "model/group_details.h"
#include "model/text_value.h"
#include "platform/main_executor.h"
#include "state/account_ledger.h"
#include "state/instrument_fillers.h"
#include "state/state_queries.h"
#include "state/order_book.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"
#include "state/profit_loss.h"

namespace state {

using model::AccountDetails;

namespace {

bool isHidden(const AccountDetails& a) {
    const std::int32_t status = a.tradingStatus, access = a.accountaccessType;
    return status == AccountDetails::kStatusSuspended || status == AccountDetails::kStatusClosed ||
           access == AccountDetails::kAccessViewMarket || access == AccountDetails::kAccessNone;
}

// CalcPL with the position's records already looked up.
void floatingPL(model::Order& p, const model::ItemDetails* item, const AccountDetails* account) {
    // In Equity Hit the server's figure stands; it is converted afresh, never twice.
    if (!account || account->tradingStatus != AccountDetails::kStatusEquityHit) {
        const double current = !item ? 0.0 : p.tradingMode == model::Order::kBuy ? item->Bid : item->Ask;
        p.FloatingPL = ProfitLoss::CalculateFloatingPL(item, p.tradingMode, model::TextValue::doubleValue(p.RemainingQty),
                                                       model::TextValue::doubleValue(p.OrderPrice), current);
    }
    p.UnrealisedPL = p.FloatingPL;
}

}  // namespace

const AccountDetails* AccountLedger::accountOf(const model::Order& position) const {
    const auto* a = reference_.AccountDetailCollection().find(position.AccountNumber);
    return a ? a->get() : nullptr;
}

const model::ItemDetails* AccountLedger::conversionInstrument(const AccountDetails* account) const {
    if (!account || !account->tradeCurrency) return nullptr;
    const std::string code = InstrumentFillers::getItemCode(reference_.ItemCollection(), static_cast<std::int32_t>(account->tradeCurrency->instrumentID));
    const auto* x = reference_.ItemCollection().find(code);
    return x ? x->get() : nullptr;
}

void AccountLedger::CalcPL(model::Order& position) const {
    const auto* item = reference_.ItemCollection().find(position.ItemCode);
    floatingPL(position, item ? item->get() : nullptr, accountOf(position));
}

double AccountLedger::calculateCurrencyConversionForValue(double value, const model::Order& position) const {
    if (value == 0) return value;
    const AccountDetails* account = accountOf(position);
    return ProfitLoss::convert(value, account ? account->tradeCurrency.get() : nullptr, conversionInstrument(account));
}

void AccountLedger::recalculateAccounts() {
    platform::assertMainThread();
    const ReferenceData& ref = reference_;
    struct Sum {
        const model::ItemDetails* conversion = nullptr;
        double unrealised = 0.0;
    };
    std::unordered_map<const AccountDetails*, Sum> sums;
    sums.reserve(ref.AccountDetailCollection().size());
    for (const auto& [id, account] : ref.AccountDetailCollection())
        if (account) sums[account.get()].conversion = conversionInstrument(account.get());

    // Each account number found once for all its positions.
    struct Found {
        const AccountDetails* account = nullptr;
        Sum* sum = nullptr;
    };
    std::unordered_map<std::string_view, Found> found;
    for (const auto& p : book_.OpenOrderCollection()) {
        if (!p) continue;
        const auto* item = ref.ItemCollection().find(p->ItemCode);
        const auto [at, fresh] = found.try_emplace(p->AccountNumber);
        if (fresh && (at->second.account = accountOf(*p))) at->second.sum = &sums[at->second.account];
        const AccountDetails* account = at->second.account;
        floatingPL(*p, item ? item->get() : nullptr, account);
        if (!account) continue;
        Sum& sum = *at->second.sum;
        if (p->UnrealisedPL != 0)
            p->UnrealisedPL = ProfitLoss::convert(p->UnrealisedPL, account->tradeCurrency.get(), sum.conversion);
        // A hidden account's positions count in no figure.
        if (!isHidden(*account)) sum.unrealised += p->UnrealisedPL;
    }
    for (const auto& [id, account] : ref.AccountDetailCollection()) {
        if (!account) continue;
        const auto* group = ref.GroupDetailCollection().find(account->GroupId);
        account->applyUnrealisedPL(group ? group->get() : nullptr, sums[account.get()].unrealised);
    }
}

void AccountLedger::calculateAccountDetails(model::AccountDetails& account) const {
    platform::assertMainThread();
    const auto* group = reference_.GroupDetailCollection().find(account.GroupId);
    account.calculateAccountDetails(
        group ? group->get() : nullptr, Queries::visibleOrders(book_.OpenOrderCollection(), reference_.AccountDetailCollection()), [this](model::Order& p) { CalcPL(p); },
        [this](double v, const model::Order& p) { return calculateCurrencyConversionForValue(v, p); });
}

}  // namespace state
