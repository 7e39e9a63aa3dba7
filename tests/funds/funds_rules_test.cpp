// The funds forms' readers and rules: amounts, addresses, currencies, the
// estimate, the withdrawal limit, the confirmation and the payment address.
#include <gtest/gtest.h>

#include <optional>

#include "funds/core/deposit_rules.h"
#include "funds/core/funds_amount.h"
#include "funds/core/withdrawal_rules.h"
#include "model/account_details.h"
#include "model/funds_records.h"
#include "model/trade_currency.h"

namespace {

TEST(FundsRules, AmountIsTheWholeTextAsAFiniteDecimal) {
    const std::optional<double> no;
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1,000", 1000},      {"1,234.50", 1234.5}, {" 250 ", 250},   {"-5", -5},     {"+7.25", 7.25},
        {"0", 0},             {".5", 0.5},          {"12,345,678", 12345678},
        {"12,5", no},         {"1.000,50", no},     {"12abc", no},    {"1e3", no},    {"nan", no},
        {"inf", no},          {"0x10", no},         {"1e999", no},    {"", no},       {" ", no},
        {"1,00", no},         {",100", no},         {"1,0000", no},   {"12.", no},    {"-", no},
        {"1.2.3", no},        {"abc", no},
    };
    for (const auto& c : cases) EXPECT_EQ(funds::readAmount(c.text), c.value) << '"' << c.text << '"';
    EXPECT_FALSE(funds::readAmount(std::string(400, '9')));  // beyond a double
}

TEST(FundsRules, EmailMustMatchAsAWhole) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"a@b.cd", true},  {"first.last+x@mail.example.com", true}, {"a@b.c", false}, {"a@b.abcdef", false},
        {"", false},       {"a b@c.de", false},                      {"a@b.cd ", false}, {"ab.cd", false},
        {"a@b.cdef", true}, {"a@b.12", false},
    };
    for (const auto& c : cases) EXPECT_EQ(funds::isValidEmail(c.text), c.valid) << '"' << c.text << '"';
}

model::TradeCurrency currency(std::uint64_t id, double rate = 0, bool direct = false) {
    model::TradeCurrency c;
    c.currencyID = id;
    c.currencyCode = "C" + std::to_string(id);
    c.depositRate = rate;
    c.isDirect = direct;
    return c;
}

TEST(FundsRules, CurrencyMustReachTheAccountsThroughTheSystemCurrency) {
    const auto usd = currency(1), eur = currency(2), gbp = currency(3);
    const struct {
        const model::TradeCurrency *account, *gateway, *system;
        std::int64_t code;
    } cases[] = {
        {nullptr, &eur, &usd, funds::kNoAccountCurrency}, {&usd, nullptr, &usd, funds::kNoGatewayCurrency},
        {&eur, &eur, nullptr, funds::kCurrencyValid},     {&usd, &eur, nullptr, funds::kNoSystemCurrency},
        {&usd, &eur, &usd, funds::kCurrencyValid},        {&usd, &eur, &eur, funds::kCurrencyValid},
        {&eur, &gbp, &usd, funds::kNotConvertible},
    };
    for (const auto& c : cases) EXPECT_EQ(funds::validateCurrency(c.account, c.gateway, c.system), c.code);
}

