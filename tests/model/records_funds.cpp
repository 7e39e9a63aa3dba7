// The statement record's totals and pie data, and the funds records' compact forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/account_statement_info.h"
#include "model/funds_records.h"
#include "protocol/funds_record_text.h"

namespace {

using namespace model;

struct Money {
    std::int32_t type;
    double cr, dr;
};

void transactions(AccountStatementInfo& s, const std::vector<Money>& rows) {
    s.FinancialTransactionInfo.clear();
    for (const Money& m : rows) {
        auto r = std::make_shared<FinancialTransactionHistoryInfo>();
        r->SubTransactionType = m.type;
        r->CrAmount = m.cr;
        r->DrAmount = m.dr;
        s.FinancialTransactionInfo.push_back(r);
    }
}

TEST(StatementTotals, FinancialTransactionsByType) {
    struct Case {
        std::vector<Money> rows;
        double commission, deposit, withdrawal, settledPL, misc, daily;
        bool dailyAvailable;
    };
    const std::vector<Case> cases = {
        {{}, 0, 0, 0, 0, 0, 0, false},
        {{{4, 0, 12}, {4, 0, 99}, {1, 1000, 0}, {11, 500, 0}}, -12, 1500, 0, 0, 0, 0, false},
        {{{2, 0, 500}, {12, 10, 0}, {8, 100, 0}}, 0, 0, -490, 100, 0, 0, false},
        {{{8, 80.5, 0}, {7, 0, 20}, {7, 0, 50}, {10, 1, 0}, {19, 2, 0}}, 0, 0, 0, 60.5, 3, 0, false},
        {{{3, 5, 0}, {20, 7, 0}, {0, 1, 0}}, 0, 0, 0, 0, 0, 0, false},
        {{{15, 3, 3}}, 0, 0, 0, 0, 0, 0, false},
        {{{15, 0, 1.5}, {15, 9, 0}}, 0, 0, 0, 0, 0, -1.5, true},
    };
    AccountStatementInfo s;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        transactions(s, c.rows);
        EXPECT_EQ(s.getCommission(), c.commission) << i;
        EXPECT_EQ(s.getDeposit(), c.deposit) << i;
        EXPECT_EQ(s.getWithDrawal(), c.withdrawal) << i;
        EXPECT_EQ(s.getSettledPL(), c.settledPL) << i;
        EXPECT_EQ(s.getMiscellaneous(), c.misc) << i;
        EXPECT_EQ(s.getDailyTDS(), c.daily) << i;
        EXPECT_EQ(s.isDailyTDSAvailable(), c.dailyAvailable) << i;
        EXPECT_FALSE(s.isMonthlyTDSAvailable()) << i;
    }
    // Types that enter no total are still found.
    transactions(s, {{3, 5, 0}, {20, 7, 0}, {20, 8, 0}});
    ASSERT_TRUE(s.getFinancialTransactionHistoryInfo(20));
    EXPECT_EQ(s.getFinancialTransactionHistoryInfo(20)->CrAmount, 7);
    EXPECT_FALSE(s.getFinancialTransactionHistoryInfo(4));
}

TEST(StatementTotals, PositionSumsAndPieData) {
    AccountStatementInfo s;
    auto settled = [&s](const char* code, const char* qty, const char* pl) {
        auto r = std::make_shared<SettledPositionHistoryInfo>();
        r->ItemCode = code;
        r->setSettledQty(qty);
        r->setSettledPL(pl);
        s.SettledPositionInfo.push_back(r);
    };
    settled("GOLD", "2", "50.5");
    settled("EURUSD", "", "-20");
    settled("GOLD", "1", "30");
    settled("", "4", "1");  // no instrument: in the sums, not in the pie
    EXPECT_EQ(s.getSettledQuantity(), 7.0);
    EXPECT_EQ(s.getSettledProfitorLoss(), 61.5);
    const PieChartDictionary pie = s.getSettledPLForItems();
    EXPECT_EQ(pie.PieChartTitle, (std::vector<std::string>{"GOLD", "EURUSD"}));
    EXPECT_EQ(pie.PieChartData, (std::vector<double>{80.5, -20.0}));
    EXPECT_EQ(s.getSettledPLForItem("GOLD"), 80.5);
    EXPECT_TRUE(s.getOpendPLForItems().PieChartTitle.empty());
    EXPECT_EQ(s.getOpenQuantity(), 0.0);
}

