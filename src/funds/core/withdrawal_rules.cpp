#include "funds/core/withdrawal_rules.h"

#include "model/account_details.h"
#include "model/funds_records.h"

namespace funds {

double pendingWithdrawals(const std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>>& requests,
                          std::int32_t accountId) {
    double sum = 0;
    const auto account = static_cast<std::uint64_t>(static_cast<std::int64_t>(accountId));
    for (const auto& [id, request] : requests) {
        if (!request || !request->isOpen || !request->information) continue;
        const model::FinancialApproval& money = *request->information;
        if (money.benefactorAccount != account) continue;
        sum += money.approvedAmount > 0 ? money.approvedAmount : money.requestedAmount;
    }
    return sum;
}

double withdrawableLimit(const model::AccountDetails& account, double pending, const WithdrawalRules& rules) {
    double limit = account.Equity - account.CollateralSecurity - account.oneSideMargin - pending;
    if (account.Leverage > 0 && !rules.canWithdrawFloatingPL) limit -= account.Leverage;
    if (rules.minimumBalance > 0) {
        const double remaining = account.Balance - (pending + limit);
        if (remaining < rules.minimumBalance) limit -= rules.minimumBalance - remaining;
    }
    return limit;
}

}  // namespace funds
