// The XML form of the login reference data and the working tables of XML answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/recording_reference_data.h"

namespace state {
namespace {

using testing::RecordingReferenceData;
using Calls = std::vector<std::string>;

// <Name><c1>v1</c1>...</Name>
std::string row(const std::string& table, const std::vector<std::pair<std::string, std::string>>& columns) {
    std::string out = "<" + table + ">";
    for (const auto& [name, value] : columns) out += "<" + name + ">" + value + "</" + name + ">";
    return out + "</" + table + ">";
}

std::string dataSet(const std::string& rows) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<NewDataSet>\n" + rows + "</NewDataSet>\n";
}

std::optional<std::string_view> cell(const ReferenceData& s, const std::string& table, const std::string& key,
                                     const std::string& column) {
    const XmlTable* t = s.TableDataCollection().find(table);
    if (!t) return std::nullopt;
    const TableRow* r = t->find(key);
    return r ? r->find(column) : std::nullopt;
}

TEST(XmlTables, RowsAreNumberedPerTableInDocumentOrder) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table1", {{"userid", "1"}}) + row("Table4", {{"AccountId", "a"}}) +
                       row("Table4", {{"AccountId", "b"}}) + row("Table4", {{"AccountId", "c"}}) +
                       row("Table10", {{"SettingsId", "1"}}) + row("Table10", {{"SettingsId", "2"}})));
    ASSERT_EQ(s.TableDataCollection().size(), 3u);
    EXPECT_EQ(s.TableDataCollection().find("Table1")->size(), 1u);
    EXPECT_EQ(s.TableDataCollection().find("Table4")->size(), 3u);
    EXPECT_EQ(s.TableDataCollection().find("Table10")->size(), 2u);
    EXPECT_EQ(*cell(s, "Table4", "0", "AccountId"), "a");
    EXPECT_EQ(*cell(s, "Table4", "2", "AccountId"), "c");
    EXPECT_EQ(*cell(s, "Table10", "1", "SettingsId"), "2");
}

TEST(XmlTables, ColumnsTextsAndEntities) {
    RecordingReferenceData s;
    s.parseXml("<NewDataSet><Table><Name>S&amp;P 500</Name><Empty/><Note><![CDATA[a&amp;<b]]></Note>"
               "<Name2>&lt;&gt;&quot;&apos;&#65;&#x42;</Name2><Dup>1</Dup><Dup>2</Dup><Odd>a & b &foo;</Odd>"
               "</Table></NewDataSet>");
    EXPECT_EQ(*cell(s, "Table", "0", "Name"), "S&P 500");
    EXPECT_EQ(*cell(s, "Table", "0", "Empty"), "");
    EXPECT_EQ(*cell(s, "Table", "0", "Note"), "a&amp;<b");
    EXPECT_EQ(*cell(s, "Table", "0", "Name2"), "<>\"'AB");
    EXPECT_EQ(*cell(s, "Table", "0", "Dup"), "2");
    EXPECT_EQ(*cell(s, "Table", "0", "Odd"), "a & b &foo;");
    EXPECT_EQ(s.TableDataCollection().find("Table")->find("0")->size(), 6u);
}

