// Account summaries, spreads, profit and loss and the per-second recomputation.
#include "state/account_ledger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <thread>

#include "model/group_details.h"
#include "model/trade_currency.h"
#include "model/user_info.h"
#include "platform/slice_budget.h"
#include "platform/test_env.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "support/spent_clock.h"
#include "state/profit_loss.h"
#include "state/recording_ui_services.h"

namespace state {
namespace {

using model::AccountDetails;
using model::ItemDetails;
using model::Order;

class RecordingFeed : public FeedChannels {
public:
    template <typename... Needs>
    RecordingFeed(std::vector<std::string>& calls, Needs&... needs) : FeedChannels(needs...), calls_(calls) {}
    void ProcessSubscribeandUnSubscribeItems(std::vector<std::string>, bool subscribe) override {
        calls_.push_back(subscribe ? "subscribe" : "unsubscribe");
    }

private:
    std::vector<std::string>& calls_;
};

class LedgerTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        SessionParts parts;
        parts.feedChannels = [this](auto&... needs) { return std::make_unique<RecordingFeed>(feed, needs...); };
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            equityRequests += r.message.find("getequityhitpriceinfo") != std::string::npos;
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        state::ReferenceDataTestAccess::userInfo(ref()) = std::make_shared<model::UserInfo>();
    }
    void TearDown() override {
        session.reset();
        feed.clear();
        equityRequests = 0;
        FakeTimeTest::TearDown();
    }
    ReferenceData& ref() { return state::SessionTestAccess::referenceData(*session); }
    std::shared_ptr<AccountDetails> account(int id, const std::string& group = "10") {
        auto a = std::make_shared<AccountDetails>();
        a->AccountId = id;
        a->GroupId = group;
        return state::ReferenceDataTestAccess::AccountDetailCollection(ref()).set(std::to_string(id), a);
    }
    std::shared_ptr<model::GroupDetails> group(const std::string& id) {
        return state::ReferenceDataTestAccess::GroupDetailCollection(ref()).set(id, std::make_shared<model::GroupDetails>());
    }
    std::shared_ptr<ItemDetails> item(int id, const std::string& code, double bid) {
        auto i = std::make_shared<ItemDetails>();
        i->InstrumentId = id;
        i->Code = code;
        i->PLCalcModeId = 1;
        i->ContractSize = 100;
        i->Bid = bid;
        return state::ReferenceDataTestAccess::ItemCollection(ref()).set(code, i);
    }
    // A buy of 2 at 2.0.
    std::shared_ptr<Order> buy(const std::string& account, const std::string& code) {
        auto p = std::make_shared<Order>();
        p->OpenPositionId = "P" + account;
        p->AccountNumber = account;
        p->ItemCode = code;
        p->RemainingQty = "2";
        p->OrderPrice = "2.0";
        state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(p);
        return p;
    }
    void summary(std::vector<std::string> fields) {
        fields.insert(fields.begin(), "10=1045");
        IncomingMessage m = IncomingMessage::ofFields(1045, fields);
        state::SessionTestAccess::checkNewMessage(*session, std::move(m));
        loop->runUntilIdle();
    }

    // A tick through the feed's own path: bid and ask in tenths.
    void tick(const std::string& code, int bid, int ask) {
        state::SessionTestAccess::feedChannels(*session).ZMQNewMessage(code + "\x04" "20240102103000\x04" "0\x04" +
                                                                       std::to_string(bid) + "\x04" + std::to_string(bid) +
                                                                       "\x04" + std::to_string(ask) + "\x04" "1");
    }
    AccountLedger& ledger() { return state::SessionTestAccess::accountLedger(*session); }
    // Every figure the recomputation writes, in a fixed order.
    std::vector<double> figures() {
        std::vector<double> out;
        for (const auto& p : state::SessionTestAccess::orderBook(*session).OpenOrderCollection())
            out.insert(out.end(), {p->FloatingPL, p->UnrealisedPL});
        for (const auto& [id, a] : ref().AccountDetailCollection())
            out.insert(out.end(), {a->UnrealisedPL, a->Leverage, a->Equity, a->AvailableMargin});
        return out;
    }

    testing::RecordingUi ui;
    std::vector<std::string> feed;
    int equityRequests = 0;
    std::shared_ptr<BusinessBase> session;
};