TEST(StatementTotals, OnePassTotalsEqualTheGetters) {
    AccountStatementInfo s;
    const struct {
        const char* qty;
        double pl, commission, storage, other;
        const char* settledPl;
    } rows[] = {{"2", 10.25, 1.5, 0.1, 0.3, "50.5"}, {"", -4, 0.5, 0.2, 0, "-20"}, {"0.1", 0.2, 0, 0.7, 1.1, "bad"}};
    for (const auto& r : rows) {
        auto open = std::make_shared<OpenPositionHistoryInfo>();
        open->RemainingQty = r.qty;
        open->UnrealisedPL = r.pl;
        open->Commision = r.commission;
        open->Storage = r.storage;
        s.OpenPositionInfo.push_back(open);
        auto settled = std::make_shared<SettledPositionHistoryInfo>();
        settled->setSettledQty(r.qty);
        settled->setSettledPL(r.settledPl);
        settled->Commision = r.commission;
        settled->Storage = r.storage;
        settled->setOtherCharges(r.other);
        s.SettledPositionInfo.push_back(settled);
    }
    const auto open = s.openTotals();
    EXPECT_EQ(open.quantity, s.getOpenQuantity());
    EXPECT_EQ(open.profitOrLoss, s.getOpenProfitorLoss());
    EXPECT_EQ(open.commission, s.getOpenCommission());
    EXPECT_EQ(open.storage, s.getOpenStorage());
    const auto settled = s.settledTotals();
    EXPECT_EQ(settled.quantity, s.getSettledQuantity());
    EXPECT_EQ(settled.profitOrLoss, s.getSettledProfitorLoss());
    EXPECT_EQ(settled.commission, s.getSettledCommission());
    EXPECT_EQ(settled.storage, s.getSettledStorage());
    EXPECT_EQ(settled.tds, s.getSettledTDS());
    EXPECT_EQ(settled.quantity, 2.1);
}

TEST(FundsRecords, ApprovalTextFullShortAndRefused) {
    FinancialApproval deposit;
    deposit.beneficiaryAccount = 12;
    deposit.requestedAmount = 100.5;
    deposit.financialTransactionTypeId = 1;
    deposit.transferMode = 2;
    EXPECT_EQ(protocol::financialApprovalText(deposit, 0),
              "0\x05" "0\x05" "12\x05(null)\x05" "100.50\x05" "0.00\x05" "1\x05" "0\x05" "2\x05"
              "(null)\x05(null)\x05(null)\x05(null)\x05(null)\x06");
    EXPECT_EQ(protocol::financialApprovalText(deposit, 1), "0\x05" "0\x05" "12\x05(null)\x05" "100.50\x05" "0.00\x05" "1\x06");
    FinancialApproval withdrawal = deposit;
    withdrawal.financialTransactionTypeId = 2;
    withdrawal.benefactorAccount = 7;
    for (char bad = 1; bad <= 7; ++bad) {
        FinancialApproval held = deposit;
        held.bankName = std::string("Bank") + bad;
        EXPECT_EQ(protocol::financialApprovalText(held, 0), std::nullopt) << int(bad);
    }
    // Read back: "(null)" accounts are 0, the short form leaves the rest.
    FinancialApproval read;
    read.transferMode = 9;
    read.loadFromString(*protocol::financialApprovalText(withdrawal, 0), 1);
    EXPECT_EQ(read.beneficiaryAccount, 0u);
    EXPECT_EQ(read.benefactorAccount, 7u);
    EXPECT_EQ(read.transferMode, 9u);
}

TEST(FundsRecords, PayGateSyncForm) {
    PackedPayGateTransaction sync;
    sync.transId = 5;
    sync.loadFromString("77\x05TX9\x05" "250.75\x06" "99", PackedPayGateTransaction::kSyncForm);
    EXPECT_EQ(sync.refRequestId, 77u);
    EXPECT_EQ(sync.payTransactionId, "TX9");
    EXPECT_EQ(sync.payApprovedAmount, 250.75);
    EXPECT_EQ(sync.transId, 5u);
}

}  // namespace