TEST(XmlTables, AWideRowKeepsTheLastOfEachColumnInLinearTime) {
    std::string row = "<NewDataSet><Table>";
    for (int i = 0; i < 80'000; ++i) row += "<c" + std::to_string(i % 40'000) + ">" + std::to_string(i) + "</c" + std::to_string(i % 40'000) + ">";
    RecordingReferenceData s;
    s.parseXml(row + "</Table></NewDataSet>");
    EXPECT_EQ(s.TableDataCollection().find("Table")->find("0")->size(), 40'000u);
    EXPECT_EQ(*cell(s, "Table", "0", "c0"), "40000");
    EXPECT_EQ(*cell(s, "Table", "0", "c39999"), "79999");
}

TEST(XmlTables, EachParseStartsAfresh) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table", {{"v", "1"}}) + row("Table", {{"v", "2"}}) + row("Table", {{"v", "3"}})));
    s.parseXml(dataSet(row("Table", {{"v", "9"}})));
    ASSERT_EQ(s.TableDataCollection().size(), 1u);
    const XmlTable& t = *s.TableDataCollection().find("Table");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(*cell(s, "Table", "0", "v"), "9");
    // A document without a root leaves no tables.
    s.parseXml("no markup here");
    EXPECT_TRUE(s.TableDataCollection().empty());
}

TEST(XmlTables, AColumnNamedLikeATableKeepsItsParentsRows) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table4", {{"AccountId", "1"}, {"TableX", "x"}}) + row("Table4", {{"AccountId", "2"}}) +
                       row("Table5", {{"InstrumentTypeId", "1"}}) + row("Table4", {{"AccountId", "3"}})));
    const XmlTable& t4 = *s.TableDataCollection().find("Table4");
    ASSERT_EQ(t4.size(), 3u);
    EXPECT_EQ(*cell(s, "Table4", "0", "AccountId"), "1");
    EXPECT_EQ(*cell(s, "Table4", "0", "TableX"), "x");
    EXPECT_EQ(*cell(s, "Table4", "1", "AccountId"), "2");
    EXPECT_EQ(*cell(s, "Table4", "2", "AccountId"), "3");  // interleaved tables do not share a counter
    EXPECT_EQ(s.TableDataCollection().find("Table5")->size(), 1u);
    ASSERT_TRUE(s.TableDataCollection().contains("TableX"));
    EXPECT_EQ(s.TableDataCollection().find("TableX")->size(), 1u);
}

// Rows nested past the depth a table document uses refuse the document, at
// any depth, without exhausting the stack or keeping a row.
TEST(XmlTables, NestingPastTheTableDepthIsRefused) {
    const std::size_t limit = ReferenceData::kMaxXmlDepth + 1;  // the root and its levels
    for (const std::size_t depth : {limit, limit + 1, std::size_t(100000)}) {
        RecordingReferenceData s;
        std::string text;
        text.reserve(depth * 16);
        for (std::size_t i = 0; i < depth; ++i) text += "<Table>";
        for (std::size_t i = 0; i < depth; ++i) text += "</Table>";
        using XmlRead = ReferenceData::XmlRead;
        EXPECT_EQ(s.parseXml(text), depth == limit ? XmlRead::Whole : XmlRead::TooDeep) << depth;
        const XmlTable* rows = s.TableDataCollection().find("Table");
        EXPECT_EQ(rows ? rows->size() : 0u, depth == limit ? depth : 0u) << depth;
    }
}

// --- Fillers ---------------------------------------------------------------

TEST(XmlFillers, UserRecordAndProduct) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table1", {{"userid", "42"}, {"lastrefid", "7"}, {"NewRefid", "8"}, {"ddeenabled", "true"},
                                      {"userenabled", "true"}, {"userTypeId", "3"}, {"forceLogoutRefid", "4"},
                                      {"forceLogoutLoadServerId", "5"}, {"appModeId", "6"},
                                      {"canChangePassword", "true"}, {"tradePubPort", "17002"},
                                      {"marketdepthPort", "17002"}, {"hdserverPort", "17003"},
                                      {"OfflineMessageCount", "2"}, {"HdServerPort", "1"}}) +
                       row("Table2", {{"productId", "12"}, {"productName", "Trader"}})));
    s.FillTableDetails();
    ASSERT_TRUE(s.userInfo());
    const model::UserInfo& u = *s.userInfo();
    EXPECT_EQ(u.UserId, 42);
    EXPECT_EQ(u.LastRefId, 7);
    EXPECT_EQ(u.NewRefId, 8);
    EXPECT_EQ(u.DdeEnabled, 0);  // a number on this road: "true" reads 0
    EXPECT_TRUE(u.UserEnabled);
    EXPECT_EQ(u.UserTypeId, 3);
    EXPECT_EQ(u.ForceLogoutRefId, 4);
    EXPECT_EQ(u.ForceLogoutLoadServerId, 5);
    EXPECT_EQ(u.AppModeId, 6);
    EXPECT_TRUE(u.CanChangePassword);
    EXPECT_EQ(u.tradePubPort, 17002);
    EXPECT_EQ(u.marketdepthPort, 17002);
    EXPECT_EQ(u.hdServerPort, 17003);
    EXPECT_EQ(u.OfflineMessageCount, 2);
    EXPECT_EQ(u.productID, 0u);  // the product table is not kept
    EXPECT_EQ(u.systemCurrencyId, 0u);

    // A second user row replaces the record: missing columns read 0 / false.
    TableRow second;
    second.set("ddeenabled", "1");
    second.set("canChangePassword", "0");
    s.FillUserInfoDetails(second);
    EXPECT_EQ(s.userInfo()->DdeEnabled, 1);
    EXPECT_EQ(s.userInfo()->UserId, 0);
    EXPECT_FALSE(s.userInfo()->CanChangePassword);
    EXPECT_EQ(s.userInfo()->hdServerPort, 0);
}

