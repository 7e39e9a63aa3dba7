#pragma once
// The withdrawal form's figures: the open withdrawals of an account and the
// amount it may still withdraw.
#include <cstdint>
#include <map>
#include <memory>

namespace model {
class AccountDetails;
class ApprovalReq;
}  // namespace model

namespace funds {

// Open requests naming the account as benefactor: each its approved amount
// when above 0, else its requested amount.
double pendingWithdrawals(const std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>>& requests,
                          std::int32_t accountId);

struct WithdrawalRules {
    bool canWithdrawFloatingPL = false;
    double minimumBalance = 0;  // 0: none
};

// Equity - collateral - one-side margin - pending, less a positive Leverage
// unless floating P/L may be withdrawn, capped so the minimum balance stays.
double withdrawableLimit(const model::AccountDetails& account, double pending, const WithdrawalRules& rules);

}  // namespace funds
