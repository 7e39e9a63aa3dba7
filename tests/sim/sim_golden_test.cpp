// Byte vectors written by hand from the wire rules, and the simulator's small parts.
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <stdexcept>

#include "model/deployment_constants.h"

#include "raw_client.h"
#include "sim/json_fields.h"
#include "sim/login_data.h"
#include "sim/market.h"
#include "sim/sim_crypto.h"
#include "sim/wire_message.h"

using namespace std::chrono_literals;

namespace {

const char* kTinyScenario = R"({
 "product": {"productId": 7, "productName": "TC"},
 "itemTypes": [{"InstrumentTypeId": 1, "InstrumentTypeName": "Metals"}],
 "sessionSettings": [{"SettingsId": 1, "SettingsName": "Open"}],
 "instruments": [{"InstrumentId": 1, "Name": "Gold", "Code": "GOLD", "DecimalPlaces": 2, "TickSize": 0.01,
                  "Bid": 2035.39, "Ask": 2035.41, "PrevClose": 2037.44},
                 {"InstrumentId": 2, "Name": "Euro", "Code": "EURUSD", "DecimalPlaces": 5, "TickSize": 0.00001,
                  "Bid": 1.08349, "Ask": 1.08351}],
 "groups": [{"GroupId": 10, "Name": "Std", "TradingEnabled": true}],
 "groupInstruments": [{"groupid": 10, "InstrumentId": 1, "Initialmargin": 500, "Commission": 5}],
 "accounts": [{"AccountId": 100, "GroupId": 10, "Balance": 1000, "AccountName": "Main", "TradingStatusId": 1,
               "currencyID": 1}],
 "users": [{"name": "u", "password": "p", "userid": 5, "accounts": [100], "userenabled": true,
            "canChangePassword": false, "systemCurrencyId": 1, "loginMessage": "Welcome"}],
 "resources": [{"resourceId": 1, "caption": "Cal", "iconResourceId": "cal.ics", "isNew": true}],
 "currencies": [{"currencyID": 1, "currencyCode": "USD"}],
 "tradeCurrencies": [{"currencyID": 1, "currencyCode": "USD", "isDirect": true}]
})";

// A record of n fields, empty but for the given positions, ended by 0x06.
std::string record(std::size_t n, std::vector<std::pair<std::size_t, std::string>> set) {
    std::vector<std::string> f(n);
    for (auto& [pos, v] : set) f[pos] = v;
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += (i ? "\x05" : "") + f[i];
    return out + "\x06";
}

}  // namespace

TEST(SimGolden, PackedLoginDataByFieldPosition) {
    const auto scenario = sim::Scenario::fromText(kTinyScenario);
    const std::string text = sim::LoginData::packed(scenario, scenario.users()[0], {27002, 27003});
    std::string expected;
    expected += "5\x05\x05\x05\x05" "1\x05\x05\x05\x05\x05" "0\x05" "27002\x05" "27002\x05" "27003\x05\x05\x05" "1\x06";
    expected += "\x07" "7\x05TC\x05\x05\x05\x06";
    expected += "\x07" "1\x05Metals\x06";
    expected += "\x07" "1\x05Open\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x06";
    expected += "\x07" + record(49, {{0, "1"}, {1, "Gold"}, {2, "GOLD"}, {6, "0.01"}, {8, "2"}, {21, "2035.39"},
                                     {22, "2035.41"}, {27, "2037.44"}}) +
                record(49, {{0, "2"}, {1, "Euro"}, {2, "EURUSD"}, {6, "0.00001"}, {8, "5"}, {21, "1.08349"},
                            {22, "1.08351"}});
    expected += "\x07" "10\x05Std\x05" "1\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x06";
    expected += "\x07" + record(28, {{1, "10"}, {2, "1"}, {14, "500"}, {20, "5"}});
    expected += "\x07";  // section 7
    expected += "\x07" + record(36, {{0, "100"}, {1, "10"}, {4, "1000"}, {15, "Main"}, {20, "1"}, {33, "1"}});
    expected += std::string(7, '\x07');  // sections 9 to 15
    expected += "\x07" "0\x05Welcome\x05" "1\x06";
    expected += "\x07\x07";  // sections 17, 18
    expected += "\x07" "1\x05" "Cal\x05\x05" "cal.ics\x05\x05\x05\x05" "1\x05\x05\x05\x06";
    expected += "\x07" "1\x05USD\x05\x05\x05\x05\x06";
    expected += "\x07" "1\x05USD\x05\x05\x05\x05\x05" "1\x05\x06";
    EXPECT_EQ(text, expected);
}