TEST_F(LedgerTest, TradingStatusChangesSubscribeUnsubscribeOrAskForPrices) {
    struct Case {
        int accounts;
        std::vector<int> codes;
        std::vector<std::string> feed;
        int status, previous, equityRequests;
    };
    const Case cases[] = {
        {1, {814}, {"subscribe"}, 1, 1, 0},  // the first summary subscribes
        {1, {819, 819}, {"unsubscribe"}, 6, 6, 0},
        {1, {816}, {"unsubscribe"}, 3, 3, 0},
        {2, {816}, {}, 3, 3, 0},
        {1, {815, 818}, {"subscribe"}, 0, 2, 0},
        {1, {825, 825}, {}, 5, 5, 1},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        auto a = account(1001);
        if (c.accounts == 2) account(1002);
        for (int code : c.codes) summary({"34=1001", "24=" + std::to_string(code)});
        summary({"34=2001", "24=819"});  // another user's account: ignored
        EXPECT_EQ(feed, c.feed) << c.codes[0];
        EXPECT_EQ(std::tuple(a->tradingStatus, a->previoustradingStatus), std::tuple(c.status, c.previous)) << c.codes[0];
        EXPECT_EQ(equityRequests, c.equityRequests) << c.codes[0];
    }
}

TEST_F(LedgerTest, MarginCallIsAnnouncedOnEachChangeToTwo) {
    account(1001);
    for (int status : {1, 2, 2, 3, 2}) summary({"34=1001", "129=" + std::to_string(status)});
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_NE(ui.banners[0].subtitle.find("1001"), std::string::npos);
}

TEST_F(LedgerTest, FloatingProfitByCalculationMode) {
    // mode, decimals, point, quantity, opened at, valued at, buy, sell; contract size 100.
    const std::tuple<int, int, double, double, double, double, double, double> cases[] = {
        {1, 0, 0, 2, 1.5, 1.75, 50, -50},   {0, 0, 0, 2, 1.5, 1.75, 50, -50}, {-3, 0, 0, 2, 1.5, 1.75, 50, -50},
        {2, 0, 0, 1, 2, 4, -25, 25},        {2, 0, 0, 1, 0, 4, 0, 0},         {3, 2, 1, 3, 10.5, 10.25, -75, 75},
        {3, 0, 1, 1, 1.5, 1, -1, 1},        {4, 0, 0, 1, 2, 4, 50, -50},      {4, 0, 0, 1, 2, 0, 0, 0},
        {6, 0, 0, 2, 1.5, 1.75, 50, -50},   {7, 0, 0, 2, 1.5, 1.75, 0, 0},    {1, 0, 0, 0, 1.5, 1.75, 0, 0},
    };
    for (const auto& [mode, decimals, point, q, o, c, buy, sell] : cases) {
        ItemDetails i;
        i.PLCalcModeId = mode;
        i.ContractSize = 100;
        i.DecimalPlaces = decimals;
        i.Point = point;
        EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&i, Order::kBuy, q, o, c), buy) << mode;
        EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&i, Order::kSell, q, o, c), sell) << mode;
    }
    // Mode 5 multiplies by the conversion instrument's mid; a vanished one counts as absent.
    ItemDetails i;
    i.PLCalcModeId = 5;
    i.ContractSize = 100;
    auto quote = std::make_shared<ItemDetails>();
    quote->Bid = 1.5;
    quote->Ask = 2.5;
    i.CalculationItems = quote;
    EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&i, Order::kSell, 2, 1.75, 1.5), 100);
    quote.reset();
    EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&i, Order::kSell, 2, 1.75, 1.5), 50);
}

TEST_F(LedgerTest, ConversionIntoTheAccountCurrency) {
    auto currency = std::make_shared<model::TradeCurrency>();
    currency->instrumentID = 9;
    currency->bidRate = 2;
    currency->askRate = 4;
    account(1001)->tradeCurrency = currency;
    item(9, "EURUSD", 1.25)->Ask = 1.5;
    Order p;
    p.AccountNumber = "1001";
    // mode, direct, value, result
    const std::tuple<int, bool, double, double> cases[] = {
        {3, false, -50, -75}, {3, false, 50, 62.5}, {3, true, -50, -50 / 1.5}, {3, true, 50, 40},
        {1, false, 10, 12.5}, {2, false, 10, 15},   {5, false, 10, 13.75},     {4, false, -10, -40},
        {0, false, 10, 10},   {9, false, 10, 10},   {3, false, 0, 0},
    };
    for (const auto& [mode, direct, value, result] : cases) {
        currency->conversionMode = mode;
        currency->isDirect = direct;
        EXPECT_DOUBLE_EQ(state::viewOf(*session).calculateCurrencyConversionForValue(value, p), result) << mode;
    }
    // Without the conversion instrument only the fixed rates convert.
    state::ReferenceDataTestAccess::ItemCollection(ref()).erase("EURUSD");
    currency->isDirect = false;
    for (auto [mode, result] : {std::pair{1, 10.0}, std::pair{3, 10.0}, std::pair{4, 20.0}}) {
        currency->conversionMode = mode;
        EXPECT_DOUBLE_EQ(state::viewOf(*session).calculateCurrencyConversionForValue(10, p), result) << mode;
    }
    EXPECT_DOUBLE_EQ(ProfitLoss::currencyConversion(10, 0, 1), 10);
    EXPECT_DOUBLE_EQ(ProfitLoss::currencyConversion(10, 0, 0), 0);
}