TEST(XmlFillers, AccountsKeepTheKeyAsReceivedAndUpdateInPlace) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table4", {{"AccountId", "07"}, {"GroupId", "007"}, {"AccountTypeId", "2"},
                                      {"Balance", "1000.5"}, {"UnrealisedPL", "-3"}, {"LeverageOnPositions", "2"},
                                      {"CollateralSecurity", "1"}, {"UsedMargin", "100"}, {"Equity", "997.5"},
                                      {"AvailableMargin", "897.5"}, {"HedgeModeId", "1"}, {"TradeRouteId", "2"},
                                      {"AutoExecutionModeId", "3"}, {"AccountName", "Main &amp; Co"},
                                      {"AccountEnabled", "true"}, {"InstrumentLimit", "5"},
                                      {"WatchListItemLimit", "6"}, {"AccountAccessTypeId", "10"},
                                      {"TradingStatusId", "5"}, {"AccumulatingStorage", "0.5"},
                                      {"AvailableOrderTypes", "199"}, {"BranchId", "4"}}) +
                       row("Table4", {{"GroupId", "1"}})));
    s.FillTableDetails();
    ASSERT_EQ(s.AccountDetailCollection().size(), 1u);  // the row without AccountId is dropped
    auto record = *s.AccountDetailCollection().find("07");
    EXPECT_EQ(record->AccountId, 7);
    EXPECT_EQ(record->GroupId, "007");
    EXPECT_EQ(record->tradeAccountType, 2);
    EXPECT_DOUBLE_EQ(record->Balance, 1000.5);
    EXPECT_DOUBLE_EQ(record->UnrealisedPL, -3);
    EXPECT_DOUBLE_EQ(record->Equity, 997.5);
    EXPECT_DOUBLE_EQ(record->AvailableMargin, 897.5);
    EXPECT_EQ(record->AccountName, "Main & Co");
    EXPECT_TRUE(record->AccountEnabled);
    EXPECT_EQ(record->WatchlistItemLimit, 6);
    EXPECT_EQ(record->accountaccessType, 10);
    EXPECT_EQ(record->tradingStatus, 5);
    EXPECT_EQ(record->availableOrderTypes, 199);
    EXPECT_EQ(record->BranchId, 4);
    EXPECT_DOUBLE_EQ(record->AccumulatingStorage, 0.5);
    EXPECT_EQ(record->primaryAccountHolderUserid, 0u);

    // The same account again: updated in place, a status 7 leaves tradingStatus.
    TableRow again;
    again.set("AccountId", "07");
    again.set("TradingStatusId", "7");
    again.set("AccountAccessTypeId", "5");
    s.FillAccountDetails(again);
    EXPECT_EQ(*s.AccountDetailCollection().find("07"), record);
    EXPECT_EQ(record->TradingStatusId, 7);
    EXPECT_EQ(record->tradingStatus, 5);
    EXPECT_EQ(record->AccountAccessTypeId, 5);
    EXPECT_EQ(record->accountaccessType, 0);
    EXPECT_DOUBLE_EQ(record->Balance, 1000.5);  // absent columns keep their values
}