TEST(SimGolden, LoginDataMessageBytes) {
    auto sim = rawclient::startSimulator({}, nullptr, kTinyScenario);
    rawclient::TcpClient c(sim->sessionPort());
    const auto r = rawclient::login(c, "u", "p");
    ASSERT_TRUE(r.accepted);
    const auto& m = r.loginData;
    const std::string ref = m.get(19), time = m.get(21), payload = m.get(1050);
    const std::string body = "10=33\x03" "19=" + ref + "\x03" "21=" + time + "\x03" "160=PACKED\x03" "1050=" + payload + "\x03";
    EXPECT_EQ(m.raw, std::to_string(body.size()) + "\x03" + body);
    EXPECT_EQ(ref.size(), 6u);
    EXPECT_EQ(r.text.substr(0, 5), "5\x05\x05\x05\x05");
    // The session key both sides derive: user, password, reference id and time padded to 32 with "*".
    std::string joined = "u" "p" + ref + time;
    EXPECT_EQ(joined.size(), 22u);
    EXPECT_EQ(r.sessionKey, rawclient::sessionKey(joined + std::string(10, '*')));
    EXPECT_EQ(sim::SimCrypto::sessionKey("u", "p", ref, time), r.sessionKey);
    EXPECT_EQ(r.sessionKey.size(), 88u);
}

TEST(SimGolden, TickDepthAndStatusTexts) {
    const auto scenario = sim::Scenario::fromText(kTinyScenario);
    const sim::Market market(scenario.instruments(), 1);
    // Gold: base floor(2035.40 / 2) = 1017, prices scaled by 10^2 above the base.
    EXPECT_EQ(market.tick(0, "20261207101500"),
              "GOLD\x04" "20261207101500\x04" "1017\x04" "101840\x04" "101839\x04" "101841\x04" "101840\x04"
              "101840\x04" "101840\x04" "102044\x04" "2");
    EXPECT_EQ(market.tick(1, "20261207101500"),
              "EURUSD\x04" "20261207101500\x04" "0\x04" "108350\x04" "108349\x04" "108351\x04" "108350\x04"
              "108350\x04" "108350\x04" "108350\x04" "5");
    EXPECT_EQ(market.tick(0, "20261207101500", false),
              "GOLD\x04" "20261207101500\x04\x04" "203540\x04" "203539\x04" "203541\x04" "203540\x04"
              "203540\x04" "203540\x04" "203744\x04" "2");
    EXPECT_EQ(market.depth(0), "MD_GOLD;2035.39,5|2035.38,10|2035.37,15|2035.36,20|2035.35,25;"
                               "2035.41,5|2035.42,10|2035.43,15|2035.44,20|2035.45,25");
    EXPECT_EQ(sim::Market::status("GOLD", 1, 3), "IS;\x01" "28\x03" "10=1049\x03" "12=GOLD\x03" "572=1\x03" "574=3\x03\x02");
}

TEST(SimGolden, FramesCountUtf16UnitsAndTheDeframerKeepsTails) {
    sim::WireMessage ping(1018);
    EXPECT_EQ(ping.frame(), "\x01" "8\x03" "10=1018\x03\x02");
    sim::WireMessage named(44);
    named.add(105, "Zürich");  // 7 bytes, 6 code units: 6 + 11 units, 18 bytes
    EXPECT_EQ(named.frame(), "\x01" "17\x03" "10=44\x03" "105=Zürich\x03\x02");

    sim::Deframer d(64);
    EXPECT_EQ(d.feed("A\x02\x01" "B"), std::vector<std::string>{});  // no start before "A"
    EXPECT_EQ(d.feed("C\x02"), std::vector<std::string>{"BC"});
    EXPECT_EQ(d.feed("\x01" "X\x01" "Y\x02"), std::vector<std::string>{"Y"});  // unterminated "X" dropped
    bool overflow = false;
    d.feed("\x01" + std::string(100, 'z'), &overflow);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(d.pending(), "");
    EXPECT_EQ(d.feed("\x01" "ok\x02"), std::vector<std::string>{"ok"});

    EXPECT_FALSE(sim::WireMessage::parse("5\x03garbage"));
    const auto m = sim::WireMessage::parse("20\x03" "10=76\x03" "27=QUJD==\x03");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->get(27), "QUJD==");
}