TEST_F(LedgerTest, RecalculationGivesTheAccountFigures) {
    for (auto [lossShare, equity] : {std::pair{100, 795.0}, std::pair{50, 895.0}}) {
        TearDown();
        SetUp();
        group("10")->RevLeverageOnFLoss = lossShare;
        auto a = account(1001), idle = account(1002);
        a->Balance = 1000;
        a->AccumulatingStorage = -5;
        a->UsedMargin = 100;
        item(1, "GOLD", 1.0);
        auto p = buy("1001", "GOLD");
        state::commandsOf(*session).recalculateAccounts();
        EXPECT_DOUBLE_EQ(p->UnrealisedPL, -200);
        EXPECT_EQ(std::tuple(a->UnrealisedPL, a->Equity, a->AvailableMargin), std::tuple(-200.0, equity, equity - 100));
        EXPECT_EQ(std::tuple(idle->UnrealisedPL, idle->Leverage), std::tuple(0.0, 0.0));
        a->Equity = 0;  // the deposit window's computation agrees
        state::commandsOf(*session).calculateAccountDetails(*a);
        EXPECT_DOUBLE_EQ(a->Equity, equity);
    }
}

// Positions of several accounts, in any order, each count in their own account's figure.
TEST_F(LedgerTest, RecalculationSumsEachAccountsPositions) {
    group("10");
    auto a = account(1001), b = account(1002);
    item(1, "GOLD", 1.0);
    item(2, "SILVER", 3.0);
    item(3, "BRONZE", 2.5);
    const struct {
        const char* account;
        const char* code;
    } positions[] = {{"1001", "GOLD"}, {"1002", "SILVER"}, {"9999", "GOLD"}, {"1001", "BRONZE"}, {"1002", "BRONZE"}};
    for (const auto& p : positions) buy(p.account, p.code);
    state::commandsOf(*session).recalculateAccounts();
    // GOLD -200, SILVER +200, BRONZE +100 each.
    EXPECT_EQ(std::tuple(a->UnrealisedPL, b->UnrealisedPL), std::tuple(-100.0, 300.0));
}

// Instruments, conversions and positions that the two tests below share.
class ChangedRecomputationTest : public LedgerTest {
protected:
    void SetUp() override {
        LedgerTest::SetUp();
        group("10")->RevLeverageOnFLoss = 50;
        group("10")->LeverageOnFProfit = 25;
        for (int id : {1001, 1002, 1003}) account(id)->Balance = 1000;
        auto currency = std::make_shared<model::TradeCurrency>();
        currency->instrumentID = 9;
        currency->conversionMode = 3;  // gains at the bid, losses at the ask
        ref().AccountDetailCollection().find("1002")->get()->tradeCurrency = currency;
        item(1, "GOLD", 1.0)->Ask = 1.1;
        item(2, "SILVER", 3.0)->Ask = 3.1;
        item(3, "OIL", 2.5)->Ask = 2.6;
        item(9, "EURUSD", 1.2)->Ask = 1.3;
        auto base = item(8, "BASE", 2.0);
        base->Ask = 2.2;
        auto silver = ref().ItemCollection().find("SILVER")->get();
        silver->PLCalcModeId = 5;  // reads BASE's mid
        silver->CalculationItems = base;
        item(7, "UNHELD", 1.0);
        const struct {
            const char* account;
            const char* code;
        } held[] = {{"1001", "GOLD"}, {"1002", "GOLD"}, {"1001", "SILVER"}, {"1002", "OIL"}, {"1003", "OIL"}, {"9999", "OIL"}};
        for (const auto& h : held) positions.push_back(buy(h.account, h.code).get());
    }
    std::vector<const Order*> positions;
};

