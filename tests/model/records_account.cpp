// Account record, account group, session settings and trade currency.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/account_details.h"
#include "model/account_history_info.h"
#include "model/group_details.h"
#include "model/order.h"
#include "model/session_settings.h"
#include "model/trade_currency.h"

using namespace model;

namespace {

std::shared_ptr<Order> position(const char* account, double profit) {
    auto o = std::make_shared<Order>();
    o->AccountNumber = account;
    o->UnrealisedPL = profit;
    return o;
}

}  // namespace

class AccountCalculation : public ::testing::Test {
protected:
    void SetUp() override {
        account.AccountId = 1001;
        account.Balance = 1000.0;
        account.AccumulatingStorage = -5.0;
        account.CollateralSecurity = 0.0;
        account.UsedMargin = 150.0;
        account.tradingStatus = AccountDetails::kStatusNormal;
        group.RevLeverageOnFLoss = 100;
        group.LeverageOnFProfit = 0;
    }
    // The instrument's profit is left as held; conversion doubles it (account currency).
    void run(const std::vector<std::shared_ptr<Order>>& positions) {
        account.calculateAccountDetails(
            &group, positions, [this](Order&) { ++plCalls; },
            [](double v, const Order&) { return v * 2.0; });
    }
    AccountDetails account;
    GroupDetails group;
    int plCalls = 0;
};

TEST_F(AccountCalculation, LossCountsByRevLeverage) {
    const auto mine = position("1001", -100.0);
    run({mine, position("1002", 500.0), nullptr});
    EXPECT_EQ(plCalls, 1);
    EXPECT_DOUBLE_EQ(mine->UnrealisedPL, -200.0);  // converted value stored in the position
    EXPECT_DOUBLE_EQ(account.UnrealisedPL, -200.0);
    EXPECT_DOUBLE_EQ(account.Leverage, -200.0);
    EXPECT_DOUBLE_EQ(account.Equity, 795.0);
    EXPECT_DOUBLE_EQ(account.AvailableMargin, 645.0);

    group.RevLeverageOnFLoss = 50;
    mine->UnrealisedPL = -100.0;
    run({mine});
    EXPECT_DOUBLE_EQ(account.Leverage, -100.0);
    EXPECT_DOUBLE_EQ(account.Equity, 895.0);
}

TEST_F(AccountCalculation, ProfitCountsByLeverageOnProfit) {
    run({position("1001", 150.0)});
    EXPECT_DOUBLE_EQ(account.UnrealisedPL, 300.0);
    EXPECT_DOUBLE_EQ(account.Leverage, 0.0);
    EXPECT_DOUBLE_EQ(account.Equity, 995.0);

    group.LeverageOnFProfit = 50;
    run({position("1001", 150.0)});
    EXPECT_DOUBLE_EQ(account.Leverage, 150.0);
    EXPECT_DOUBLE_EQ(account.Equity, 1145.0);
}

TEST_F(AccountCalculation, NoPositionsAndNoGroup) {
    run({});
    EXPECT_EQ(account.UnrealisedPL, 0.0);
    EXPECT_EQ(account.Leverage, 0.0);
    EXPECT_DOUBLE_EQ(account.Equity, 995.0);

    account.calculateAccountDetails(nullptr, {position("1001", -40.0)}, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(account.UnrealisedPL, -40.0);
    EXPECT_EQ(account.Leverage, 0.0);
}

TEST_F(AccountCalculation, EquityHitKeepsEquity) {
    account.tradingStatus = AccountDetails::kStatusEquityHit;
    account.Equity = 420.0;
    run({position("1001", -100.0)});
    EXPECT_DOUBLE_EQ(account.UnrealisedPL, -200.0);
    EXPECT_DOUBLE_EQ(account.Equity, 420.0);
    EXPECT_DOUBLE_EQ(account.AvailableMargin, 270.0);
}

TEST(AccountNames, StatusAccessAndType) {
    EXPECT_EQ(AccountDetails::getAccountStatus(0), "");
    EXPECT_EQ(AccountDetails::getAccountStatus(1), "Normal");
    EXPECT_EQ(AccountDetails::getAccountStatus(4), "Close Position Only");
    EXPECT_EQ(AccountDetails::getAccountStatus(5), "Equity Hit");
    EXPECT_EQ(AccountDetails::getAccountStatus(6), "Closed");
    EXPECT_EQ(AccountDetails::getAccountStatus(7), "");

    EXPECT_EQ(AccountDetails::getAccountAccessType(0), "Unknown");
    EXPECT_EQ(AccountDetails::getAccountAccessType(3), "View Trade");
    EXPECT_EQ(AccountDetails::getAccountAccessType(4), "View Market");
    EXPECT_EQ(AccountDetails::getAccountAccessType(5), "");
    EXPECT_EQ(AccountDetails::getAccountAccessType(9), "");
    EXPECT_EQ(AccountDetails::getAccountAccessType(10), "None");

    EXPECT_EQ(AccountDetails::getAccountType(0), "Unknown");
    EXPECT_EQ(AccountDetails::getAccountType(8), "NonClearing Member");
    EXPECT_EQ(AccountDetails::getAccountType(13), "Error Account");
    EXPECT_EQ(AccountDetails::getAccountType(14), "");
}

TEST(AccountHistory, ExtendsTheAccount) {
    AccountHistoryInfo h;
    h.AccountId = 7;
    h.TAHId = 99;
    const AccountDetails& base = h;
    EXPECT_EQ(base.AccountId, 7);
    EXPECT_EQ(h.OpeningBalanceOfDay, 0.0);
}

TEST(GroupRecords, NewGroupAndMarginModes) {
    GroupDetails g;
    EXPECT_TRUE(g.GroupInstrumentCollection.empty());
    EXPECT_EQ(g.instrument(7), nullptr);
    auto gi = std::make_shared<GroupInstruments>();
    gi->InstrumentId = 7;
    g.GroupInstrumentCollection["7"] = gi;
    EXPECT_EQ(g.instrument(7), gi);

    EXPECT_EQ(GroupInstruments::marginCalculationModeFor(0), 926);
    EXPECT_EQ(GroupInstruments::marginCalculationModeFor(1), 1);
    EXPECT_EQ(GroupInstruments::marginCalculationModeFor(2), 2);
    EXPECT_EQ(GroupInstruments::marginCalculationModeFor(5), 0);
    EXPECT_EQ(GroupInstruments::marginCalculationModeFor(-1), 0);
}

TEST(SessionRecords, NewRecordsGrantNothing) {
    const SessionSettings s;
    EXPECT_FALSE(s.enterMarketOrder || s.enterLimitOrder || s.editMarketOrder || s.executeOrders ||
                 s.allowNewMarket || s.allowNewContigent || s.allowEditContigent || s.allowNewTpSl);
    EXPECT_FALSE(s.sessionColor.has_value());

    const TradeCurrency c;
    EXPECT_EQ(c.conversionMode, TradeCurrency::kNoConversion);
    EXPECT_FALSE(c.isDirect);

    const RGBAColor color = RGBAColor::fromRGB(0xFF8000);
    EXPECT_DOUBLE_EQ(color.red, 1.0);
    EXPECT_DOUBLE_EQ(color.green, 128.0 / 255.0);
    EXPECT_DOUBLE_EQ(color.blue, 0.0);
    EXPECT_DOUBLE_EQ(color.alpha, 1.0);
}
