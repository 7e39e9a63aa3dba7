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

void DepositAnswerRouter::show(DepositAnswerTarget* target, std::uint64_t accountId) {
    platform::assertMainThread();
    for (auto& [window, account] : shown_)
        if (window == target) {
            account = accountId;
            return;
        }
    shown_.emplace_back(target, accountId);
}

void DepositAnswerRouter::leave(DepositAnswerTarget* target) {
    platform::assertMainThread();
    std::erase_if(expected_, [&](const Expectation& e) { return e.target == target; });
    std::erase_if(bound_, [&](const auto& entry) { return entry.second == target; });
    std::erase_if(shown_, [&](const auto& entry) { return entry.first == target; });
}

DepositAnswerTarget* DepositAnswerRouter::fallback(std::uint64_t accountId) {
    const auto waiting = std::find_if(expected_.begin(), expected_.end(), [&](const Expectation& e) {
        return !e.online && e.accountId == accountId;
    });
    if (waiting != expected_.end()) {
        DepositAnswerTarget* target = waiting->target;
        expected_.erase(waiting);
        return target;
    }
    const auto shown = std::find_if(shown_.begin(), shown_.end(), [&](const auto& s) { return s.second == accountId; });
    return shown != shown_.end() ? shown->first : nullptr;
}

void DepositAnswerRouter::route(const state::DepositRequestDetails& answer) {
    platform::assertMainThread();
    if (!answer.request || !answer.request->information) return;
    const model::FinancialApproval& money = *answer.request->information;
    const std::string amount = twoPlaces(money.requestedAmount);
    const platform::TimePoint now = clock_();
    const auto match = std::find_if(expected_.begin(), expected_.end(), [&](const Expectation& e) {
        return !e.online && e.accountId == money.beneficiaryAccount && e.amount == amount && fresh(e, now);
    });
    DepositAnswerTarget* target = nullptr;
    if (match != expected_.end()) {
        target = match->target;
        expected_.erase(match);
    } else {
        target = fallback(money.beneficiaryAccount);
    }
    if (target) {
        target->depositAnswered(answer.lines);
    } else if (unclaimed) {
        platform::Log::info("Deposit answer for account " + std::to_string(money.beneficiaryAccount) +
                            " awaited by no window");
        unclaimed(answer.lines);
    }
}

void DepositAnswerRouter::route(const state::PayGateUpdate& update) {
    platform::assertMainThread();
    if (!update.data) return;
    const model::PayGateTransaction& payment = *update.data;
    if (const auto bound = bound_.find(payment.requestId); bound != bound_.end()) {
        bound->second->paymentAnswered(update);
        return;
    }
    if (update.state != state::PayGateUpdate::kMasterAdded) return;
    const std::string amount = twoPlaces(payment.payRequestAmount);
    const platform::TimePoint now = clock_();
    const auto match = std::find_if(expected_.begin(), expected_.end(), [&](const Expectation& e) {
        return e.online && e.accountId == payment.accountId && e.amount == amount && e.payGateId == payment.payGateId &&
               fresh(e, now);
    });
    if (match == expected_.end()) return;
    DepositAnswerTarget* target = match->target;
    expected_.erase(match);
    bound_[payment.requestId] = target;
    target->paymentAnswered(update);
}

}  // namespace funds