TEST_F(ChangedRecomputationTest, ATickRecomputesOnlyItsPositionsAndAccounts) {
    struct Case {
        const char* name;
        std::function<void()> change;
        std::vector<int> positions;       // indexes into `positions`
        std::vector<std::string> accounts;
    };
    const Case cases[] = {
        {"nothing moved", [] {}, {}, {}},
        {"its own instrument", [&] { tick("GOLD", 12, 13); }, {0, 1}, {"1001", "1002"}},
        {"twice, one recomputation", [&] { tick("GOLD", 12, 13), tick("GOLD", 14, 15); }, {0, 1}, {"1001", "1002"}},
        {"an account's conversion", [&] { tick("EURUSD", 11, 12); }, {1, 3}, {"1002"}},
        {"a calculation instrument", [&] { tick("BASE", 21, 23); }, {2}, {"1001"}},
        {"no account held", [&] { tick("OIL", 27, 28); }, {3, 4, 5}, {"1002", "1003"}},
        {"no position reads it", [&] { tick("UNHELD", 27, 28); }, {}, {}},
        {"an account summary", [&] { summary({"34=1003", "560=1500"}); }, {4}, {"1003"}},
    };
    for (const Case& c : cases) {
        ledger().recalculateAccounts();
        const std::uint64_t before = ledger().lastRecomputed().revision;
        c.change();
        ledger().recalculateChangedAccounts();
        const RecomputedFigures& done = ledger().lastRecomputed();
        std::vector<const Order*> expectedPositions;
        for (int at : c.positions) expectedPositions.push_back(positions[std::size_t(at)]);
        std::vector<std::string> accounts;
        for (const AccountDetails* a : done.accounts) accounts.push_back(std::to_string(a->AccountId));
        EXPECT_FALSE(done.all) << c.name;
        EXPECT_EQ(done.positions, expectedPositions) << c.name;
        EXPECT_EQ(accounts, c.accounts) << c.name;
        EXPECT_EQ(done.revision, before + (c.positions.empty() && c.accounts.empty() ? 0 : 1)) << c.name;
    }
    // A change of the open positions recomputes them all.
    ledger().recalculateChangedAccounts();
    buy("1003", "GOLD");
    ledger().recalculateChangedAccounts();
    EXPECT_TRUE(ledger().lastRecomputed().all);
}

// Accounts converting at one instrument are all reached by its tick, each with all its positions.
TEST_F(LedgerTest, ATickReachesEveryAccountConvertingAtIt) {
    group("10");
    item(1, "GOLD", 1.0);
    item(9, "EURUSD", 1.2);
    item(8, "GBPUSD", 1.5);
    // account, conversion instrument (0: none), positions
    const std::tuple<int, int, int> accounts[] = {{1001, 9, 2}, {1002, 8, 1}, {1003, 9, 3}, {1004, 0, 1}};
    std::vector<const Order*> byEurUsd;
    for (const auto& [id, conversion, count] : accounts) {
        account(id)->Balance = 1000;
        if (conversion != 0) {
            auto currency = std::make_shared<model::TradeCurrency>();
            currency->instrumentID = conversion;
            currency->conversionMode = 3;
            account(id)->tradeCurrency = currency;
        }
        for (int p = 0; p < count; ++p) {
            const Order* held = buy(std::to_string(id), "GOLD").get();
            if (conversion == 9) byEurUsd.push_back(held);
        }
    }
    ledger().recalculateAccounts();
    tick("EURUSD", 11, 12);
    ledger().recalculateChangedAccounts();
    EXPECT_EQ(ledger().lastRecomputed().positions, byEurUsd);
    std::vector<std::int32_t> reached;
    for (const AccountDetails* a : ledger().lastRecomputed().accounts) reached.push_back(a->AccountId);
    EXPECT_EQ(reached, (std::vector<std::int32_t>{1001, 1003}));
}