TEST(SimGolden, CipherAndCodecsAgreeWithAnIndependentImplementation) {
    EXPECT_EQ(sim::SimCrypto::base64Encode("abc"), "YWJj");
    EXPECT_EQ(sim::SimCrypto::base64Decode("QUJ D\n"), "ABC");
    EXPECT_FALSE(sim::SimCrypto::base64Decode("QUJ*"));
    EXPECT_EQ(deployment::makeSalt(3), std::string("\x07\x26\x45"));
    const std::string frame = "\x01" "8\x03" "10=1018\x03\x02";
    const auto enc = sim::SimCrypto::encrypt(frame, deployment::kSecurityKey);
    ASSERT_TRUE(enc);
    EXPECT_EQ(*enc, rawclient::encrypt(frame, deployment::kSecurityKey));
    EXPECT_EQ(sim::SimCrypto::encrypt("", "k")->size(), 16u);
    EXPECT_EQ(sim::SimCrypto::decrypt(*enc, deployment::kSecurityKey), frame);
    EXPECT_FALSE(sim::SimCrypto::decrypt(*enc, "another key"));
    // 31 characters get exactly one pad character.
    EXPECT_EQ(sim::SimCrypto::sessionKey("abcdefghij", "klmnopqrst", "uvwxyz1234", "5"),
              rawclient::sessionKey("abcdefghijklmnopqrstuvwxyz12345*"));
    // Non-ASCII text: only as many UTF-8 bytes as UTF-16 code units enter the key and the digest.
    EXPECT_EQ(sim::SimCrypto::encrypt(frame, "p\xc3\xa4"), rawclient::encrypt(frame, "p\xc3"));
    unsigned char digest[64];
    SHA512(reinterpret_cast<const unsigned char*>("\xc3"), 1, digest);
    EXPECT_EQ(sim::SimCrypto::sha512("\xc3\xa9"), std::string(reinterpret_cast<char*>(digest), 64));
    const std::string payload = sim::SimCrypto::compressPayload("hello, world");
    EXPECT_EQ(rawclient::payload(payload), "hello, world");
    const auto raw = rawclient::unbase64(payload);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->substr(0, 4), std::string("\x0c\x00\x00\x00", 4));  // the length prefix
    EXPECT_FALSE(sim::SimCrypto::inflate(raw->substr(4, raw->size() / 2)));
}

TEST(SimGolden, JsonReadingsKeepNumbersPlainAndRejectBadInput) {
    const auto v = sim::parseJson(R"({"a": 0.00001, "b": [true, null, "x\u00fc\n"], "c": -2e3, "d": 7})");
    EXPECT_EQ(sim::jsonText(sim::jsonMember(v, "a")), "0.00001");  // never "1e-05" on the wire
    EXPECT_EQ(sim::jsonText(sim::jsonMember(v, "c")), "-2000.0");
    EXPECT_DOUBLE_EQ(sim::jsonNumber(sim::jsonMember(v, "c")), -2000);
    const auto& b = sim::jsonItems(sim::jsonMember(v, "b"));
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(sim::jsonText(b[2]), "x\xc3\xbc\n");
    EXPECT_TRUE(b[1].is_null());
    EXPECT_TRUE(sim::jsonMember(v, "missing").is_null());
    EXPECT_TRUE(sim::jsonItems(sim::jsonMember(v, "d")).empty());  // a number is no list
    EXPECT_EQ(sim::jsonInteger(sim::jsonMember(b[2], "x"), -1), -1);
    for (const char* bad : {"{", "{\"a\" 1}", "[1,]", "\"open", "{} x", "[01x]", "[--1]", "[1e]"})
        EXPECT_THROW(sim::parseJson(bad), std::runtime_error) << bad;
    EXPECT_THROW(sim::parseJson(std::string(100000, '[')), std::runtime_error);  // nesting too deep
    EXPECT_THROW(sim::Scenario::fromText(R"({"instruments": [{"InstrumentId": 1, "Code": "A;B"}]})"),
                 std::runtime_error);
    EXPECT_THROW(sim::Scenario::fromText(R"({"instruments": [{"InstrumentId": 1, "Code": "A", "DecimalPlaces": 8}]})"),
                 std::runtime_error);
    EXPECT_THROW(sim::Scenario::fromText(
                     R"({"instruments": [{"InstrumentId": 1, "Code": "A"}, {"InstrumentId": 2, "Code": "A"}]})"),
                 std::runtime_error);
}