TEST(FundsRules, EstimateConvertsOnlyThroughTheSystemCurrency) {
    const auto system = currency(1);
    const auto direct2 = currency(2, 2, true), indirect2 = currency(2, 2, false);
    const auto direct4 = currency(3, 4, true), indirect4 = currency(3, 4, false), zeroDirect = currency(3, 0, true);
    const auto other = currency(4);
    const struct {
        const char* amount;
        const model::TradeCurrency *account, *gateway;
        bool online;
        const char* shown;
    } cases[] = {
        {"12,5", &direct2, &direct2, true, "12,5"},  // same currency: the text as typed
        {"100", &system, &direct2, true, "200.00"},
        {"100", &system, &indirect2, true, "50.00"},
        {"100", &direct4, &system, true, "25.00"},
        {"100", &indirect4, &system, true, "400.00"},
        {"100", &zeroDirect, &system, true, "100.00"},
        {"100", &direct4, &other, true, "100"},  // neither is the system currency
        {"100", &system, &direct2, false, "100"},
        {"100", nullptr, &direct2, true, "100"},
        {"12abc", &system, &direct2, true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(funds::estimatedDeposit(c.amount, c.online, c.account, c.gateway, &system), c.shown) << c.amount;
}

std::shared_ptr<model::ApprovalReq> request(bool open, std::uint64_t benefactor, double requested, double approved) {
    auto r = std::make_shared<model::ApprovalReq>();
    r->isOpen = open;
    r->information = std::make_shared<model::FinancialApproval>();
    r->information->benefactorAccount = benefactor;
    r->information->requestedAmount = requested;
    r->information->approvedAmount = approved;
    return r;
}

TEST(FundsRules, PendingWithdrawalsCountOpenRequestsOfTheAccount) {
    const std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> requests = {
        {1, request(true, 1001, 300, 0)},    // approved 0: its requested amount
        {2, request(true, 1001, 900, 200)},  // its approved amount
        {3, request(false, 1001, 5000, 0)},  // closed
        {4, request(true, 1002, 7000, 0)},   // another benefactor
        {5, nullptr},
    };
    EXPECT_DOUBLE_EQ(funds::pendingWithdrawals(requests, 1001), 500);
    EXPECT_DOUBLE_EQ(funds::pendingWithdrawals({}, 1001), 0);
}

TEST(FundsRules, WithdrawableLimitKeepsFloatingProfitAndTheMinimumBalance) {
    const struct {
        double leverage;
        bool floatingWithdrawable;
        double minimum;
        double balance;
        double limit;
    } cases[] = {
        {300, false, 0, 7000, 6200},   {300, true, 0, 7000, 6500},    {300, false, 1000, 7000, 5500},
        {300, true, 1000, 7000, 5500}, {-50, false, 0, 7000, 6500},   {0, false, 0, 7000, 6500},
        {300, false, 1000, 20000, 6200},
    };
    for (const auto& c : cases) {
        model::AccountDetails account;
        account.Equity = 10000;
        account.CollateralSecurity = 1000;
        account.oneSideMargin = 2000;
        account.Leverage = c.leverage;
        account.Balance = c.balance;
        EXPECT_DOUBLE_EQ(funds::withdrawableLimit(account, 500, {c.floatingWithdrawable, c.minimum}), c.limit)
            << c.leverage << ' ' << c.minimum;
    }
}

TEST(FundsRules, ConfirmationAndPaymentAddressOfAnOnlinePayment) {
    model::PayGateTransaction payment;
    payment.requestId = 5001;
    payment.accountId = 1001;
    payment.payRequestAmount = 1234.5;
    payment.requestTime = "20261207153045";
    payment.requestedByUserId = 17;
    payment.email = "a@b.cd";
    payment.transactionKey = "K7 +&=/?q";
    const auto key = [](const std::string& k) { return "<" + k + ">"; };
    auto lines = funds::confirmationLines(payment, key);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "<0590>\x03" "1234.50");
    EXPECT_EQ(lines[3], "<0726>\x03" "12/07/2026 15:30:45");
    EXPECT_EQ(lines[4], "<0714>\x03<11122>");
    EXPECT_EQ(lines[5], "<11121>\x03");  // no gateway: an empty name
    EXPECT_FALSE(funds::paymentAddress(payment));  // no gateway, no page
    payment.payGate = std::make_shared<model::PayGateSetting>();
    payment.payGate->name = "Card";
    EXPECT_EQ(funds::confirmationLines(payment, key)[5], "<11121>\x03" "Card");
    const struct {
        const char* stored;
        std::optional<std::string> opened;
    } pages[] = {
        {"https://pay.test/x", "https://pay.test/x?p1=5001&p2=17&p3=K7%20%2B%26%3D/?q"},
        {"http://pay.test", "http://pay.test?p1=5001&p2=17&p3=K7%20%2B%26%3D/?q"},
        {"file:///var/x", std::nullopt},
        {"javascript:x", std::nullopt},
    };
    for (const auto& page : pages) {
        payment.payGate->systemWebURL = page.stored;
        EXPECT_EQ(funds::paymentAddress(payment), page.opened) << page.stored;
    }
}

}  // namespace
