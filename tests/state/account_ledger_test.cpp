// Account summaries, spreads, profit and loss and the per-second recomputation.
#include "state/account_ledger.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/equity_hit_price_infos.h"
#include "model/group_details.h"
#include "model/trade_currency.h"
#include "model/user_info.h"
#include "platform/test_env.h"
#include "state/business_base.h"
#include "state/recording_ui_services.h"

namespace state {
namespace {

using Fields = std::vector<std::string>;
using model::AccountDetails;
using model::ItemDetails;
using model::Order;

struct Calls {
    std::vector<std::string> feed;
    std::vector<std::string> requests;
};

class RecordingFeed : public FeedChannels {
public:
    RecordingFeed(BusinessBase& s, Calls& c) : FeedChannels(s), c_(c) {}
    void ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>&, bool subscribe) override {
        c_.feed.push_back(subscribe ? "subscribe" : "unsubscribe");
    }

private:
    Calls& c_;
};

class LedgerTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        SessionParts parts;
        parts.feedChannels = [this](BusinessBase& s) { return std::make_unique<RecordingFeed>(s, calls); };
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            calls.requests.push_back(r.message);
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        ref().userInfo = std::make_shared<model::UserInfo>();
    }
    void TearDown() override {
        session.reset();
        FakeTimeTest::TearDown();
    }
    ReferenceData& ref() { return session->referenceData(); }
    std::shared_ptr<AccountDetails> addAccount(int id, const std::string& group = "10") {
        auto a = std::make_shared<AccountDetails>();
        a->AccountId = id;
        a->GroupId = group;
        ref().AccountDetailCollection.set(std::to_string(id), a);
        return a;
    }
    std::shared_ptr<model::GroupDetails> addGroup(const std::string& id) {
        auto g = std::make_shared<model::GroupDetails>();
        ref().GroupDetailCollection.set(id, g);
        return g;
    }
    std::shared_ptr<ItemDetails> addItem(int id, const std::string& code, int mode = 1, double cs = 100) {
        auto i = std::make_shared<ItemDetails>();
        i->InstrumentId = id;
        i->Code = code;
        i->PLCalcModeId = mode;
        i->ContractSize = cs;
        ref().ItemCollection.set(code, i);
        return i;
    }
    std::shared_ptr<Order> addPosition(const std::string& account, const std::string& code, int side, const char* qty,
                                       const char* price) {
        auto p = std::make_shared<Order>();
        p->OpenPositionId = "P" + std::to_string(session->orderBook().OpenOrderCollection.size() + 1);
        p->AccountNumber = account;
        p->ItemCode = code;
        p->tradingMode = side;
        p->RemainingQty = qty;
        p->OrderPrice = price;
        session->orderBook().OpenOrderCollection.push_back(p);
        return p;
    }
    void summary(Fields fields) {
        fields.insert(fields.begin(), "10=1045");
        IncomingMessage m;
        m.fields = std::move(fields);
        m.type = 1045;
        session->checkNewMessage(std::move(m));
        loop->runUntilIdle();
    }
    int equityHitRequests() const {
        int n = 0;
        for (const auto& r : calls.requests) n += r.find("getequityhitpriceinfo") != std::string::npos;
        return n;
    }

    testing::RecordingUi ui;
    Calls calls;
    std::shared_ptr<BusinessBase> session;
};

// --- Account summaries -----------------------------------------------------------

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
        {1, {817, 12345}, {"subscribe"}, 0, 4, 0},
        {1, {825, 825}, {}, 5, 5, 1},
    };
    for (const Case& c : cases) {
        TearDown();
        calls = {};
        SetUp();
        auto a = addAccount(1001);
        if (c.accounts == 2) addAccount(1002);
        for (int code : c.codes) summary({"34=1001", "24=" + std::to_string(code)});
        EXPECT_EQ(calls.feed, c.feed) << c.codes[0];
        EXPECT_EQ(a->tradingStatus, c.status) << c.codes[0];
        EXPECT_EQ(a->previoustradingStatus, c.previous) << c.codes[0];
        EXPECT_EQ(equityHitRequests(), c.equityRequests) << c.codes[0];
    }
}

TEST_F(LedgerTest, MarginCallIsAnnouncedOnEachChangeToTwo) {
    auto a = addAccount(1001);
    for (int status : {1, 2, 2, 3, 2}) summary({"34=1001", "129=" + std::to_string(status)});
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_NE(ui.banners[0].subtitle.find("1001"), std::string::npos);
    EXPECT_EQ(a->accountMarginStatus, 2);
    EXPECT_EQ(a->previousaccountMarginStatus, 2);
}

