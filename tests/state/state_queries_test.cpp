// The lists and figures the windows read from the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "state/state_queries.h"

using namespace state;
namespace Q = state::Queries;

namespace {

class QueriesTest : public ::testing::Test {
protected:
    std::shared_ptr<model::AccountDetails> account(std::int32_t id, std::int32_t status, std::int32_t access,
                                                   const std::string& group = "G1") {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = id;
        a->tradingStatus = status;
        a->accountaccessType = access;
        a->GroupId = group;
        accounts.set(std::to_string(id), a);
        return a;
    }
    std::shared_ptr<model::Order> order(Orders& list, const std::string& accountNo, const std::string& code,
                                        const std::string& positionId = "", double pl = 0.0) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = accountNo;
        o->ItemCode = code;
        o->OpenPositionId = positionId;
        o->UnrealisedPL = pl;
        list.push_back(o);
        return o;
    }
    AccountMap accounts;
    GroupMap groups;
    Orders open, openCopy, pending, search;
};

}  // namespace

TEST(NaturalCompare, NumericAwareAndCaseInsensitive) {
    EXPECT_LT(Q::localizedStandardCompare("9", "10"), 0);
    EXPECT_LT(Q::localizedStandardCompare("file9.pdf", "File10.pdf"), 0);
    EXPECT_LT(Q::localizedStandardCompare("abc", "ABD"), 0);
    EXPECT_GT(Q::localizedStandardCompare("a100", "a99"), 0);
    EXPECT_LT(Q::localizedStandardCompare("a", "a1"), 0);
    EXPECT_EQ(Q::localizedStandardCompare("x", "x"), 0);
    EXPECT_LT(Q::localizedCompare("apple", "Banana"), 0);
    EXPECT_LT(Q::localizedCompare("room10", "room9"), 0);  // not numeric-aware
}

TEST_F(QueriesTest, OrderAndAccountVisibility) {
    account(1, 1, 1);
    account(6, 6, 1);   // Closed
    account(2, 2, 3);   // View Only, View Trade: listed
    account(4, 2, 4);   // View Market: hidden with its orders
    account(3, 3, 1);   // Suspended
    account(0, 0, 0);   // status 0: hidden account, visible orders
    order(open, "1", "XAU", "1");
    order(open, "6", "WTI", "2");
    order(open, "2", "DAX", "3");
    order(open, "4", "SPX", "4");
    order(open, "3", "NGS", "5");
    order(open, "0", "BRN", "6");
    order(open, "77", "CPR", "7");  // unknown account: kept

    auto codes = [](const Orders& l) {
        std::vector<std::string> c;
        for (auto& o : l) c.push_back(o->ItemCode);
        return c;
    };
    EXPECT_EQ(codes(Q::visibleOrders(open, accounts)), (std::vector<std::string>{"XAU", "DAX", "BRN", "CPR"}));
    // With every known account shown, orders of the others are kept too.
    AccountMap shown;
    for (const char* id : {"1", "2"}) shown.set(id, *accounts.find(id));
    EXPECT_EQ(codes(Q::visibleOrders(open, shown)), (std::vector<std::string>{"XAU", "WTI", "DAX", "SPX", "NGS", "BRN", "CPR"}));
    // The close-all question: whether any order of a list shows.
    Orders hidden{nullptr};
    for (const auto& o : open)
        if (!Q::isOrderVisible(accounts, *o)) hidden.push_back(o);
    EXPECT_TRUE(Q::anyVisible(open, accounts));
    EXPECT_FALSE(Q::anyVisible(hidden, accounts));
    EXPECT_EQ(codes(Q::executedOrders(false, search, open, openCopy, accounts)),
              (std::vector<std::string>{"XAU", "DAX", "BRN", "CPR"}));

    std::vector<std::int32_t> ids;
    for (auto& a : Q::accountCollection(accounts)) ids.push_back(a->AccountId);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2}));
    auto a5 = account(5, 5, 2);
    EXPECT_TRUE(Q::canShowAccount(*a5));
    a5->accountaccessType = 0;
    EXPECT_FALSE(Q::canShowAccount(*a5));
}

