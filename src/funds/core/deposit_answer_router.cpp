#include "funds/core/deposit_answer_router.h"

#include <algorithm>

#include "funds/core/funds_amount.h"
#include "model/funds_records.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"

namespace funds {

DepositAnswerRouter::DepositAnswerRouter(Clock clock) : clock_(std::move(clock)) {
    auto& center = platform::NotificationCenter::defaultCenter();
    deposits_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kDepositRequest, [this](const platform::Notification& n) {
            if (const auto* answer = n.as<state::DepositRequestDetails>()) route(*answer);
        }));
    payments_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kPayGateTransaction, [this](const platform::Notification& n) {
            if (const auto* update = n.as<state::PayGateUpdate>()) route(*update);
        }));
}

void DepositAnswerRouter::expect(Expectation expectation) {
    platform::assertMainThread();
    std::erase_if(expected_, [&](const Expectation& e) { return e.target == expectation.target; });
    expectation.sent = clock_();
    expected_.push_back(std::move(expectation));
}

void DepositAnswerRouter::expectBank(DepositAnswerTarget* target, std::uint64_t accountId, double amount) {
    expect({target, false, accountId, twoPlaces(amount), 0, {}});
}

void DepositAnswerRouter::expectOnline(DepositAnswerTarget* target, std::uint64_t accountId, double amount,
                                       std::uint64_t payGateId) {
    expect({target, true, accountId, twoPlaces(amount), payGateId, {}});
}

void DepositAnswerRouter::leave(DepositAnswerTarget* target) {
    platform::assertMainThread();
    std::erase_if(expected_, [&](const Expectation& e) { return e.target == target; });
    std::erase_if(bound_, [&](const auto& entry) { return entry.second == target; });
}

void DepositAnswerRouter::dropExpired() {
    const platform::TimePoint now = clock_();
    std::erase_if(expected_, [&](const Expectation& e) {
        if (now - e.sent < kAnswerTimeout) return false;
        platform::Log::info("Deposit request of account " + std::to_string(e.accountId) + " for " + e.amount +
                            " not answered in time: no longer awaited");
        return true;
    });
}

void DepositAnswerRouter::route(const state::DepositRequestDetails& answer) {
    platform::assertMainThread();
    dropExpired();
    if (!answer.request || !answer.request->information) return;
    const model::FinancialApproval& money = *answer.request->information;
    const std::string amount = twoPlaces(money.requestedAmount);
    const auto match = std::find_if(expected_.begin(), expected_.end(), [&](const Expectation& e) {
        return !e.online && e.accountId == money.beneficiaryAccount && e.amount == amount;
    });
    if (match == expected_.end()) return;
    DepositAnswerTarget* target = match->target;
    expected_.erase(match);
    target->depositAnswered(answer.lines);
}

void DepositAnswerRouter::route(const state::PayGateUpdate& update) {
    platform::assertMainThread();
    dropExpired();
    if (!update.data) return;
    const model::PayGateTransaction& payment = *update.data;
    if (const auto bound = bound_.find(payment.requestId); bound != bound_.end()) {
        bound->second->paymentAnswered(update);
        return;
    }
    if (update.state != state::PayGateUpdate::kMasterAdded) return;
    const std::string amount = twoPlaces(payment.payRequestAmount);
    const auto match = std::find_if(expected_.begin(), expected_.end(), [&](const Expectation& e) {
        return e.online && e.accountId == payment.accountId && e.amount == amount && e.payGateId == payment.payGateId;
    });
    if (match == expected_.end()) return;
    DepositAnswerTarget* target = match->target;
    expected_.erase(match);
    bound_[payment.requestId] = target;
    target->paymentAnswered(update);
}

}  // namespace funds