TEST_F(LedgerTest, SummaryWritesFiguresOfHeldAccountsOnly) {
    auto a = addAccount(1001);
    summary({"34=1001", "560=1000.5", "84=100", "85=x", "130=900", "141=-5", "144=7", "120=3", "132=2"});
    EXPECT_DOUBLE_EQ(a->Balance, 1000.5);
    EXPECT_DOUBLE_EQ(a->UsedMargin, 100);
    EXPECT_DOUBLE_EQ(a->AvailableMargin, 0);
    EXPECT_DOUBLE_EQ(a->Equity, 900);
    EXPECT_DOUBLE_EQ(a->AccumulatingStorage, -5);
    EXPECT_DOUBLE_EQ(a->CollateralSecurity, 7);
    // Another user's account, or none at all: ignored.
    summary({"34=2001", "560=1", "24=819"});
    summary({"560=2", "24=819"});
    EXPECT_DOUBLE_EQ(a->Balance, 1000.5);
    EXPECT_TRUE(calls.feed.empty());
    EXPECT_EQ(ref().AccountDetailCollection.size(), 1u);
}

// --- Profit and loss ------------------------------------------------------------

TEST_F(LedgerTest, FloatingProfitByCalculationMode) {
    struct Case {
        int mode;
        int decimals;
        double point, q, o, c;
        double buy, sell;
    };
    const Case cases[] = {
        {1, 0, 0, 2, 1.5, 1.75, 50, -50},
        {0, 0, 0, 2, 1.5, 1.75, 50, -50},  // below 1 counts as 1
        {-3, 0, 0, 2, 1.5, 1.75, 50, -50},
        {2, 0, 0, 1, 2, 4, -25, 25},
        {2, 0, 0, 1, 0, 4, 0, 0},
        {3, 2, 1, 3, 10.5, 10.25, -75, 75},
        {3, 0, 1, 1, 1.5, 1, -1, 1},  // 0.5 rounds away from zero
        {4, 0, 0, 1, 2, 4, 50, -50},
        {4, 0, 0, 1, 2, 0, 0, 0},
        {6, 0, 0, 2, 1.5, 1.75, 50, -50},  // no conversion instrument: divided by 1
        {7, 0, 0, 2, 1.5, 1.75, 0, 0},
        {1, 0, 0, 0, 1.5, 1.75, 0, 0},
    };
    for (const Case& c : cases) {
        ItemDetails item;
        item.PLCalcModeId = c.mode;
        item.ContractSize = 100;
        item.DecimalPlaces = c.decimals;
        item.Point = c.point;
        EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&item, Order::kBuy, c.q, c.o, c.c), c.buy) << c.mode;
        EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&item, Order::kSell, c.q, c.o, c.c), c.sell) << c.mode;
    }
    EXPECT_EQ(BusinessBase::CalculateFloatingPL(nullptr, Order::kSell, 1, 2, 1), 0);

    // Mode 5 multiplies by the conversion instrument's mid; a vanished one counts as absent.
    ItemDetails item;
    item.PLCalcModeId = 5;
    item.ContractSize = 100;
    auto quote = std::make_shared<ItemDetails>();
    quote->Bid = 1.5;
    quote->Ask = 2.5;
    item.CalculationItems = quote;
    EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&item, Order::kSell, 2, 1.75, 1.5), 100);
    quote.reset();
    EXPECT_DOUBLE_EQ(BusinessBase::CalculateFloatingPL(&item, Order::kSell, 2, 1.75, 1.5), 50);
}

TEST_F(LedgerTest, ConversionIntoTheAccountCurrency) {
    auto a = addAccount(1001);
    auto currency = std::make_shared<model::TradeCurrency>();
    currency->instrumentID = 9;
    currency->bidRate = 2;
    currency->askRate = 4;
    a->tradeCurrency = currency;
    auto x = addItem(9, "EURUSD");
    x->Bid = 1.25;
    x->Ask = 1.5;
    Order p;
    p.AccountNumber = "1001";
    struct Case {
        std::int64_t mode;
        bool direct;
        double value, expected;
    };
    const Case cases[] = {
        {3, false, -50, -75},         {3, false, 50, 62.5},  {3, true, -50, -50 / 1.5},
        {3, true, 50, 40},            {1, false, 10, 12.5},  {2, false, 10, 15},
        {5, false, 10, 13.75},        {4, false, 10, 20},    {4, false, -10, -40},
        {0, false, 10, 10},           {9, false, 10, 10},    {3, false, 0, 0},
    };
    for (const Case& c : cases) {
        currency->conversionMode = c.mode;
        currency->isDirect = c.direct;
        EXPECT_DOUBLE_EQ(session->calculateCurrencyConversionForValue(c.value, p), c.expected) << c.mode;
    }
    // Without the conversion instrument only the fixed rates convert.
    ref().ItemCollection.erase("EURUSD");
    currency->isDirect = false;
    for (auto [mode, expected] : {std::pair{1, 10.0}, std::pair{3, 10.0}, std::pair{4, 20.0}}) {
        currency->conversionMode = mode;
        EXPECT_DOUBLE_EQ(session->calculateCurrencyConversionForValue(10, p), expected) << mode;
    }
    EXPECT_DOUBLE_EQ(BusinessBase::currencyConversion(10, 0, 1), 10);
    EXPECT_DOUBLE_EQ(BusinessBase::currencyConversion(10, 0, 0), 0);
    EXPECT_DOUBLE_EQ(BusinessBase::calcCommission("10", "4", 25), 10);
}