TEST_F(QueriesTest, AccountFiguresFromVisiblePositions) {
    auto g = std::make_shared<model::GroupDetails>();
    g->LeverageOnFProfit = 80;
    g->RevLeverageOnFLoss = 50;
    groups.set("G1", g);
    auto a = account(7, 1, 1);
    a->Balance = 1000;
    a->AccumulatingStorage = -10;
    a->CollateralSecurity = 0;
    a->UsedMargin = 300;
    order(open, "7", "XAU", "1", -150);
    order(open, "7", "WTI", "2", -50);
    order(open, "8", "WTI", "3", -999);  // another account

    Q::calcAccountDetails(7, accounts, groups, open);
    EXPECT_DOUBLE_EQ(a->UnrealisedPL, -200);
    EXPECT_DOUBLE_EQ(a->Leverage, -100);
    EXPECT_DOUBLE_EQ(a->Equity, 890);
    EXPECT_DOUBLE_EQ(a->AvailableMargin, 590);

    // Equity Hit keeps the stored equity.
    a->tradingStatus = 5;
    a->Equity = 700;
    Q::calcAccountDetails(7, accounts, groups, open);
    EXPECT_DOUBLE_EQ(a->Equity, 700);
    EXPECT_DOUBLE_EQ(a->AvailableMargin, 400);

    // A profit uses LeverageOnFProfit.
    a->tradingStatus = 1;
    open[0]->UnrealisedPL = 300;
    Q::calcAccountDetails(7, accounts, groups, open);
    EXPECT_DOUBLE_EQ(a->Leverage, 200);  // 80 % of 250
    EXPECT_DOUBLE_EQ(a->Equity, 1190);

    // Closed account: its positions are hidden, so they do not count.
    a->tradingStatus = 6;
    Q::calcAccountDetails(7, accounts, groups, open);
    EXPECT_DOUBLE_EQ(a->UnrealisedPL, 0);

    // Unknown group: leverage 0. Unknown account: nothing changes.
    a->tradingStatus = 1;
    a->GroupId = "none";
    Q::calcAccountDetails(7, accounts, groups, open);
    EXPECT_DOUBLE_EQ(a->Leverage, 0);
    EXPECT_DOUBLE_EQ(a->Equity, 990);
    Q::calcAccountDetails(99, accounts, groups, open);
}

TEST_F(QueriesTest, ExecutedListSortsPositionIdsNumerically) {
    order(open, "1", "A", "10");
    order(openCopy, "1", "B", "9");
    order(open, "1", "C", "100");
    auto l = Q::executedOrders(false, search, open, openCopy, accounts);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0]->OpenPositionId, "9");
    EXPECT_EQ(l[1]->OpenPositionId, "10");
    EXPECT_EQ(l[2]->OpenPositionId, "100");
    // One position by id, as the sorted list holds it first: open before the closed copies.
    order(openCopy, "1", "D", "10");
    EXPECT_EQ(Q::executedOrder(false, search, open, openCopy, accounts, "10")->ItemCode, "A");
    EXPECT_EQ(Q::executedOrder(false, search, open, openCopy, accounts, "9")->ItemCode, "B");
    EXPECT_EQ(Q::executedOrder(false, search, open, openCopy, accounts, "09"), nullptr);

    order(search, "6", "S", "2");
    order(search, "6", "T", "1");
    account(6, 6, 1);
    auto s = Q::executedOrders(true, search, open, openCopy, accounts);
    ASSERT_EQ(s.size(), 2u);  // the search answer as it is, hidden accounts and all
    EXPECT_EQ(s[0]->ItemCode, "T");
    EXPECT_EQ(Q::executedOrder(true, search, open, openCopy, accounts, "2")->ItemCode, "S");
    EXPECT_EQ(Q::executedOrder(true, search, open, openCopy, accounts, "10"), nullptr);
    EXPECT_EQ(search[0]->ItemCode, "S");  // stored list untouched
}

