// The compact "PACKED" form of the login reference data.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "protocol/separator_bytes.h"
#include "state/packed_records.h"
#include "state/text_conversions.h"
#include "state/recording_reference_data.h"
#include "support/reference_data_test_access.h"

namespace state {
namespace {

using testing::RecordingReferenceData;
using Calls = std::vector<std::string>;

// A record with the given fields at their positions, the others empty.
std::string record(const std::map<int, std::string>& fields) {
    int last = fields.empty() ? 0 : fields.rbegin()->first;
    std::string out;
    for (int i = 0; i <= last; ++i) {
        if (i) out += '\x05';
        auto it = fields.find(i);
        if (it != fields.end()) out += it->second;
    }
    return out;
}

// Sections joined by 0x07, numbered by their place in the vector.
std::string sections(const std::map<int, std::string>& bySection) {
    int last = bySection.rbegin()->first;
    std::string out;
    for (int i = 0; i <= last; ++i) {
        if (i) out += '\x07';
        auto it = bySection.find(i);
        if (it != bySection.end()) out += it->second;
    }
    return out;
}

TEST(PackedDetails, UserRecordTakesPositionsZeroToTwelveAndFifteen) {
    RecordingReferenceData s;
    // 13 fields: systemCurrencyId and OfflineMessageCount stay 0.
    fillPacked(s, "42\x05" "7\x05" "8\x05" "1\x05" "1\x05" "3\x05" "4\x05" "5\x05" "6\x05" "Y\x05" "17002\x05"
                        "17002\x05" "17003");
    ASSERT_TRUE(s.userInfo());
    const model::UserInfo& u = *s.userInfo();
    EXPECT_EQ(u.UserId, 42);
    EXPECT_EQ(u.LastRefId, 7);
    EXPECT_EQ(u.NewRefId, 8);
    EXPECT_EQ(u.DdeEnabled, 1);
    EXPECT_TRUE(u.UserEnabled);
    EXPECT_EQ(u.UserTypeId, 3);
    EXPECT_EQ(u.ForceLogoutRefId, 4);
    EXPECT_EQ(u.ForceLogoutLoadServerId, 5);
    EXPECT_EQ(u.AppModeId, 6);
    EXPECT_TRUE(u.CanChangePassword);
    EXPECT_EQ(u.tradePubPort, 17002);
    EXPECT_EQ(u.marketdepthPort, 17002);
    EXPECT_EQ(u.hdServerPort, 17003);
    EXPECT_EQ(u.systemCurrencyId, 0u);
    EXPECT_EQ(u.OfflineMessageCount, 0);
    // Only section 0: no follow-up runs.
    EXPECT_TRUE(s.calls.empty());
    EXPECT_TRUE(s.AccountDetailCollection().empty());
}

TEST(PackedDetails, UserFieldThreeIsABoolAndFifteenTheSystemCurrency) {
    RecordingReferenceData s;
    s.FillPackedUserInfoDetails(record({{0, "1"}, {3, "true"}, {13, "junk"}, {14, "junk"}, {15, "840"}, {16, "9"}}) +
                                "\x06" "2\x05" "x");
    EXPECT_EQ(s.userInfo()->UserId, 1);  // record 0 only
    EXPECT_EQ(s.userInfo()->DdeEnabled, 1);
    EXPECT_EQ(s.userInfo()->systemCurrencyId, 840u);
    s.FillPackedUserInfoDetails(record({{3, "0"}}));
    EXPECT_EQ(s.userInfo()->DdeEnabled, 0);
}

TEST(PackedDetails, ProductIdLandsInTheNewUserRecord) {
    RecordingReferenceData s;
    fillPacked(s, sections({{0, "5\x05" "0\x05" "0\x05" "0\x05" "1"}, {1, "12\x05Trader\x05" "1.2.3\x05\x05" "1.0.0"}}));
    ASSERT_TRUE(s.userInfo());
    EXPECT_EQ(s.userInfo()->productID, 12u);
    EXPECT_EQ(s.userInfo()->UserId, 5);
    // A second login message replaces the whole user record.
    fillPacked(s, "6");
    EXPECT_EQ(s.userInfo()->UserId, 6);
    EXPECT_EQ(s.userInfo()->productID, 0u);
    EXPECT_FALSE(s.userInfo()->UserEnabled);
}

TEST(PackedDetails, SectionsRunInOrderWithTheirFollowUps) {
    RecordingReferenceData s;
    std::map<int, std::string> bySection;
    for (int i = 0; i <= 22; ++i) bySection[i] = "";
    bySection[4] = "4\x05Gold\x05XAU";
    fillPacked(s, sections(bySection));
    EXPECT_EQ(s.calls, (Calls{"FillPackedItemType", "FillPackedItemDetails", "LoadItemstoWatchlist",
                              "SetAllSymbolsSpread accounts=0 groups=0", "fillResourceDetails",
                              "fillCurrencyListDetails", "fillTradeCurrencyDetails"}));
    // A login data without instruments (a refusal's) never loads the watchlist.
    RecordingReferenceData refused;
    bySection[4] = "";
    fillPacked(refused, sections(bySection));
    EXPECT_EQ(std::count(refused.calls.begin(), refused.calls.end(), "LoadItemstoWatchlist"), 0);
}

TEST(PackedDetails, EmptySectionsKeepTheNumbering) {
    RecordingReferenceData s;
    // Two 0x07 in a row: section 1 is empty, the accounts are still section 8.
    std::string text = "9\x07\x07\x07\x07\x07\x07\x07\x07" "1001\x05" "7";
    fillPacked(s, text);
    EXPECT_EQ(s.userInfo()->UserId, 9);
    ASSERT_EQ(s.AccountDetailCollection().size(), 1u);
    EXPECT_TRUE(s.AccountDetailCollection().contains("1001"));
}

TEST(PackedDetails, AccountsWithDerivedStatuses) {
    RecordingReferenceData s;
    std::string a = record({{0, "1001"}, {1, "7"}, {2, "3000000000"}, {3, "99"}, {4, "1500.5"}, {5, "-20"}, {6, "2"},
                            {7, "10"}, {8, "300"}, {9, "1480.5"}, {10, "1180.5"}, {11, "99"}, {12, "1"}, {13, "2"},
                            {14, "3"}, {15, "Main"}, {16, "1"}, {17, "50"}, {18, "60"}, {19, "5"}, {20, "7"},
                            {21, "99"}, {22, "1.25"}, {23, "77"}, {24, "199"}, {28, "-2"}, {33, "840"},
                            {34, "x=1"}, {35, "12.5"}, {36, "99"}});
    std::string b = record({{0, "1002"}, {1, "8"}, {19, "10"}, {20, "5"}});
    s.FillPackedAccountDetails(a + "\x06" + b + "\x06");
    ASSERT_EQ(s.AccountDetailCollection().size(), 2u);  // the trailing 0x06 adds no account
    const model::AccountDetails& x = **s.AccountDetailCollection().find("1001");
    EXPECT_EQ(x.AccountId, 1001);
    EXPECT_EQ(x.GroupId, "7");
    EXPECT_EQ(x.tradeAccountType, 3000000000LL);
    EXPECT_DOUBLE_EQ(x.Balance, 1500.5);
    EXPECT_DOUBLE_EQ(x.UnrealisedPL, -20);
    EXPECT_DOUBLE_EQ(x.LeverageOnPositions, 2);
    EXPECT_DOUBLE_EQ(x.CollateralSecurity, 10);
    EXPECT_DOUBLE_EQ(x.UsedMargin, 300);
    EXPECT_DOUBLE_EQ(x.Equity, 1480.5);
    EXPECT_DOUBLE_EQ(x.AvailableMargin, 1180.5);
    EXPECT_EQ(x.HedgeModeId, 1);
    EXPECT_EQ(x.TradeRouteId, 2);
    EXPECT_EQ(x.AutoExecutionModeId, 3);
    EXPECT_EQ(x.AccountName, "Main");
    EXPECT_TRUE(x.AccountEnabled);
    EXPECT_EQ(x.InstrumentLimit, 50);
    EXPECT_EQ(x.WatchlistItemLimit, 60);
    EXPECT_EQ(x.AccountAccessTypeId, 5);
    EXPECT_EQ(x.accountaccessType, 0);
    EXPECT_EQ(x.TradingStatusId, 7);
    EXPECT_EQ(x.tradingStatus, 0);
    EXPECT_DOUBLE_EQ(x.AccumulatingStorage, 1.25);
    EXPECT_EQ(x.primaryAccountHolderUserid, 77u);
    EXPECT_EQ(x.availableOrderTypes, 199);
    EXPECT_EQ(x.accountSettings, -2);
    EXPECT_EQ(x.currencyID, 840u);
    EXPECT_EQ(x.accountSettings2, "x=1");
    EXPECT_DOUBLE_EQ(x.oneSideMargin, 12.5);
    EXPECT_EQ(x.BranchId, 0);
    const model::AccountDetails& y = **s.AccountDetailCollection().find("1002");
    EXPECT_EQ(y.accountaccessType, 10);
    EXPECT_EQ(y.tradingStatus, 5);
    // First entry = first record received.
    EXPECT_EQ(s.AccountDetailCollection().first()->first, "1001");
}

TEST(PackedDetails, AccountRecordsReplaceAndKeyByTheConvertedId) {
    RecordingReferenceData s;
    s.FillPackedAccountDetails("1001\x05" "7\x05" "0\x05\x05" "500");
    auto before = *s.AccountDetailCollection().find("1001");
    s.FillPackedAccountDetails("01001\x05" "9");
    const auto& after = *s.AccountDetailCollection().find("1001");
    EXPECT_NE(before, after);
    EXPECT_EQ(after->GroupId, "9");
    EXPECT_DOUBLE_EQ(after->Balance, 0.0);  // not carried over
    // An empty id field is stored under "0".
    s.FillPackedAccountDetails("\x05" "3");
    ASSERT_TRUE(s.AccountDetailCollection().contains("0"));
    EXPECT_EQ((*s.AccountDetailCollection().find("0"))->GroupId, "3");
}

TEST(PackedDetails, GroupsAndTheirInstruments) {
    RecordingReferenceData s;
    std::string group = record({{0, "7"}, {1, "Gold"}, {2, "1"}, {3, "2"}, {4, "1"}, {5, "1"}, {6, "0"}, {7, "1"},
                                {8, "0"}, {9, "30"}, {10, "40"}, {11, "100"}, {12, "0.5"}, {13, "1"}, {14, "80"},
                                {15, "20"}, {16, "50"}, {17, "100"}, {18, "90"}, {19, "1"}, {20, "0"}, {21, "3"}});
    std::string gi = record({{0, "11"}, {1, "7"}, {2, "501"}, {3, "0.1"}, {4, "50"}, {5, "0.1"}, {6, "2"}, {7, "3"},
                             {8, "1"}, {9, "0.01"}, {10, "0.02"}, {11, "5"}, {12, "6"}, {13, "1"}, {14, "1000"},
                             {15, "900"}, {16, "50"}, {17, "500"}, {18, "700"}, {19, "1200"}, {20, "4.5"}, {21, "2"},
                             {22, "0"}, {23, "9"}, {24, "9"}, {25, "1100"}, {26, "3"}, {27, "1"}});
    std::string orphan = record({{1, "8"}, {2, "502"}});
    fillPacked(s, sections({{5, group + "\x06"}, {6, gi + "\x06" + orphan + "\x06"}}));
    ASSERT_EQ(s.GroupDetailCollection().size(), 1u);
    const model::GroupDetails& g = **s.GroupDetailCollection().find("7");
    EXPECT_EQ(g.GroupId, 7);
    EXPECT_EQ(g.Name, "Gold");
    EXPECT_TRUE(g.TradingEnabled);
    EXPECT_EQ(g.CompanyId, 2);
    EXPECT_TRUE(g.IsNewsEnabled);
    EXPECT_FALSE(g.IsMailEnabled);
    EXPECT_TRUE(g.IsChatEnabled);
    EXPECT_FALSE(g.IsEAEnabled);
    EXPECT_EQ(g.InstrumentLimit, 30);
    EXPECT_EQ(g.WatchlistItemLimit, 40);
    EXPECT_DOUBLE_EQ(g.MaxOrderQty, 100);
    EXPECT_DOUBLE_EQ(g.OrderQtyStep, 0.5);
    EXPECT_TRUE(g.IsTrailingStopEnabled);
    EXPECT_DOUBLE_EQ(g.MarginCallLevel, 80);
    EXPECT_DOUBLE_EQ(g.StopOutLevel, 20);
    EXPECT_EQ(g.LeverageOnFProfit, 50);
    EXPECT_EQ(g.RevLeverageOnFLoss, 100);
    EXPECT_EQ(g.ReportHistoryDaysLimit, 90);
    EXPECT_TRUE(g.SendMailReports);
    EXPECT_FALSE(g.SendExecutionSMS);
    EXPECT_EQ(g.CreditRating, 3);
    // The record of an unknown group is stored nowhere.
    ASSERT_EQ(g.GroupInstrumentCollection.size(), 1u);
    const model::GroupInstruments& i = *g.GroupInstrumentCollection.at("501");
    EXPECT_EQ(i.groupdetailsid, 11);
    EXPECT_EQ(i.GroupId, 7);
    EXPECT_EQ(i.InstrumentId, 501);
    EXPECT_DOUBLE_EQ(i.OrderQtyStep, 0.1);
    EXPECT_DOUBLE_EQ(i.MaxOrderQty, 50);
    EXPECT_DOUBLE_EQ(i.MinOrderQty, 0.1);
    EXPECT_EQ(i.SpreadBid, 2);
    EXPECT_EQ(i.SpreadAsk, 3);
    EXPECT_EQ(i.SpreadTypeId, 1);
    EXPECT_DOUBLE_EQ(i.BuyInterestRate, 0.01);
    EXPECT_DOUBLE_EQ(i.SellInterestRate, 0.02);
    EXPECT_EQ(i.LimitMinPips, 5);
    EXPECT_EQ(i.StopMinPips, 6);
    EXPECT_TRUE(i.AllowShortSelling);
    EXPECT_DOUBLE_EQ(i.InitialMargin, 1000);
    EXPECT_DOUBLE_EQ(i.LimitOrderMargin, 900);
    EXPECT_DOUBLE_EQ(i.LiquidationMargin, 50);
    EXPECT_DOUBLE_EQ(i.IntradayOrderMargin, 500);
    EXPECT_DOUBLE_EQ(i.BTSTOrderMargin, 700);
    EXPECT_DOUBLE_EQ(i.OverNightMargin, 1200);
    EXPECT_DOUBLE_EQ(i.Commission, 4.5);
    EXPECT_EQ(i.AutoExecutionModeId, 2);
    EXPECT_EQ(i.MarginCalcModeId, 0);
    EXPECT_EQ(i.margincalculationMode, 926);
    EXPECT_DOUBLE_EQ(i.InitialSellMargin, 1100);
    EXPECT_EQ(i.availableOrderSettings, 3);
    EXPECT_TRUE(i.isAvailableForTrading);
    EXPECT_EQ(i.PLCalcModeId, 0);

    // A later section 5 replaces the group together with its instruments.
    s.FillPackedGroupDetails("7\x05Silver");
    const model::GroupDetails& g2 = **s.GroupDetailCollection().find("7");
    EXPECT_EQ(g2.Name, "Silver");
    EXPECT_TRUE(g2.GroupInstrumentCollection.empty());
}

TEST(PackedDetails, MarginModeFollowsOnlyKnownIds) {
    RecordingReferenceData s;
    s.FillPackedGroupDetails("7");
    auto mode = [&](const std::string& id) {
        s.FillPackedGroupInstruments(readPackedGroupInstruments(record({{1, "7"}, {2, "1"}, {22, id}})));
        return s.GroupDetailCollection().find("7")->get()->GroupInstrumentCollection.at("1")->margincalculationMode;
    };
    EXPECT_EQ(mode("2"), 2);
    EXPECT_EQ(mode("1"), 1);
    EXPECT_EQ(mode("0"), 926);
    EXPECT_EQ(mode("3"), 0);  // a new record each time
    EXPECT_EQ(mode(""), 926);
}

// The section's records share one block: each keeps its own fields and
// outlives the list it was read into.
TEST(PackedDetails, GroupInstrumentsReadIntoOneBlockStayApart) {
    const struct {
        std::string id, margin;
    } rows[] = {{"501", "10"}, {"502", "20.5"}, {"503", "30"}};
    std::string section;
    for (const auto& r : rows) section += record({{1, "7"}, {2, r.id}, {14, r.margin}}) + "\x06";
    std::shared_ptr<model::GroupInstruments> last;
    {
        const auto records = readPackedGroupInstruments(section);
        ASSERT_EQ(records.size(), std::size(rows));
        last = records.back();
    }
    EXPECT_EQ(last->InstrumentId, 503);
    EXPECT_EQ(last->GroupId, 7);
    EXPECT_DOUBLE_EQ(last->InitialMargin, 30);
    const auto again = readPackedGroupInstruments(section);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(again[i]->InstrumentId, std::stoi(rows[i].id));
        EXPECT_DOUBLE_EQ(again[i]->InitialMargin, std::stod(rows[i].margin));
    }
}

TEST(PackedDetails, SessionSettingsWithDerivedRightsAndColour) {
    RecordingReferenceData s;
    std::string full = record({{0, "3"}, {1, "Open"}, {2, "1"}, {3, "1"}, {4, "0"}, {5, "1"}, {6, "1"}, {7, "1"},
                               {8, "0"}, {9, "1"}, {10, "0"}, {11, "1"}, {12, "16711680"}, {13, "1"}, {14, "9"},
                               {15, "4"}});
    s.FillPackedSessionSettingCollection(full + "\x06" "5\x05" "Closed\x06");
    ASSERT_EQ(s.SessionSettingCollection().size(), 2u);
    const model::SessionSettings& o = **s.SessionSettingCollection().find("3");
    EXPECT_EQ(o.settingsID, 3u);
    EXPECT_EQ(o.settingsName, "Open");
    EXPECT_TRUE(o.enterLimitOrder);
    EXPECT_TRUE(o.enterMarketOrder);
    EXPECT_FALSE(o.editLimitOrder);
    EXPECT_TRUE(o.allowNewContigent);
    EXPECT_TRUE(o.allowNewMarket);
    EXPECT_FALSE(o.allowEditContigent);
    EXPECT_FALSE(o.allowNewTpSl);  // the last of positions 2, 3, 4
    EXPECT_TRUE(o.editMarketOrder);
    EXPECT_TRUE(o.executeOrders);
    EXPECT_TRUE(o.publishMarketData);
    EXPECT_FALSE(o.publishTradeData);
    EXPECT_TRUE(o.matchMMWithMMOrders);
    EXPECT_FALSE(o.enterMarketMakerOrder);
    EXPECT_TRUE(o.editMarketMakertOrder);
    ASSERT_TRUE(o.sessionColor.has_value());
    EXPECT_EQ(*o.sessionColor, (model::RGBAColor{1.0, 0.0, 0.0, 1.0}));
    EXPECT_TRUE(o.useELP);
    EXPECT_EQ(o.marketTradingStatus, 4u);
    // Two fields: every right false, no colour.
    const model::SessionSettings& c = **s.SessionSettingCollection().find("5");
    EXPECT_EQ(c.settingsName, "Closed");
    EXPECT_FALSE(c.enterLimitOrder || c.allowNewTpSl || c.allowNewMarket || c.executeOrders);
    EXPECT_FALSE(c.sessionColor.has_value());
    EXPECT_EQ(c.marketTradingStatus, 0u);
}

// A negative number in a field stored unsigned refuses that record only: the
// good record beside it is stored, and nothing wraps to 2^64 - 1.
TEST(PackedDetails, NegativeUnsignedFieldsRefuseTheirRecordOnly) {
    using Stored = std::size_t (*)(const ReferenceData&);
    const Stored settings = [](const ReferenceData& s) { return s.SessionSettingCollection().size(); };
    const Stored items = [](const ReferenceData& s) { return s.ItemCollection().size(); };
    const Stored accounts = [](const ReferenceData& s) { return s.AccountDetailCollection().size(); };
    const Stored resources = [](const ReferenceData& s) { return s.resourceCollection().size(); };
    const Stored currencies = [](const ReferenceData& s) { return s.tradeCurrencyCollection().size(); };
    const struct {
        int section;
        std::map<int, std::string> good, bad;
        Stored stored;
    } cases[] = {
        {3, {{0, "1"}}, {{0, "-1"}}, settings},
        {3, {{0, "1"}, {15, "2"}}, {{0, "2"}, {15, "-2"}}, settings},
        {4, {{2, "A"}, {41, "5"}}, {{2, "B"}, {42, "-5"}}, items},
        {4, {{2, "A"}, {47, "5"}}, {{2, "B"}, {48, "-5"}}, items},
        {8, {{0, "1"}, {23, "5"}}, {{0, "2"}, {23, "-5"}}, accounts},
        {8, {{0, "1"}, {33, "5"}}, {{0, "2"}, {33, "-5"}}, accounts},
        {19, {{0, "1"}, {1, "a"}}, {{0, "-1"}, {1, "b"}}, resources},
        {19, {{1, "a"}, {6, "1"}}, {{1, "b"}, {6, "-1"}}, resources},
        {20, {{0, "1"}}, {{0, "-1"}}, currencies},
        {21, {{0, "1"}, {2, "3"}}, {{0, "2"}, {2, "-3"}}, currencies},
    };
    for (const auto& c : cases) {
        ReferenceData s;
        fillPacked(s, sections({{c.section, record(c.good) + "\x06" + record(c.bad)}}));
        EXPECT_EQ(c.stored(s), 1u) << "section " << c.section << " field " << c.bad.rbegin()->first;
    }
    // The user stands without a bad currency id; a bad product id (section 1) is not taken.
    ReferenceData s;
    fillPacked(s, sections({{0, record({{0, "5"}, {15, "-840"}})}}));
    ASSERT_TRUE(s.userInfo());
    EXPECT_EQ(s.userInfo()->UserId, 5);
    EXPECT_EQ(s.userInfo()->systemCurrencyId, 0u);
    fillPacked(s, sections({{0, record({{0, "5"}})}, {1, record({{0, "-12"}})}}));
    ASSERT_TRUE(s.userInfo());
    EXPECT_EQ(s.userInfo()->productID, 0u);
}

TEST(PackedDetails, LoginInformationSkipsBadRecordsOnly) {
    RecordingReferenceData s;
    s.FillPackedLoginInfoDetails("1\x05" "Update at https://example.test\x05" "12\x06" "0\x05" "other\x05" "999\x06"
                                 "\x06" "short\x05" "3\x06" "0\x05" "zero\x05" "0\x06" "2\x05" "Locked\x05" "10\x06");
    ASSERT_EQ(s.loginInfoMessageCollection().size(), 2u);
    EXPECT_EQ(s.loginInfoMessageCollection().first()->first, "12");
    const auto* r12 = s.firstLoginRecord();
    EXPECT_EQ(r12->DisplayMode, 1);
    EXPECT_EQ(r12->Message, "Update at https://example.test");
    EXPECT_EQ(r12->ErrorCode, 12);
    // The record after the short one is still stored.
    EXPECT_EQ((*s.loginInfoMessageCollection().find("10"))->Message, "Locked");
    // Not emptied by a later message; the same code replaces in place.
    s.FillPackedLoginInfoDetails("0\x05" "again\x05" "12");
    EXPECT_EQ(s.loginInfoMessageCollection().size(), 2u);
    EXPECT_EQ(s.firstLoginRecord()->Message, "again");
}

TEST(PackedDetails, SpreadsRunAfterGroupsAndAccounts) {
    RecordingReferenceData s;
    fillPacked(s, sections({{4, "501\x05Gold\x05XAU"}, {5, "7"}, {6, "1\x05" "7\x05" "501"}, {8, "1001\x05" "7"}}));
    EXPECT_EQ(s.calls, (Calls{"FillPackedItemType", "FillPackedItemDetails", "LoadItemstoWatchlist",
                              "SetAllSymbolsSpread accounts=1 groups=1"}));
}

// Sections of the compact text by number, each of `records` empty records.
std::vector<std::string> sectionsOfRecords(const std::map<PackedSection, std::size_t>& records) {
    std::vector<std::string> out(22);
    for (const auto& [section, count] : records) out[static_cast<std::size_t>(section)] = std::string(count, '\x06');
    return out;
}

TEST(PackedDetails, RecordsHeldAgainstTheirSectionsCapAndTheLoginsCeiling) {
    using protocol::LoginDataTooLarge;
    constexpr std::size_t ceiling = protocol::kMaxPackedLoginRecords;
    constexpr std::size_t small = protocol::kMaxPackedSmallSectionRecords;
    const auto over = [](std::size_t size, std::size_t limit) {
        return LoginDataTooLarge{LoginDataTooLarge::Unit::Entries, size, limit};
    };
    const struct {
        const char* what;
        std::map<PackedSection, std::size_t> records;
        std::optional<LoginDataTooLarge> tooLarge;
    } cases[] = {
        {"instruments at the ceiling", {{PackedSection::Instruments, ceiling}}, std::nullopt},
        {"instruments past it", {{PackedSection::Instruments, ceiling + 1}}, over(ceiling + 1, ceiling)},
        {"sections together at the ceiling",
         {{PackedSection::Instruments, 300'000}, {PackedSection::GroupInstruments, 600'000}, {PackedSection::Accounts, 100'000}},
         std::nullopt},
        {"sections together past it",
         {{PackedSection::Instruments, 300'000}, {PackedSection::GroupInstruments, 600'001}, {PackedSection::Accounts, 100'000}},
         over(ceiling + 1, ceiling)},
        {"a small section at its cap", {{PackedSection::ItemTypes, small}}, std::nullopt},
        {"a small section past it", {{PackedSection::CurrencyList, small + 1}}, over(small + 1, small)},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> texts = sectionsOfRecords(c.records);
        EXPECT_EQ(packedRecordsOverCeiling(std::vector<std::string_view>(texts.begin(), texts.end())), c.tooLarge) << c.what;
    }
}

TEST(PackedDetails, TheSectionsCutAheadAreThoseOfTheTextRead) {
    const std::string s(1, protocol::SectionByte);
    for (const std::string& text : {std::string("a"), "u" + s + s + "t" + s, s + "a" + s + "b" + s + "c"}) {
        const auto records = PackedLoginRecords::read(text);
        ASSERT_TRUE(records) << text;
        EXPECT_EQ(records->sectionsOf(text), TextConversion::split(text, protocol::SectionByte)) << text;
        EXPECT_FALSE(records->sectionsOf(text + "x")) << text;  // another text
    }
}

TEST(PackedDetails, ASectionOverItsCapIsRefusedBeforeAnythingIsRead) {
    const std::string overCap = "1\x07" + std::string(50'001, '\x06');
    EXPECT_FALSE(PackedLoginRecords::read(overCap));
    ReferenceData refused;
    EXPECT_FALSE(fillPacked(refused, overCap));
    EXPECT_FALSE(refused.userInfo());
}

}  // namespace
}  // namespace state