// The index's table of instruments, sized from the positions, grows past
// that (calculation instruments) and fits itself (many positions of a few).
TEST_F(LedgerTest, ATickFindsItsPositionsWhateverTheIndexsSize) {
    struct Case {
        const char* name;
        int positions;
        int instruments;    // position i holds instrument i % instruments
        int catalogue;      // instruments held or not
        bool calculations;  // each instrument reads one of its own
        bool heldNext = false;  // instead, instrument i reads held instrument i + 1
    };
    const Case cases[] = {
        {"one instrument", 300, 1, 1, false},
        {"a few of many", 300, 7, 400, false},
        {"each its own, read through another", 300, 300, 300, true},
        {"each read as its own and through its neighbour", 300, 7, 7, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        group("10");
        account(1001)->Balance = 1000;
        for (int i = 0; i < c.catalogue; ++i) {
            auto held = item(i + 1, "I" + std::to_string(i), 1.0);
            if (c.heldNext && i > 0) {
                ref().ItemCollection().find("I" + std::to_string(i - 1))->get()->PLCalcModeId = 5;
                ref().ItemCollection().find("I" + std::to_string(i - 1))->get()->CalculationItems = held;
            }
            if (!c.calculations) continue;
            held->PLCalcModeId = 5;
            held->CalculationItems = item(1000 + i, "C" + std::to_string(i), 2.0);
        }
        std::vector<const Order*> held;
        for (int p = 0; p < c.positions; ++p) held.push_back(buy("1001", "I" + std::to_string(p % c.instruments)).get());
        ledger().recalculateAccounts();
        for (int i = 0; i < c.instruments; i += std::max(1, c.instruments / 5)) {
            std::vector<const Order*> expected;
            for (int p = 0; p < c.positions; ++p)
                if (p % c.instruments == i || (c.heldNext && p % c.instruments == i - 1)) expected.push_back(held[std::size_t(p)]);
            tick((c.calculations ? "C" : "I") + std::to_string(i), 20, 21);
            ledger().recalculateChangedAccounts();
            EXPECT_EQ(ledger().lastRecomputed().positions, expected) << "instrument " << i;
        }
    }
}

TEST_F(ChangedRecomputationTest, ChangedRecomputationEqualsTheWholeOneOverRandomTicks) {
    const std::vector<std::string> codes = {"GOLD", "SILVER", "OIL", "EURUSD", "BASE", "UNHELD"};
    std::mt19937 random(86);
    std::uniform_int_distribution<int> price(5, 60), pick(0, int(codes.size()) - 1), count(0, 4), odds(0, 9);
    ledger().recalculateAccounts();
    for (int step = 0; step < 300; ++step) {
        for (int n = count(random); n > 0; --n) {
            const int bid = price(random);
            tick(codes[std::size_t(pick(random))], bid, bid + price(random) / 10);
        }
        if (odds(random) == 0) summary({"34=100" + std::to_string(1 + odds(random) % 3), "560=" + std::to_string(price(random))});
        ledger().recalculateChangedAccounts();
        const std::vector<double> changed = figures();
        ledger().recalculateAccounts();
        ASSERT_EQ(changed, figures()) << "step " << step;
    }
}

TEST_F(ChangedRecomputationTest, StepsKeepTheFiguresAsideTillTheLastAndEndAsOneGo) {
    struct Case {
        const char* name;
        std::size_t step;
        bool listChanges;  // between the first step and the next
        int steps;         // GOLD's two positions and OIL's three
    };
    for (const Case& c : {Case{"one a step", 1, false, 5}, Case{"two a step", 2, false, 3},
                          Case{"the list changes", 1, true, 2}}) {
        ledger().recalculateAccounts();
        tick("GOLD", 12, 13);
        tick("OIL", 27, 28);
        const std::uint64_t before = ledger().lastRecomputed().revision;
        EXPECT_FALSE(ledger().recalculateChangedAccountsStep(c.step)) << c.name;
        EXPECT_EQ(ledger().lastRecomputed().revision, before) << c.name;
        if (c.listChanges) buy("1003", "GOLD");
        int steps = 1;
        while (!ledger().recalculateChangedAccountsStep(c.step)) ++steps;
        EXPECT_EQ(steps + 1, c.steps) << c.name;
        EXPECT_EQ(ledger().lastRecomputed().all, c.listChanges) << c.name;
        EXPECT_EQ(ledger().lastRecomputed().positions.size(), c.listChanges ? 0u : 5u) << c.name;
        const std::vector<double> stepped = figures();
        ledger().recalculateAccounts();
        EXPECT_EQ(stepped, figures()) << c.name;
    }
}

// A step ends once its time is spent, whatever its count allows; the figures
// come out as one whole recomputation's.
TEST_F(ChangedRecomputationTest, AStepEndsOnceItsTimeIsSpent) {
    constexpr std::size_t kCheck = platform::SliceBudget::kItemsPerCheck;
    for (std::size_t i = 0; i < 2 * kCheck; ++i) buy("1001", "GOLD");  // with the fixture's two: two checks and two more
    struct Case {
        const char* name;
        bool timeRuns;
        int steps;
    };
    int bid = 12;
    for (const Case& c : {Case{"time stands", false, 1}, Case{"time runs", true, 3}}) {
        ledger().recalculateAccounts();
        ++bid;
        tick("GOLD", bid, bid + 1);
        if (c.timeRuns) platform::installClock(std::make_shared<::testing::SpentClock>());
        int steps = 1;
        while (!ledger().recalculateChangedAccountsStep(SIZE_MAX)) ++steps;
        platform::installClock(clock);
        EXPECT_EQ(steps, c.steps) << c.name;
        EXPECT_EQ(ledger().lastRecomputed().positions.size(), 2 * kCheck + 2) << c.name;
        const std::vector<double> stepped = figures();
        ledger().recalculateAccounts();
        EXPECT_EQ(stepped, figures()) << c.name;
    }
}

// A list longer than a slice's positions: the tick's whole recomputation
// follows its index, built over later slices (from the start again when the
// list changes meanwhile), with the same figures as the whole one.
TEST_F(ChangedRecomputationTest, ALongListIsRecomputedAfterItsIndexIsBuilt) {
    const std::vector<std::string> accounts = {"1001", "1002", "1003", "9999"}, codes = {"GOLD", "SILVER", "OIL"};
    for (std::size_t i = 0; i < AccountLedger::kDependentsStepPositions; ++i)
        buy(accounts[i % accounts.size()], codes[i % codes.size()]);
    // With time running, each slice ends at its first look at the clock: the ranges resume where it stopped.
    for (const auto& [listChanges, timeRuns] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
        ledger().recalculateAccounts();
        buy("1001", "GOLD");
        tick("GOLD", 12 + listChanges + 2 * timeRuns, 13 + listChanges + 2 * timeRuns);
        const std::vector<double> kept = figures();
        const std::uint64_t before = ledger().lastRecomputed().revision;
        ledger().recalculateChangedAccounts();
        EXPECT_EQ(figures(), kept) << listChanges;
        EXPECT_EQ(ledger().lastRecomputed().revision, before) << listChanges;
        if (listChanges) buy("1002", "OIL");
        if (timeRuns) platform::installClock(std::make_shared<::testing::SpentClock>());
        loop->runUntilIdle();
        platform::installClock(clock);
        EXPECT_TRUE(ledger().lastRecomputed().all) << listChanges;
        EXPECT_EQ(ledger().lastRecomputed().revision, before + 1) << listChanges;
        const std::vector<double> spread = figures();
        ledger().recalculateAccounts();
        EXPECT_EQ(spread, figures()) << listChanges;
        EXPECT_NE(spread, kept) << listChanges;
    }
}

// A fill that holds the messages changes the list every slice: a build it
// changes stops till the next recalculation instead of starting again each slice.
TEST_F(ChangedRecomputationTest, ABuildAFillChangesWaitsForTheNextTurn) {
    for (std::size_t i = 0; i < AccountLedger::kDependentsStepPositions; ++i) buy("1001", "GOLD");
    ledger().recalculateAccounts();
    const std::uint64_t before = ledger().lastRecomputed().revision;
    buy("1002", "OIL");
    ledger().recalculateChangedAccounts();  // the build's first range is posted
    state::SessionServices& services = state::servicesOf(*session);
    services.holdMessages();
    buy("1003", "OIL");
    loop->runUntilIdle();
    EXPECT_EQ(ledger().lastRecomputed().revision, before);
    services.releaseMessages();
    ledger().recalculateChangedAccounts();
    loop->runUntilIdle();
    EXPECT_EQ(ledger().lastRecomputed().revision, before + 1);
    const std::vector<double> stepped = figures();
    ledger().recalculateAccounts();
    EXPECT_EQ(stepped, figures());
}

// A long list's whole recomputation takes later slices, its index's and then
// its positions'. A tick in either is not lost, the changed recomputation
// waits meanwhile, and the figures are published once, after the last.
TEST_F(ChangedRecomputationTest, ATickWhileALongListIsRecomputedIsKept) {
    const std::vector<std::string> accounts = {"1001", "1002", "1003", "9999"}, codes = {"GOLD", "SILVER", "OIL"};
    for (std::size_t i = 0; i < AccountLedger::kRecomputeStepPositions; ++i)
        buy(accounts[i % accounts.size()], codes[i % codes.size()]);
    Order& first = *state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session))[0];
    ASSERT_EQ(first.ItemCode, "GOLD");
    struct Case {
        const char* name;
        bool afterFirstRange;  // the tick comes once the first range of positions is recomputed, else in the index's build
    };
    int bid = 12;
    for (const Case& c : {Case{"while the index is built", false}, Case{"between the positions' ranges", true}}) {
        ledger().recalculateAccounts();
        buy("1001", "OIL");
        ledger().recalculateChangedAccounts();
        const std::uint64_t before = ledger().lastRecomputed().revision;
        first.FloatingPL = std::nan("");  // written by the first range
        bool ticked = false;
        std::function<void()> probe = [&] {
            if (ledger().lastRecomputed().revision != before) return;
            if (c.afterFirstRange == std::isnan(first.FloatingPL)) return loop->post(probe);
            bid += 2;
            tick("GOLD", bid, bid + 1);
            ticked = true;
            ledger().recalculateChangedAccounts();
            EXPECT_EQ(ledger().lastRecomputed().revision, before) << c.name;
        };
        loop->post(probe);
        loop->runUntilIdle();
        ASSERT_TRUE(ticked) << c.name;
        EXPECT_TRUE(ledger().lastRecomputed().all) << c.name;
        EXPECT_EQ(ledger().lastRecomputed().revision, before + 1) << c.name;
        ledger().recalculateChangedAccounts();
        const std::vector<double> stepped = figures();
        ledger().recalculateAccounts();
        EXPECT_EQ(stepped, figures()) << c.name;
    }
}