TEST_F(QueriesTest, ExecutedListSortsAsTheNaturalCompareDoes) {
    // Numbers with and without leading zeros, past 19 digits, mixed with letters, and repeated.
    const std::vector<std::string> forms{"7", "007", "10", "9", "0", "00", "", "18446744073709551615",
                                         "18446744073709551616", "99999999999999999999", "0099999999999999999999",
                                         "a7", "A7", "7a", "7 ", "x10y2", "x10y10", "12345678901234567890123"};
    std::uint32_t seed = 7;
    for (int n = 0; n < 600; ++n) {
        seed = seed * 1103515245u + 12345u;
        order(n % 3 ? open : openCopy, "1", std::to_string(n), forms[(seed >> 8) % forms.size()]);
    }
    Orders expected = Q::visibleOrders(open, accounts);
    for (const auto& o : Q::visibleOrders(openCopy, accounts)) expected.push_back(o);
    std::stable_sort(expected.begin(), expected.end(), [](const auto& x, const auto& y) {
        return Q::localizedStandardCompare(x->OpenPositionId, y->OpenPositionId) < 0;
    });
    EXPECT_EQ(Q::executedOrders(false, search, open, openCopy, accounts), expected);
}

TEST_F(QueriesTest, SortDescriptors) {
    order(open, "1", "b", "1");
    order(open, "2", "a", "2");
    order(open, "1", "a", "3");
    Q::sortOrders(open, std::nullopt);
    EXPECT_EQ(open[0]->OpenPositionId, "1");
    Q::sortOrders(open, std::vector<SortDescriptor>{{"ItemCode", true}, {"AccountNumber", false}});
    EXPECT_EQ(open[0]->OpenPositionId, "2");
    EXPECT_EQ(open[1]->OpenPositionId, "3");
    EXPECT_EQ(open[2]->OpenPositionId, "1");
    Q::sortOrders(open, std::vector<SortDescriptor>{{"NoSuchKey", true}});
    EXPECT_EQ(open[0]->OpenPositionId, "2");
}

TEST_F(QueriesTest, NumericTextSortByValue) {
    // Prices held as text: by value, ties by bytes, non-numbers last.
    const std::vector<std::string> expected = {"-10", "-5", "2.10", "2.5", "10", "10.0", "1e400", "abc"};
    for (auto it = expected.rbegin(); it != expected.rend(); ++it) order(open, "1", "X", *it)->OrderPrice = *it;
    Q::sortOrders(open, std::vector<SortDescriptor>{{"OrderPrice", true, SortDescriptor::Comparison::Numeric}});
    std::vector<std::string> got;
    for (const auto& o : open) got.push_back(o->OrderPrice);
    EXPECT_EQ(got, expected);
    Q::sortOrders(open, std::vector<SortDescriptor>{{"OrderPrice", false, SortDescriptor::Comparison::Numeric}});
    EXPECT_EQ(open.front()->OrderPrice, "abc");
    EXPECT_EQ(open.back()->OrderPrice, "-10");
}

