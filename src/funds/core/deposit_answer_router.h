#pragma once
// Hands each deposit answer to the one open deposit window that asked for it.
// A window records what it sent; an approval answer (801) goes to the oldest
// bank request of its account and amount sent within kAnswerTimeout, a
// gateway's first answer to the oldest such online request of its account,
// amount and gateway, which is then bound to the request id for the later
// answers. An approval answer no request matches (another amount, or late)
// goes to the oldest bank request of its account, else to a window showing
// the account, else to `unclaimed`. Main thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/notification_center.h"

namespace state {
struct DepositRequestDetails;
struct PayGateUpdate;
}  // namespace state

namespace funds {

class DepositAnswerTarget {
public:
    virtual ~DepositAnswerTarget() = default;
    virtual void depositAnswered(const std::vector<std::string>& lines) = 0;
    virtual void paymentAnswered(const state::PayGateUpdate& update) = 0;
};

class DepositAnswerRouter {
public:
    static constexpr std::chrono::seconds kAnswerTimeout{120};
    using Clock = std::function<platform::TimePoint()>;

    // Observes "DepositRequestNotification" and "PayGateTransactionNotification".
    explicit DepositAnswerRouter(Clock clock);
    DepositAnswerRouter(const DepositAnswerRouter&) = delete;
    DepositAnswerRouter& operator=(const DepositAnswerRouter&) = delete;

    // The window's request, replacing any it had waiting.
    void expectBank(DepositAnswerTarget* target, std::uint64_t accountId, double amount);
    void expectOnline(DepositAnswerTarget* target, std::uint64_t accountId, double amount, std::uint64_t payGateId);
    // The account the window shows (it may take an answer nobody awaits).
    void show(DepositAnswerTarget* target, std::uint64_t accountId);
    // The window closes: its request, bindings and account go.
    void leave(DepositAnswerTarget* target);
    // An approval answer no open window takes: its detail lines.
    std::function<void(const std::vector<std::string>& lines)> unclaimed;

    void route(const state::DepositRequestDetails& answer);
    void route(const state::PayGateUpdate& update);
    std::size_t waiting() const { return expected_.size(); }

private:
    struct Expectation {
        DepositAnswerTarget* target = nullptr;
        bool online = false;
        std::uint64_t accountId = 0;
        std::string amount;  // "%.2f"
        std::uint64_t payGateId = 0;
        platform::TimePoint sent;
    };
    void expect(Expectation expectation);
    bool fresh(const Expectation& e, platform::TimePoint now) const { return now - e.sent < kAnswerTimeout; }
    // The window for an approval answer of the account no request matches; null: none.
    DepositAnswerTarget* fallback(std::uint64_t accountId);

    Clock clock_;
    std::vector<Expectation> expected_;  // oldest first
    std::map<std::uint64_t, DepositAnswerTarget*> bound_;  // request id -> window
    std::vector<std::pair<DepositAnswerTarget*, std::uint64_t>> shown_;  // window -> account, oldest first
    platform::ObserverHandle deposits_;
    platform::ObserverHandle payments_;
};

}  // namespace funds