TEST_F(LedgerTest, SelectedAccountChangesThroughItsOperationOnTheMainThread) {
    auto a = account(1001);
    account(1002);
    SessionCommands& commands = *session;
    const SessionView& view = *session;
    EXPECT_EQ(view.selectedAccount(), nullptr);
    commands.setCurrentAccountSelected(1001);
    EXPECT_EQ(view.currentAccountSelected(), 1001);
    EXPECT_EQ(view.selectedAccount(), a);
    commands.setCurrentAccountSelected(7);  // unknown: no record
    EXPECT_EQ(view.selectedAccount(), nullptr);
#if !defined(NDEBUG) && !defined(__SANITIZE_THREAD__)  // ThreadSanitizer refuses threads in a forked child
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(std::thread([&] { commands.setCurrentAccountSelected(1002); }).join(), "main thread only");
#endif
}

TEST_F(LedgerTest, SpreadsSettleOnePerInstrument) {
    struct Terms {
        int type, bid, ask;
    };
    struct Case {
        const char* name;
        std::vector<std::optional<Terms>> groups;  // one account each; nullopt: no group
        int type, bidSpread, askSpread;
        double bid, ask;
        const char* key = "1";  // the groups' key of the instrument
    };
    const Case cases[] = {
        {"one group", {Terms{1, 1, 3}}, 1, 1, 3, 10.5, 12.5},
        {"agreeing", {Terms{1, 1, 3}, Terms{1, 1, 3}}, 1, 1, 3, 10.5, 12.5},
        {"other type", {Terms{1, 1, 3}, Terms{3, 1, 3}}, 4, 0, 0, 10, 12},
        {"other spread", {Terms{1, 1, 3}, Terms{1, 2, 3}, Terms{1, 1, 3}}, 4, 0, 0, 10, 12},
        {"ignored", {std::nullopt, Terms{4, 1, 1}, Terms{0, 1, 1}}, 0, 0, 0, 10, 12},
        {"missing first", {std::nullopt, Terms{3, 1, 3}}, 3, 1, 3, 9.5, 13.5},
        {"key not the id's text", {Terms{1, 1, 3}, Terms{1, 1, 3}}, 0, 0, 0, 10, 12, "01"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        auto gold = item(1, "GOLD", 10);
        gold->priceTick = 0.5;
        gold->Ask = 12;
        gold->PrevClose = 7;
        int n = 0;
        for (const auto& terms : c.groups) {
            std::string id = "G";  // appended: GCC 12 at -O3 wrongly sees overlap (-Wrestrict) in "G" + string
            id += std::to_string(++n);
            account(1000 + n, id);
            if (!terms) continue;
            auto gi = std::make_shared<model::GroupInstruments>();
            gi->SpreadTypeId = terms->type;
            gi->SpreadBid = terms->bid;
            gi->SpreadAsk = terms->ask;
            group(id)->GroupInstrumentCollection[c.key] = gi;
        }
        state::SessionTestAccess::accountLedger(*session).SetAllSymbolsSpread();
        EXPECT_EQ(std::tuple(gold->Spreadtype, gold->BidSpread, gold->AskSpread),
                  std::tuple(c.type, c.bidSpread, c.askSpread))
            << c.name;
        EXPECT_EQ(std::tuple(gold->Bid, gold->Ask, gold->PrevClose), std::tuple(c.bid, c.ask, 7.0)) << c.name;
    }
}

// Accounts that share a group count that group once, wherever it comes again;
// a pass by ranges (a login fill spread over slices) settles the same spreads.
TEST_F(LedgerTest, SpreadsOfASharedGroupCountOnce) {
    struct Case {
        const char* name;
        int secondType;  // the other group's spread type (the shared one's is fixed, 1 / 1 / 3)
        int type, bidSpread, askSpread;
    };
    const Case cases[] = {
        {"agreeing", 1, 1, 1, 3},
        {"other type in between", 3, 4, 0, 0},
        {"other group ignored", 0, 1, 1, 3},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        auto gold = item(1, "GOLD", 10);
        auto silver = item(2, "SILVER", 10);
        account(1001, "G1");
        account(1002, "G2");
        account(1003, "G1");
        const std::pair<const char*, int> types[] = {{"G1", 1}, {"G2", c.secondType}};
        for (const auto& [id, type] : types) {
            auto gi = std::make_shared<model::GroupInstruments>();
            gi->SpreadTypeId = type;
            gi->SpreadBid = 1;
            gi->SpreadAsk = 3;
            const auto terms = group(id);
            terms->GroupInstrumentCollection["1"] = gi;
            terms->GroupInstrumentCollection["2"] = gi;
        }
        state::SessionTestAccess::accountLedger(*session).SetAllSymbolsSpread(0, 1);
        state::SessionTestAccess::accountLedger(*session).SetAllSymbolsSpread(1, 2);
        for (const auto& instrument : {gold, silver})
            EXPECT_EQ(std::tuple(instrument->Spreadtype, instrument->BidSpread, instrument->AskSpread),
                      std::tuple(c.type, c.bidSpread, c.askSpread))
                << c.name << " " << instrument->Code;
    }
}

// Groups read ahead by parts (a login fill spread over slices) settle what a
// whole pass settles, also when a group changed after they were read.
TEST_F(LedgerTest, SpreadGroupsReadAheadSettleAsAWholePass) {
    enum class Change { None, EntryAdded, GroupReplaced };
    struct Case {
        const char* name;
        std::size_t perRead;
        int reads;
        Change change;
    };
    const Case cases[] = {
        {"read at once", 100, 1, Change::None},
        {"an entry a read", 1, 10, Change::None},
        {"read in part", 1, 3, Change::None},
        {"entry added after reading", 1, 10, Change::EntryAdded},
        {"group replaced after reading", 2, 10, Change::GroupReplaced},
    };
    using Spreads = std::vector<std::tuple<int, int, int>>;
    const auto terms = [](int type, int bid) {
        auto gi = std::make_shared<model::GroupInstruments>();
        gi->SpreadTypeId = type;
        gi->SpreadBid = bid;
        gi->SpreadAsk = 3;
        return gi;
    };
    const auto settle = [&](const Case& c, bool ahead) {
        TearDown();
        SetUp();
        std::vector<std::shared_ptr<ItemDetails>> items;
        for (int id = 1; id <= 4; ++id) items.push_back(item(id, "I" + std::to_string(id), 10));
        account(1001, "G1");
        account(1002, "G2");
        const auto g1 = group("G1");
        for (const char* key : {"1", "2", "3", "4"}) g1->GroupInstrumentCollection[key] = terms(1, 1);
        const auto g2 = group("G2");
        g2->GroupInstrumentCollection["2"] = terms(3, 1);
        auto& ledger = state::SessionTestAccess::accountLedger(*session);
        if (ahead)
            for (int n = 0; n < c.reads; ++n)
                if (!ledger.readSpreadGroups(c.perRead)) break;
        if (c.change == Change::EntryAdded) g2->GroupInstrumentCollection["1"] = terms(3, 1);
        if (c.change == Change::GroupReplaced) group("G2")->GroupInstrumentCollection["3"] = terms(1, 2);
        if (ahead) {
            ledger.SetAllSymbolsSpread(0, 2);
            ledger.SetAllSymbolsSpread(2, 4);
        } else {
            ledger.SetAllSymbolsSpread();
        }
        Spreads out;
        for (const auto& i : items) out.emplace_back(i->Spreadtype, i->BidSpread, i->AskSpread);
        return out;
    };
    for (const Case& c : cases) {
        const Spreads whole = settle(c, false);
        EXPECT_EQ(settle(c, true), whole) << c.name;
    }
}

}  // namespace
}  // namespace state