TEST_F(QueriesTest, RightsAndUserMaps) {
    model::UserInfo user;
    user.UserId = -5;
    auto a = account(1, 1, 1);
    a->primaryAccountHolderUserid = static_cast<std::uint64_t>(std::int64_t{-5});
    EXPECT_TRUE(Q::canShowAERights(accounts, &user));
    a->accountaccessType = 4;  // not listed: no rights
    EXPECT_FALSE(Q::canShowAERights(accounts, &user));
    EXPECT_FALSE(Q::canShowAERights(accounts, nullptr));

    a->primaryAccountHolderUserid = 10;
    UserAccountMap maps;
    auto map = [&](std::uint64_t user, std::uint64_t acc) {
        auto m = std::make_shared<model::UserAccountMaps>();
        m->userId = user;
        m->accountId = acc;
        m->accountAccessTypeId = 1;
        maps.set(Q::userAccountMapKey(user, acc), m);
    };
    map(10, 1);
    map(11, 1);
    map(12, 2);
    EXPECT_TRUE(Q::isUserMappedWithAccount(maps, 1));
    EXPECT_FALSE(Q::isUserMappedWithAccount(maps, 3));
    auto users = Q::getUserMappedWithAccount(maps, accounts, 1);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0]->userId, 11u);
    // Unknown account: the holder reads as 0, nobody is left out.
    EXPECT_EQ(Q::getUserMappedWithAccount(maps, accounts, 2).size(), 1u);

    model::UserAccountMaps change;
    change.userId = 11;
    change.accountId = 1;
    change.accountAccessTypeId = 3;
    Q::updateUserAccountMaps(maps, change);
    EXPECT_EQ(users[0]->accountAccessTypeId, 3u);
    change.accountId = 2;  // the same user on another account: no entry, nothing changes
    change.accountAccessTypeId = 4;
    Q::updateUserAccountMaps(maps, change);
    change.userId = 99;
    Q::updateUserAccountMaps(maps, change);
    EXPECT_EQ(maps.size(), 3u);
    EXPECT_EQ(users[0]->accountAccessTypeId, 3u);
}

TEST_F(QueriesTest, AllItemsOnceEach) {
    account(6, 6, 1);
    order(open, "1", "XAU");
    order(pending, "1", "WTI");
    order(pending, "6", "HIDDEN");
    auto items = Q::allItems(std::vector<std::string>{"XAU", "DAX"}, open, pending, accounts);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"DAX", "WTI", "XAU"}));
    EXPECT_EQ(Q::allItems({}, open, {}, accounts), std::vector<std::string>{"XAU"});
}

TEST_F(QueriesTest, AllItemsGatheredInStepsEqualWhole) {
    account(6, 6, 1);
    for (const auto& [list, accountNo, code] : std::vector<std::tuple<Orders*, std::string, std::string>>{
             {&open, "1", "XAU"}, {&open, "6", "HIDDEN"}, {&open, "1", "WTI"}, {&open, "1", "XAU"},
             {&pending, "6", "GONE"}, {&pending, "1", "DAX"}, {&pending, "1", "BRN"}})
        order(*list, accountNo, code);
    const std::vector<std::string> symbols{"DAX", "EUR"};
    const auto whole = Q::allItems(symbols, open, pending, accounts);
    for (std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, SIZE_MAX}) {
        Q::ItemsGathering gathering;
        std::size_t steps = 1;
        while (!gathering.step(symbols, open, pending, accounts, count)) ++steps;
        EXPECT_EQ(gathering.codes(), whole) << count;
        const std::size_t read = symbols.size() + open.size() + pending.size();
        EXPECT_EQ(steps, count >= read ? 1 : (read + count - 1) / count) << count;
    }
}

// A long list's set takes its fresh memory in steps that read no code.
TEST_F(QueriesTest, ALongListsGatheringMakesItsRoomReadyFirst) {
    std::vector<std::string> symbols;
    for (int i = 0; i < 40000; ++i) symbols.push_back("S" + std::to_string(i));
    Q::ItemsGathering gathering;
    int readyingSteps = 0;
    for (; !gathering.step(symbols, open, pending, accounts, SIZE_MAX); ++readyingSteps)
        EXPECT_TRUE(gathering.codes().empty()) << readyingSteps;
    EXPECT_GT(readyingSteps, 0);
    EXPECT_EQ(gathering.codes(), symbols);
}

// Orders that arrive between steps grow the gathered codes past what the first
// step made room for: each code is still taken once.
TEST_F(QueriesTest, OrdersAddedBetweenGatheringStepsAreTakenOnce) {
    order(open, "1", "XAU");
    const std::vector<std::string> symbols{"XAU"};
    Q::ItemsGathering gathering;
    EXPECT_FALSE(gathering.step(symbols, open, pending, accounts, 1));
    for (int i = 0; i < 200; ++i) order(open, "1", "C" + std::to_string(i % 150));
    while (!gathering.step(symbols, open, pending, accounts, 7)) {
    }
    EXPECT_EQ(gathering.codes(), Q::allItems(symbols, open, pending, accounts));
    EXPECT_EQ(gathering.codes().size(), 151u);
}