TEST(XmlFillers, GroupsAndInstrumentsMatchTheGroupTextExactly) {
    RecordingReferenceData s;
    // Table7 before Table8 in the document: the groups are still filled first.
    s.parseXml(dataSet(
        row("Table7", {{"groupdetailsid", "11"}, {"groupid", "7"}, {"InstrumentId", "501"}, {"OrderQtyStep", "0.1"},
                       {"MaxOrderQty", "50"}, {"MinOrderQty", "0.1"}, {"SpreadBid", "2"}, {"SpreadAsk", "3"},
                       {"SpreadTypeId", "1"}, {"buyInterestRate", "0.01"}, {"sellInterestRate", "0.02"},
                       {"LimitMinPips", "5"}, {"StopMinPips", "6"}, {"AllowShortSelling", "true"},
                       {"Initialmargin", "1000"}, {"LimitOrderMargin", "900"}, {"LiquidationMargin", "50"},
                       {"IntradayOrderMargin", "500"}, {"BTSTOrderMargin", "700"}, {"OverNightMargin", "1200"},
                       {"Commission", "4.5"}, {"AutoExecutionModeId", "2"}, {"MarginCalcModeId", "2"},
                       {"PLCalcModeId", "3"}}) +
        row("Table7", {{"groupid", "07"}, {"InstrumentId", "502"}}) + row("Table7", {{"groupid", "7"}}) +
        row("Table8", {{"GroupId", "7"}, {"Name", "Gold"}, {"TradingEnabled", "true"}, {"CompanyId", "2"},
                       {"IsNewsEnabled", "true"}, {"IsMailEnabled", "false"}, {"IsChatEnabled", "1"},
                       {"IsEAEnabled", "0"}, {"InstrumentLimit", "30"}, {"WatchListItemLimit", "40"},
                       {"MaxOrderQty", "100"}, {"OrderQtyStep", "0.5"}, {"IsTrailingStopEnabled", "true"},
                       {"MarginCallLevel", "80"}, {"StopOutLevel", "20"}, {"LeverageOnFProfit", "50"},
                       {"RevLeverageOnFLoss", "100"}, {"ReportHistoryDaysLimit", "90"},
                       {"SendMailReports", "true"}, {"SendExecutionSMS", "false"}, {"CreditRating", "3"}}) +
        row("Table8", {{"Name", "no key"}})));
    s.FillTableDetails();
    ASSERT_EQ(s.GroupDetailCollection().size(), 1u);
    const model::GroupDetails& g = **s.GroupDetailCollection().find("7");
    EXPECT_EQ(g.GroupId, 7);
    EXPECT_EQ(g.Name, "Gold");
    EXPECT_TRUE(g.TradingEnabled);
    EXPECT_TRUE(g.IsChatEnabled);
    EXPECT_FALSE(g.IsEAEnabled);
    EXPECT_EQ(g.WatchlistItemLimit, 40);
    EXPECT_DOUBLE_EQ(g.StopOutLevel, 20);
    EXPECT_EQ(g.CreditRating, 3);
    // "07" is not "7"; the row without InstrumentId is dropped.
    ASSERT_EQ(g.GroupInstrumentCollection.size(), 1u);
    auto gi = g.GroupInstrumentCollection.at("501");
    EXPECT_EQ(gi->groupdetailsid, 11);
    EXPECT_EQ(gi->GroupId, 7);
    EXPECT_EQ(gi->InstrumentId, 501);
    EXPECT_EQ(gi->SpreadBid, 2);
    EXPECT_EQ(gi->SpreadAsk, 3);
    EXPECT_DOUBLE_EQ(gi->BuyInterestRate, 0.01);
    EXPECT_DOUBLE_EQ(gi->SellInterestRate, 0.02);
    EXPECT_TRUE(gi->AllowShortSelling);
    EXPECT_DOUBLE_EQ(gi->InitialMargin, 1000);
    EXPECT_DOUBLE_EQ(gi->Commission, 4.5);
    EXPECT_EQ(gi->margincalculationMode, 2);
    EXPECT_EQ(gi->PLCalcModeId, 3);
    // Without their columns: tradable, buy and sell, the sell at the initial margin.
    EXPECT_DOUBLE_EQ(gi->InitialSellMargin, 0.0);
    EXPECT_EQ(gi->availableOrderSettings, 3);
    EXPECT_TRUE(gi->isAvailableForTrading);

    // An update in place: mode 3 and a missing PLCalcModeId keep the earlier values; 0 gives 926.
    TableRow update;
    update.set("groupid", "7");
    update.set("InstrumentId", "501");
    update.set("MarginCalcModeId", "3");
    update.set("isAvailableForTrading", "false");
    update.set("availableOrderSettings", "1");
    update.set("InitialSellMargin", "12.5");
    s.FillGroupInstruments(update);
    EXPECT_EQ(g.GroupInstrumentCollection.at("501"), gi);
    EXPECT_FALSE(gi->isAvailableForTrading);
    EXPECT_EQ(gi->availableOrderSettings, 1);
    EXPECT_DOUBLE_EQ(gi->InitialSellMargin, 12.5);
    EXPECT_EQ(gi->MarginCalcModeId, 3);
    EXPECT_EQ(gi->margincalculationMode, 2);
    EXPECT_EQ(gi->PLCalcModeId, 3);
    update.set("MarginCalcModeId", "0");
    s.FillGroupInstruments(update);
    EXPECT_EQ(gi->margincalculationMode, 926);
    // XML group rows update the group in place and keep its instruments.
    TableRow groupAgain;
    groupAgain.set("GroupId", "7");
    groupAgain.set("Name", "Gold 2");
    s.FillGroupDetails(groupAgain);
    EXPECT_EQ(g.Name, "Gold 2");
    EXPECT_EQ(g.GroupInstrumentCollection.size(), 1u);
}

