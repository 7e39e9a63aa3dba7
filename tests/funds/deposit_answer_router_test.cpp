// Deposit answers reach only the window that sent the request.
#include <gtest/gtest.h>

#include <memory>

#include "funds/core/deposit_answer_router.h"
#include "model/funds_records.h"
#include "platform/notification_center.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"

namespace {

struct Window : funds::DepositAnswerTarget {
    std::vector<std::vector<std::string>> deposits;
    std::vector<std::int64_t> payments;  // the states handed over
    void depositAnswered(const std::vector<std::string>& lines) override { deposits.push_back(lines); }
    void paymentAnswered(const state::PayGateUpdate& update) override { payments.push_back(update.state); }
};

class DepositAnswerRouterTest : public ::testing::Test {
protected:
    platform::TimePoint now{};
    funds::DepositAnswerRouter router{[this] { return now; }};
    Window first, second;

    void approval(std::uint64_t account, double amount, const std::string& line) {
        auto request = std::make_shared<model::ApprovalReq>();
        request->information = std::make_shared<model::FinancialApproval>();
        request->information->beneficiaryAccount = account;
        request->information->requestedAmount = amount;
        platform::NotificationCenter::defaultCenter().post(
            state::notifications::kDepositRequest,
            std::make_shared<state::DepositRequestDetails>(std::vector<std::string>{line}, request));
    }
    void payment(std::int64_t state, std::uint64_t requestId, std::uint64_t account = 1001, double amount = 100,
                 std::uint64_t gate = 1) {
        auto data = std::make_shared<model::PayGateTransaction>();
        data->requestId = requestId;
        data->accountId = account;
        data->payRequestAmount = amount;
        data->payGateId = gate;
        platform::NotificationCenter::defaultCenter().post(state::notifications::kPayGateTransaction,
                                                           std::make_shared<state::PayGateUpdate>(state, data));
    }
};

TEST_F(DepositAnswerRouterTest, OnlineAnswersFollowTheWindowWhoseRequestTheMasterAnswerMatches) {
    router.expectOnline(&first, 1001, 100, 1);
    router.expectOnline(&second, 1001, 200, 1);
    payment(state::PayGateUpdate::kMasterAdded, 5002, 1001, 200);  // the first request's answer failed: none came
    payment(state::PayGateUpdate::kStatusAnswer, 5002, 1001, 200);
    payment(state::PayGateUpdate::kTransactionAnswer, 5002, 1001, 200);
    payment(state::PayGateUpdate::kMasterAdded, 5003, 1001, 100, 2);  // another gateway
    payment(state::PayGateUpdate::kStatusAnswer, 5009);               // a request nobody sent
    EXPECT_TRUE(first.payments.empty());
    EXPECT_EQ(second.payments, (std::vector<std::int64_t>{1, 2, 3}));
    router.leave(&second);
    payment(state::PayGateUpdate::kTransactionAnswer, 5002, 1001, 200);
    EXPECT_EQ(second.payments.size(), 3u);
    EXPECT_EQ(router.waiting(), 1u);  // the first still waits
}

TEST_F(DepositAnswerRouterTest, ApprovalGoesToTheOldestFreshMatchBeforeALateRequest) {
    router.expectBank(&first, 1001, 250);
    now += std::chrono::seconds(10);
    router.expectBank(&second, 1001, 250);
    approval(1002, 250, "other account");
    EXPECT_TRUE(first.deposits.empty() && second.deposits.empty());
    now += funds::DepositAnswerRouter::kAnswerTimeout - std::chrono::seconds(5);  // the first's 120 s are over
    approval(1001, 250, "late");
    EXPECT_TRUE(first.deposits.empty());
    ASSERT_EQ(second.deposits.size(), 1u);
    EXPECT_EQ(second.deposits[0], std::vector<std::string>{"late"});
    approval(1001, 250, "again");  // no fresh request: the first's late one takes it
    EXPECT_EQ(second.deposits.size(), 1u);
    EXPECT_EQ(first.deposits, (std::vector<std::vector<std::string>>{{"again"}}));
    EXPECT_EQ(router.waiting(), 0u);
}

TEST_F(DepositAnswerRouterTest, AnAnswerNoRequestMatchesReachesTheAccountsWindowOrABanner) {
    Window shown;
    std::vector<std::string> banners;
    router.unclaimed = [&](const std::vector<std::string>& lines) { banners.push_back(lines.at(0)); };
    router.show(&shown, 1002);
    router.show(&first, 1001);
    struct Row {
        std::uint64_t account;
        double amount;
        int lateBy;  // seconds past the timeout
        Window* expected;  // null: the banner
    } rows[] = {
        {1001, 250.01, -100, &first},  // the amount differs in its second decimal
        {1001, 250, 1, &first},         // past the 120 s
        {1002, 10, 0, &shown},          // shown, nothing sent
        {1003, 10, 0, nullptr},         // no window of the account
    };
    for (const Row& r : rows) {
        std::vector<Window*> windows = {&first, &second, &shown};
        std::vector<std::size_t> before;
        for (Window* w : windows) before.push_back(w->deposits.size());
        const std::size_t bannersBefore = banners.size();
        router.expectBank(&first, 1001, 250);
        now += funds::DepositAnswerRouter::kAnswerTimeout + std::chrono::seconds(r.lateBy);
        approval(r.account, r.amount, "answer");
        for (std::size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(windows[i]->deposits.size(), before[i] + (windows[i] == r.expected ? 1 : 0)) << r.account << " " << i;
        EXPECT_EQ(banners.size(), bannersBefore + (r.expected ? 0 : 1)) << r.account;
    }
    router.leave(&shown);
    approval(1002, 10, "closed");
    EXPECT_EQ(banners.back(), "closed");
}

TEST_F(DepositAnswerRouterTest, ClosingOneWindowKeepsTheOthersRequest) {
    router.expectBank(&first, 1001, 250);
    router.expectBank(&second, 1001, 250);
    router.expectBank(&first, 1001, 250);  // a second send replaces the first's own
    EXPECT_EQ(router.waiting(), 2u);
    router.leave(&first);
    approval(1001, 250, "answer");
    EXPECT_TRUE(first.deposits.empty());
    EXPECT_EQ(second.deposits.size(), 1u);
}

}  // namespace