TEST(Queries, ChatRoomsInDescendingKeyOrder) {
    ChatRoomMap rooms;
    auto room = [&](const std::string& key, bool notices, bool created) {
        auto r = std::make_shared<model::ChatRoom>();
        r->RoomId = key;
        r->isMessageNotices = notices;
        r->isChatRoomCreated = created;
        rooms.set(key, r);
    };
    room("alpha", false, false);
    room("Charlie", true, false);
    room("bravo", false, false);
    room("delta", false, true);
    room("echo", true, true);
    auto ids = [](const ChatRooms& l) {
        std::vector<std::string> v;
        for (auto& r : l) v.push_back(r->RoomId);
        return v;
    };
    EXPECT_EQ(ids(Q::recentChats(rooms)), (std::vector<std::string>{"bravo", "alpha"}));
    EXPECT_EQ(ids(Q::messageNotices(rooms)), (std::vector<std::string>{"echo", "Charlie"}));
}

TEST(Queries, ResourcesListedInNaturalOrderWithoutHashCaptions) {
    ResourceMap res;
    auto add = [&](const std::string& key, const std::string& caption) {
        auto r = std::make_shared<model::ResourceDetails>();
        r->caption = caption;
        res.set(key, r);
    };
    add("Report10.pdf", "ten");
    add("report9.pdf", "nine");
    add("internal", "do not #show");
    add("#", "#");
    add("a.ics", "cal");
    std::vector<std::string> captions;
    for (auto& r : Q::resourceList(res)) captions.push_back(r->caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"cal", "nine", "ten"}));
}

TEST(Queries, MarketSessionSchedulesByWeekday) {
    ScheduleMap schedules;
    SessionSettingMap settings;
    auto setting = [&](std::uint64_t id, std::uint64_t status) {
        auto s = std::make_shared<model::SessionSettings>();
        s->settingsID = id;
        s->marketTradingStatus = status;
        settings.set(std::to_string(id), s);
    };
    setting(1, 1);
    setting(2, 2);
    setting(3, 3);
    auto row = [](std::uint64_t day, std::uint64_t setting, std::string start, std::string stop) {
        auto s = std::make_shared<model::SessionScheduleInfo>();
        s->marketID = 9;
        s->dayOfTheWeekID = day;
        s->tradeSessionSettingID = setting;
        s->startTime = std::move(start);
        s->stopTime = std::move(stop);
        return s;
    };
    schedules.set("9", {row(1, 1, "09:00", "12:00"), row(2, 3, "09:00", "17:00"), row(1, 2, "13:00", "17:00"),
                        row(3, 44, "00:00", "01:00")});
    EXPECT_TRUE(Q::checkMarketSessionSchedulesIsAvailable(schedules, 9));
    EXPECT_FALSE(Q::checkMarketSessionSchedulesIsAvailable(schedules, 8));

    const WeekSchedule week = Q::marketSessionSchedules(schedules, settings, 9, 0);
    ASSERT_EQ(week.size(), 3u);  // days without rows are absent
    EXPECT_EQ(week.at(1), (std::vector<std::string>{"09:00 - 12:00", "13:00 - 17:00"}));
    EXPECT_EQ(week.at(2), std::vector<std::string>{"Market closed"});
    EXPECT_EQ(week.at(3), std::vector<std::string>{"Market closed"});  // unknown setting
    EXPECT_TRUE(Q::marketSessionSchedules(schedules, settings, 8, 0).empty());

    EXPECT_EQ(Q::getDaysOfTheWeekName(0, 0), "Sunday");
    EXPECT_EQ(Q::getDaysOfTheWeekName(6, 0), "Saturday");
    EXPECT_EQ(Q::getDaysOfTheWeekName(7, 0), "");
}