TEST(SimGolden, XmlLoginDataRowsByColumnName) {
    const auto scenario = sim::Scenario::fromText(kTinyScenario);
    const std::string xml = sim::LoginData::xml(scenario, scenario.users()[0], {27002, 27003});
    EXPECT_NE(xml.find("  <Table1>\n    <userid>5</userid>\n    <userenabled>true</userenabled>\n"
                       "    <canChangePassword>false</canChangePassword>\n    <tradePubPort>27002</tradePubPort>\n"
                       "    <marketdepthPort>27002</marketdepthPort>\n    <hdserverPort>27003</hdserverPort>\n  </Table1>\n"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("  <Table7>\n    <groupid>10</groupid>\n    <InstrumentId>1</InstrumentId>\n"
                       "    <Initialmargin>500</Initialmargin>\n    <Commission>5</Commission>\n  </Table7>\n"),
              std::string::npos);
    EXPECT_EQ(xml.find("<Table3>"), std::string::npos);
    // The client's reader decodes no entities: markup characters travel in CDATA.
    const auto odd = sim::Scenario::fromText(
        R"({"instruments": [{"InstrumentId": 1, "Code": "AB", "Name": "A&B <x>"}], "users": [{"name": "u", "accounts": []}]})");
    EXPECT_NE(sim::LoginData::xml(odd, odd.users()[0], {1, 2}).find("<Name><![CDATA[A&B <x>]]></Name>"), std::string::npos);
}

// Field `column` of each row of a compact section.
std::vector<std::string> columnOf(const std::string& section, std::size_t column) {
    std::vector<std::string> out;
    for (const auto& row : sim::split(section, '\x06'))
        if (!row.empty()) out.push_back(sim::split(row, '\x05').at(column));
    return out;
}

TEST(SimGolden, PackedTablesMadeOnceKeepScenarioOrderAndTodaysAccounts) {
    auto json = sim::parseJson(kTinyScenario);
    json["groups"].push_back({{"GroupId", 20}, {"Name", "Pro"}});
    json["groups"].push_back({{"GroupId", 30}, {"Name", "Other"}});
    json["groupInstruments"] = sim::Json::array({{{"groupid", 10}, {"InstrumentId", 1}, {"Commission", 5}},
                                                 {{"groupid", 20}, {"InstrumentId", 1}, {"Commission", 6}},
                                                 {{"groupid", 30}, {"InstrumentId", 1}, {"Commission", 7}},
                                                 {{"groupid", 10}, {"InstrumentId", 2}, {"Commission", 8}}});
    json["accounts"].push_back({{"AccountId", 200}, {"GroupId", 20}, {"Balance", 50}});
    json["users"][0]["accounts"] = {100, 200};
    auto scenario = sim::Scenario::fromJson(json);
    const sim::LoginData::PackedTables tables(scenario);
    scenario.account(200)->balance = 75;  // after the tables were made
    sim::AccountRecord added;
    added.id = 300;
    added.groupId = 30;
    added.balance = 9;
    scenario.addAccount(added);
    sim::UserRecord user;
    user.name = "v";
    user.accounts = {300};
    scenario.addUser(user);

    const auto sections = sim::split(tables.packed(scenario, scenario.users()[0], {1, 2}), '\x07');
    ASSERT_EQ(sections.size(), 22u);
    EXPECT_EQ(columnOf(sections[5], 0), (std::vector<std::string>{"10", "20"}));
    EXPECT_EQ(columnOf(sections[6], 20), (std::vector<std::string>{"5", "6", "8"}));  // in the scenario's order
    EXPECT_EQ(columnOf(sections[8], 4), (std::vector<std::string>{"1000", "75"}));
    EXPECT_EQ(tables.packed(scenario, scenario.users()[0], {1, 2}), sim::LoginData::packed(scenario, scenario.users()[0], {1, 2}));
    // Records added at run time are found by their keys.
    ASSERT_NE(scenario.findUser("v"), nullptr);
    const auto other = sim::split(tables.packed(scenario, *scenario.findUser("v"), {1, 2}), '\x07');
    EXPECT_EQ(columnOf(other[6], 20), (std::vector<std::string>{"7"}));
    EXPECT_EQ(columnOf(other[8], 4), (std::vector<std::string>{"9"}));
    EXPECT_EQ(scenario.instrumentByCode("EURUSD"), scenario.instrumentById(2));
}