TEST(XmlFillers, SessionSettingsTakeRightsInColumnOrder) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table10", {{"SettingsId", "03"}, {"SettingsName", "Open"}, {"EnterLimitOrder", "false"},
                                       {"EnterMarketOrder", "true"}, {"EditLimitOrder", "true"},
                                       {"EditMarketOrder", "true"}, {"ExecuteOrders", "true"},
                                       {"PublishMarketData", "true"}, {"PublishTradeData", "false"},
                                       {"MatchMMwithMMOrders", "true"}, {"EnterMarketMakerOrder", "false"},
                                       {"EditMarketMakertOrder", "true"}, {"SessionColor", "65280"},
                                       {"UseELP", "true"}}) +
                       row("Table10", {{"SettingsId", "4"}, {"SessionColor", "-16776961"}}) +
                       row("Table10", {{"SettingsName", "no key"}}) +
                       row("Table10", {{"SettingsId", "-5"}, {"SettingsName", "negative key"}})));
    s.FillTableDetails();
    ASSERT_EQ(s.SessionSettingCollection().size(), 2u);  // neither without a key nor with a negative one
    const model::SessionSettings& o = **s.SessionSettingCollection().find("03");
    EXPECT_EQ(o.settingsID, 3u);
    EXPECT_EQ(o.settingsName, "Open");
    EXPECT_TRUE(o.allowEditContigent);
    EXPECT_FALSE(o.allowNewContigent);
    EXPECT_TRUE(o.allowNewMarket);
    EXPECT_TRUE(o.allowNewTpSl);  // "EnterMarketOrder" is taken last
    EXPECT_TRUE(o.publishMarketData);
    EXPECT_FALSE(o.publishTradeData);
    EXPECT_TRUE(o.matchMMWithMMOrders);
    EXPECT_TRUE(o.editMarketMakertOrder);
    EXPECT_TRUE(o.useELP);
    EXPECT_EQ(*o.sessionColor, (model::RGBAColor{0.0, 1.0, 0.0, 1.0}));
    EXPECT_EQ(o.marketTradingStatus, 0u);
    // -16776961 is 0xFF0000FF: its low 24 bits are opaque blue.
    EXPECT_EQ(*(*s.SessionSettingCollection().find("4"))->sessionColor, (model::RGBAColor{0.0, 0.0, 1.0, 1.0}));
}

TEST(XmlFillers, FollowUpsRunWithoutInstrumentTables) {
    RecordingReferenceData s;
    s.parseXml(dataSet(row("Table4", {{"AccountId", "1"}, {"GroupId", "7"}}) + row("Table8", {{"GroupId", "7"}}) +
                       row("Table5", {{"InstrumentTypeId", "1"}}) + row("Table6", {{"InstrumentId", "1"}, {"Code", "XAU"}}) +
                       row("Table6", {{"InstrumentId", "2"}})));
    s.FillTableDetails();
    EXPECT_EQ(s.calls, (Calls{"FillItemType", "FillItemDetails", "FillItemDetails", "LoadItemstoWatchlist",
                              "SetAllSymbolsSpread accounts=1 groups=1"}));
    RecordingReferenceData empty;
    empty.parseXml("");
    empty.FillTableDetails();
    EXPECT_EQ(empty.calls, (Calls{"SetAllSymbolsSpread accounts=0 groups=0"}));  // no instruments: no watchlist
}

}  // namespace
}  // namespace state