TEST_F(LedgerTest, RecalculationGivesTheAccountFigures) {
    for (auto [lossShare, equity] : {std::pair{100, 795.0}, std::pair{50, 895.0}}) {
        TearDown();
        SetUp();
        addGroup("10")->RevLeverageOnFLoss = lossShare;
        auto a = addAccount(1001);
        a->Balance = 1000;
        a->AccumulatingStorage = -5;
        a->UsedMargin = 100;
        auto idle = addAccount(1002);
        addItem(1, "GOLD")->Bid = 1.0;
        auto p = addPosition("1001", "GOLD", Order::kBuy, "2", "2.0");
        session->recalculateAccounts();
        EXPECT_DOUBLE_EQ(p->UnrealisedPL, -200);
        EXPECT_DOUBLE_EQ(a->UnrealisedPL, -200);
        EXPECT_DOUBLE_EQ(a->Equity, equity);
        EXPECT_DOUBLE_EQ(a->AvailableMargin, equity - 100);
        EXPECT_DOUBLE_EQ(idle->UnrealisedPL, 0);
        EXPECT_DOUBLE_EQ(idle->Leverage, 0);
        // The deposit window's computation agrees.
        a->Equity = 0;
        session->calculateAccountDetails(*a);
        EXPECT_DOUBLE_EQ(a->Equity, equity);
    }
}

TEST_F(LedgerTest, EquityHitFiguresDoNotCompoundOverRefreshes) {
    addGroup("10")->LeverageOnFProfit = 100;
    auto a = addAccount(3001);
    auto currency = std::make_shared<model::TradeCurrency>();
    currency->conversionMode = model::TradeCurrency::kFixedRates;
    currency->bidRate = 2;
    currency->askRate = 2;
    a->tradeCurrency = currency;
    addItem(1, "GOLD")->Bid = 5.0;
    auto p = addPosition("3001", "GOLD", Order::kBuy, "2", "2.0");
    summary({"34=3001", "24=825", "130=4000", "560=5000"});
    model::EquityHitPriceInfos hit;
    hit.PositionId = p->OpenPositionId;
    hit.UnrealisedPL = 30;
    session->orderBook().SetEquityHitPriceInOrders(hit);
    for (int i = 0; i < 10; ++i) {
        session->recalculateAccounts();
        session->calculateAccountDetails(*a);
    }
    EXPECT_DOUBLE_EQ(p->UnrealisedPL, 60);
    EXPECT_DOUBLE_EQ(a->UnrealisedPL, 60);
    EXPECT_DOUBLE_EQ(a->Equity, 4000);
}

// --- Spreads ----------------------------------------------------------------------

TEST_F(LedgerTest, SpreadsSettleOnePerInstrument) {
    struct Terms {
        int type, bid, ask;
    };
    struct Case {
        const char* name;
        std::vector<std::optional<Terms>> groups;  // one account per group; nullopt: group missing
        int type, bidSpread, askSpread;
        double bid, ask;
    };
    const Case cases[] = {
        {"one group", {Terms{1, 1, 3}}, 1, 1, 3, 10.5, 12.5},
        {"agreeing", {Terms{1, 1, 3}, Terms{1, 1, 3}}, 1, 1, 3, 10.5, 12.5},
        {"other type", {Terms{1, 1, 3}, Terms{3, 1, 3}}, 4, 0, 0, 10, 12},
        {"other spread", {Terms{1, 1, 3}, Terms{1, 2, 3}, Terms{1, 1, 3}}, 4, 0, 0, 10, 12},
        {"ignored", {std::nullopt, Terms{4, 1, 1}, Terms{0, 1, 1}}, 0, 0, 0, 10, 12},
        {"missing first", {std::nullopt, Terms{3, 1, 3}}, 3, 1, 3, 9.5, 13.5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        auto item = addItem(1, "GOLD");
        item->priceTick = 0.5;
        item->Bid = 10;
        item->Ask = 12;
        item->PrevClose = 7;
        int n = 0;
        for (const auto& terms : c.groups) {
            const std::string group = "G" + std::to_string(++n);
            addAccount(1000 + n, group);
            if (!terms) continue;
            auto gi = std::make_shared<model::GroupInstruments>();
            gi->SpreadTypeId = terms->type;
            gi->SpreadBid = terms->bid;
            gi->SpreadAsk = terms->ask;
            addGroup(group)->GroupInstrumentCollection["1"] = gi;
        }
        session->SetAllSymbolsSpread();
        EXPECT_EQ(item->Spreadtype, c.type) << c.name;
        EXPECT_EQ(item->BidSpread, c.bidSpread) << c.name;
        EXPECT_EQ(item->AskSpread, c.askSpread) << c.name;
        EXPECT_DOUBLE_EQ(item->Bid, c.bid) << c.name;
        EXPECT_DOUBLE_EQ(item->Ask, c.ask) << c.name;
        EXPECT_DOUBLE_EQ(item->PrevClose, 7) << c.name;
    }
}

}  // namespace
}  // namespace state
