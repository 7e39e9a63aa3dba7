// Every outgoing message against a body written by hand from its tag table.
#include <gtest/gtest.h>

#include <cmath>

#include "fake_app_context.h"
#include "protocol/message_base.h"
#include "protocol/message_properties.h"
#include "protocol/wire_format.h"

#define FS "\x01"
#define FE "\x03"
#define FX "\x02"
#define COL "\x05"
#define ROW "\x06"
#define SEC "\x07"

using namespace protocol;
using protocol::testing::FakeAppContext;

namespace {

// ASCII bodies: the length is the byte count.
std::string framed(const std::string& body) { return FS + std::to_string(body.size()) + FE + body + FX; }

// Each tag of the list gets the value "v<tag>"; tag 10 gets the type.
void fillPlaceholders(MessageBase& m, std::int64_t type, std::initializer_list<std::int64_t> tags) {
    m.messageDataDictionary().setNumber(10, static_cast<long long>(type));
    for (auto t : tags) {
        std::string value(1, 'v');
        value.append(std::to_string(t));
        m.messageDataDictionary().set(t, value);
    }
}

class Builders : public ::testing::Test {
protected:
    FakeAppContext ctx;
    MessageBase m{&ctx};

    // Builds the set type and checks the frame built before any envelope.
    void expectBody(const std::string& body) {
        const BuildResult r = m.BuildMessage();
        EXPECT_NE(r.status, BuildResult::Status::NoBuilder);
        EXPECT_EQ(m.lastFrame(), framed(body));
        EXPECT_TRUE(m.messageDataDictionary().empty());
    }
    void expectEnvelopeSent(bool initial) {
        ASSERT_EQ(ctx.sent.size(), 1u);
        const RequestMessage& r = ctx.sent[0];
        EXPECT_FALSE(r.isZMQ);
        EXPECT_EQ(r.message.find(FE "10=76" FE "27="), r.message.find(FE));
        const std::string tailInitial = FE "1153=2" FE "1132=2" FE FX;
        const bool hasInitialTail = r.message.size() > tailInitial.size() &&
                                    r.message.compare(r.message.size() - tailInitial.size(), tailInitial.size(),
                                                      tailInitial) == 0;
        EXPECT_EQ(hasInitialTail, initial);
    }
    void expectPlainSent(std::int64_t receivingStrategy = 0) {
        ASSERT_EQ(ctx.sent.size(), 1u);
        EXPECT_TRUE(ctx.sent[0].isZMQ);
        EXPECT_EQ(ctx.sent[0].message, m.lastFrame());
        EXPECT_EQ(ctx.sent[0].receivingStrategy, receivingStrategy);
        EXPECT_EQ(ctx.sent[0].framingStrategy, 0);
    }
};

}  // namespace

TEST_F(Builders, LoginIsTwelveFieldsInAnInitialEnvelope) {
    m.setMessagetype(32);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 32);
    d.set(23, "trader1");
    d.set(18, "pw");
    d.set(20, "0");
    d.set(19, "1");
    d.set(563, "TradeDesk");
    d.set(114, "1.0.0");
    d.set(105, "192.168.1.5");
    d.set(1018, "Linux PC#Debian 12");
    d.set(504, "Jane Doe");
    d.set(160, "PACKED");
    d.set(21, "20261207101500");
    EXPECT_TRUE(m.BuildMessage().sent());
    EXPECT_EQ(m.lastFrame(), std::string(FS "139" FE "10=32" FE "23=trader1" FE "18=pw" FE "20=0" FE "19=1" FE
                                         "563=TradeDesk" FE "114=1.0.0" FE "105=192.168.1.5" FE
                                         "1018=Linux PC#Debian 12" FE "504=Jane Doe" FE "160=PACKED" FE
                                         "21=20261207101500" FE FX));
    expectEnvelopeSent(true);
}

TEST_F(Builders, PingKeepsTag20AndStampsThePingTime) {
    for (int i = 0; i < 2; ++i) {
        m.setMessagetype(1018);
        m.messageDataDictionary().setNumber(10, 1018);
        m.messageDataDictionary().setNumber(20, ctx.requestid + 1);
        m.messageDataDictionary().set(21, "20261207101500");
        EXPECT_TRUE(m.BuildMessage().sent());
        EXPECT_EQ(m.lastFrame(), std::string(FS "32" FE "10=1018" FE "20=42" FE "21=20261207101500" FE FX));
    }
    EXPECT_EQ(ctx.pingStamps, 2);
    EXPECT_EQ(ctx.sent.size(), 2u);
    for (const auto& r : ctx.sent) EXPECT_FALSE(r.isZMQ);
}

TEST_F(Builders, PingStampsEvenWhenTheEnvelopeFails) {
    ctx.key.reset();
    m.setMessagetype(1018);
    m.messageDataDictionary().setNumber(10, 1018);
    const BuildResult r = m.BuildMessage();
    EXPECT_EQ(r.status, BuildResult::Status::Failed);
    EXPECT_TRUE(ctx.sent.empty());
    EXPECT_EQ(ctx.pingStamps, 1);
}

TEST_F(Builders, PasswordChangeWithEmptyNewPassword) {
    m.setMessagetype(37);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 37);
    d.set(104, "old");
    d.set(103, "");
    d.set(20, "42");
    ASSERT_TRUE(setMessageProperties(m, ctx));
    expectBody("10=37" FE "23=trader1" FE "104=old" FE "103=" FE "20=42" FE "19=REF9" FE "21=20261207101500" FE);
    expectEnvelopeSent(false);
}

TEST_F(Builders, DemoUserCreationHasEmptyTagsAndNoUserOrTime) {
    m.setMessagetype(1026);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 1026);
    d.set(1152, "a@b.c");
    d.set(1033, "Trade");
    d.set(564, "5000");
    d.set(1132, "Norway");
    for (int t : {1133, 1134, 1135, 1136}) d.set(t, "");
    d.set(1137, "555");
    d.set(1138, "1");
    d.set(1139, "Ann");
    d.set(1140, "TradeDesk");
    d.set(20, "1");
    d.set(19, "1");
    d.set(105, "10.0.0.2");
    d.set(1018, "PC#OS");
    d.set(504, "ann");
    expectBody("10=1026" FE "1152=a@b.c" FE "1033=Trade" FE "564=5000" FE "1132=Norway" FE "1133=" FE "1134=" FE
               "1135=" FE "1136=" FE "1137=555" FE "1138=1" FE "1139=Ann" FE "1140=TradeDesk" FE "20=1" FE "19=1" FE
               "105=10.0.0.2" FE "1018=PC#OS" FE "504=ann" FE);
    expectEnvelopeSent(true);
}

TEST_F(Builders, KeepAliveIsPlainAndReadable) {
    m.setMessagetype(1002);
    m.messageDataDictionary().setNumber(10, 1002);
    setMessageProperties(m, ctx);
    expectBody("10=1002" FE "23=trader1" FE "19=REF9" FE "21=20261207101500" FE);
    expectPlainSent();
}

TEST_F(Builders, MarketOrderHasEmptyBracketsAndNullTimeInForce) {
    m.setMessagetype(60);
    m.setNeworderrequestType(0);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 60);
    d.set(34, "7001");
    d.set(23, "trader1");
    d.set(33, "42");
    d.set(19, "REF9");
    d.set(12, "GOLD");
    d.set(32, "29");
    d.set(117, "51");
    d.set(37, "2");
    d.set(38, "1950.5");
    d.set(39, "");
    d.set(40, "");
    d.set(90, "0.3");
    d.set(36, "45");
    d.set(77, "0");
    d.set(24, "0");
    // 43 not stored: time in force 926.
    d.set(56, "1950.2");
    d.set(54, "1950.5");
    d.set(61, "1950.4");
    d.set(60, "1960");
    d.set(62, "1940");
    d.set(67, "20261207101459");
    d.set(78, "20261207101455");
    expectBody("10=60" FE "34=7001" FE "23=trader1" FE "33=42" FE "19=REF9" FE "12=GOLD" FE "32=29" FE "117=51" FE
               "37=2" FE "38=1950.5" FE "39=" FE "40=" FE "90=0.3" FE "36=45" FE "77=0" FE "24=0" FE "43=(null)" FE
               "56=1950.2" FE "54=1950.5" FE "61=1950.4" FE "60=1960" FE "62=1940" FE "67=20261207101459" FE
               "78=20261207101455" FE);
    expectEnvelopeSent(false);
}

TEST_F(Builders, OffsetOrderWritesPositionAndNoBrackets) {
    m.setMessagetype(60);
    m.setNeworderrequestType(1);
    fillPlaceholders(m, 60, {34, 125, 23, 33, 19, 12, 32, 117, 37, 38, 39, 40, 90, 36, 77, 24, 43, 56, 54, 61, 60, 62,
                             67, 78});
    expectBody("10=60" FE "34=v34" FE "125=v125" FE "23=v23" FE "33=v33" FE "19=v19" FE "12=v12" FE "32=v32" FE
               "117=v117" FE "37=v37" FE "38=v38" FE "90=v90" FE "36=v36" FE "77=v77" FE "24=v24" FE "43=v43" FE
               "56=v56" FE "54=v54" FE "61=v61" FE "60=v60" FE "62=v62" FE "67=v67" FE "78=v78" FE);
}

TEST_F(Builders, BracketEditWritesLegNumberAndNoDeviation) {
    m.setMessagetype(72);
    m.setEditorderrequestType(0);
    fillPlaceholders(m, 72, {1035, 34, 23, 573, 79, 33, 19, 12, 32, 117, 37, 38, 39, 40, 90, 36, 77, 24, 43, 56, 54,
                             61, 60, 62, 67, 78});
    m.messageDataDictionary().set(1035, "EBO");
    expectBody("10=72" FE "1035=EBO" FE "34=v34" FE "23=v23" FE "573=v573" FE "33=v33" FE "19=v19" FE "12=v12" FE
               "32=v32" FE "117=v117" FE "37=v37" FE "38=v38" FE "39=v39" FE "40=v40" FE "90=v90" FE "36=v36" FE
               "24=v24" FE "43=v43" FE "56=v56" FE "54=v54" FE "61=v61" FE "60=v60" FE "62=v62" FE "67=v67" FE
               "78=v78" FE);
}

TEST_F(Builders, CancelAndModifyOfAWorkingOrderShareOneBuilder) {
    const std::string expected = "10=72" FE "1035=EWO" FE "34=v34" FE "23=v23" FE "79=v79" FE "33=v33" FE "19=v19" FE
                                 "12=v12" FE "32=v32" FE "117=v117" FE "37=0" FE "38=v38" FE "39=0" FE "40=0" FE
                                 "90=v90" FE "36=v36" FE "24=v24" FE "43=v43" FE "56=v56" FE "54=v54" FE "61=v61" FE
                                 "60=v60" FE "62=v62" FE "67=v67" FE "78=v78" FE;
    for (int sub : {1, 2}) {
        m.setMessagetype(72);
        m.setEditorderrequestType(sub);
        fillPlaceholders(m, 72, {34, 23, 573, 79, 33, 19, 12, 32, 117, 38, 90, 36, 24, 43, 56, 54, 61, 60, 62, 67,
                                 78});
        auto& d = m.messageDataDictionary();
        d.set(1035, "EWO");
        d.set(37, "0");
        d.set(39, "0");
        d.set(40, "0");
        expectBody(expected);
    }
}

TEST_F(Builders, BulkOrderCarriesThreeRecordsInTag91) {
    m.setMessagetype(77);
    fillPlaceholders(m, 77, {23, 19, 12, 32, 117, 38, 39, 40, 90, 36, 77, 24, 43, 56, 54, 61, 60, 62, 67, 78, 34, 37});
    m.messageDataDictionary().set(91, "101" COL "1.000000" COL "42" ROW "102" COL "2.500000" COL "42" ROW
                                      "103" COL "0.100000" COL "42" ROW);
    expectBody("10=77" FE "23=v23" FE "19=v19" FE "12=v12" FE "32=v32" FE "117=v117" FE "38=v38" FE "39=v39" FE
               "40=v40" FE "90=v90" FE "36=v36" FE "77=v77" FE "24=v24" FE "43=v43" FE "56=v56" FE "54=v54" FE
               "61=v61" FE "60=v60" FE "62=v62" FE "67=v67" FE "78=v78" FE
               "91=101" COL "1.000000" COL "42" ROW "102" COL "2.500000" COL "42" ROW "103" COL "0.100000" COL
               "42" ROW FE);
    expectEnvelopeSent(false);
}

TEST_F(Builders, ClosePositionsAndCloseHedged) {
    m.setMessagetype(82);
    fillPlaceholders(m, 82, {20, 23, 19, 21});
    m.messageDataDictionary().set(583, "5" COL "7" COL "1" ROW SEC);
    expectBody("10=82" FE "583=5" COL "7" COL "1" ROW SEC FE "20=v20" FE "23=v23" FE "19=v19" FE "21=v21" FE);

    m.setMessagetype(1052);
    fillPlaceholders(m, 1052, {34, 12, 23, 19, 21});
    m.messageDataDictionary().set(583, "900" COL "2" ROW SEC "901" COL "1" ROW "902" COL "1" ROW SEC);
    expectBody("10=1052" FE "34=v34" FE "12=v12" FE "583=900" COL "2" ROW SEC "901" COL "1" ROW "902" COL "1" ROW SEC
               FE "23=v23" FE "19=v19" FE "21=v21" FE);
}

TEST_F(Builders, ChatRequests) {
    struct Case {
        std::int64_t type;
        std::string body;
    };
    const Case cases[] = {
        {617, "10=617" FE "23=v23" FE "520=v520" FE "504=v504" FE "19=v19" FE "21=v21" FE},
        {626, "10=626" FE "23=v23" FE "504=v504" FE "19=v19" FE "21=v21" FE},
        {613, "10=613" FE "23=v23" FE "504=v504" FE "19=v19" FE "21=v21" FE},
        {615, "10=615" FE "23=v23" FE "502=v502" FE "501=v501" FE "504=v504" FE "19=v19" FE "21=v21" FE},
        // No tag 23 in 601, 603 and 678 although it is stored.
        {601, "10=601" FE "20=v20" FE "503=v503" FE "530=v530" FE "504=v504" FE "19=v19" FE "21=v21" FE},
        {603, "10=603" FE "501=v501" FE "504=v504" FE "502=v502" FE "17=v17" FE "19=v19" FE "21=v21" FE},
        {678, "10=678" FE "1026=v1026" FE "34=v34" FE "17=v17" FE "20=v20" FE "530=v530" FE "504=v504" FE "19=v19" FE
              "21=v21" FE},
    };
    for (const auto& c : cases) {
        m.setMessagetype(c.type);
        fillPlaceholders(m, c.type, {23, 520, 504, 19, 21, 502, 501, 20, 503, 530, 17, 1026, 34});
        expectBody(c.body);
    }
    EXPECT_EQ(ctx.sent.size(), std::size(cases));
}

TEST_F(Builders, AcknowledgementStartsWithEmpty507) {
    m.setMessagetype(608);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 608);
    d.set(507, "");
    d.set(505, "lobby" COL "m-7");
    d.set(504, "trader1");
    setMessageProperties(m, ctx);
    expectBody("10=608" FE "507=" FE "505=lobby" COL "m-7" FE "504=trader1" FE "23=trader1" FE "19=REF9" FE
               "21=20261207101500" FE);
}

TEST_F(Builders, QueueMessageWithoutQueueWritesNull) {
    m.setMessagetype(678);
    fillPlaceholders(m, 678, {34, 17, 20, 530, 504, 19, 21});
    expectBody("10=678" FE "1026=(null)" FE "34=v34" FE "17=v17" FE "20=v20" FE "530=v530" FE "504=v504" FE
               "19=v19" FE "21=v21" FE);
}

TEST_F(Builders, FundsRequestsWriteNumbersInDecimal) {
    m.setMessagetype(693);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 693);
    d.setNumber(1063, 1);
    d.setNumber(1035, 801);
    d.set(535, "note");
    d.setNumber(20, 42);
    d.setNumber(1040, 77);
    d.set(1059, "5" COL "1" COL "100.5" ROW);
    d.setNumber(1060, 0);
    setMessageProperties(m, ctx);
    expectBody("10=693" FE "1063=1" FE "1035=801" FE "535=note" FE "20=42" FE "1040=77" FE "1059=5" COL "1" COL
               "100.5" ROW FE "1060=0" FE "23=trader1" FE "19=REF9" FE "21=20261207101500" FE);

    m.setMessagetype(93);
    d.setNumber(10, 93);
    d.setNumber(145, 3);
    d.set(1152, "a@b.c");
    d.setNumber(34, 7001);
    d.setNumber(1038, 100.5);
    d.setNumber(564, 1000.0);
    d.set(535, "");
    d.setNumber(20, 42);
    d.setNumber(1040, 77);
    setMessageProperties(m, ctx);
    expectBody("10=93" FE "145=3" FE "1152=a@b.c" FE "34=7001" FE "1038=100.5" FE "564=1000" FE "535=" FE "20=42" FE
               "1040=77" FE "23=trader1" FE "19=REF9" FE "21=20261207101500" FE);
}

TEST_F(Builders, OpenPositionsRequestHasNineFields) {
    m.setMessagetype(1023);
    m.setDsrequestType(0);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 1023);
    d.set(151, "getopenpositions");
    d.set(152, "1000");
    d.set(153, "1");
    d.setNumber(20, 42);
    d.setNumber(115, 5);
    setMessageProperties(m, ctx);
    expectBody("10=1023" FE "151=getopenpositions" FE "152=1000" FE "153=1" FE "20=42" FE "115=5" FE "23=trader1" FE
               "19=REF9" FE "21=20261207101500" FE);
    expectPlainSent(0);
    EXPECT_EQ(ctx.sent[0].message.find("27="), std::string::npos);
}

TEST_F(Builders, DataServiceSubTypesWriteTheirTagsInOrder) {
    const std::string head = "10=1023" FE "151=v151" FE "152=v152" FE;
    const std::string tail = "20=v20" FE "115=v115" FE "23=v23" FE "19=v19" FE "21=v21" FE;
    const std::string bodies[14] = {
        head + "153=v153" FE + tail,
        head + "160=v160" FE "153=v153" FE "20=v20" FE "34=v34" FE "115=v115" FE "23=v23" FE "19=v19" FE "21=v21" FE,
        head + "153=v153" FE "34=v34" FE "575=v575" FE "576=v576" FE "551=v551" FE + tail,
        head + "153=v153" FE "34=v34" FE "575=v575" FE "576=v576" FE + tail,
        head + "153=v153" FE "34=v34" FE "1132=v1132" FE + tail,
        head + "153=v153" FE "575=v575" FE "576=v576" FE + tail,
        head + "160=v160" FE "153=v153" FE + tail,
        head + "153=v153" FE "581=v581" FE + tail,
        head + "153=v153" FE "34=v34" FE + tail,
        head + "153=v153" FE "1132=v1132" FE "159=v159" FE + tail,
        head + "153=v153" FE "34=v34" FE "575=v575" FE "576=v576" FE + tail,
        head + "153=v153" FE "159=v159" FE "160=v160" FE + tail,
        head + "153=v153" FE "159=v159" FE + tail,
        head + "153=v153" FE + tail,
    };
    for (int sub = 0; sub < 14; ++sub) {
        ctx.sent.clear();
        m.setMessagetype(1023);
        m.setDsrequestType(sub);
        fillPlaceholders(m, 1023, {151, 152, 153, 160, 20, 34, 115, 23, 19, 21, 575, 576, 551, 1132, 581, 159});
        SCOPED_TRACE(sub);
        expectBody(bodies[sub]);
        // Only the resource download reads a multipart reply.
        expectPlainSent(sub == 12 ? 1 : 0);
    }
}

TEST_F(Builders, AccountAccessRowTravelsInTag159) {
    m.setMessagetype(1023);
    m.setDsrequestType(9);
    fillPlaceholders(m, 1023, {151, 152, 153, 1132, 20, 115, 23, 19, 21});
    m.messageDataDictionary().set(159, "12" COL "3456" COL "1" COL ROW);
    expectBody("10=1023" FE "151=v151" FE "152=v152" FE "153=v153" FE "1132=v1132" FE "159=12" COL "3456" COL "1" COL
               ROW FE "20=v20" FE "115=v115" FE "23=v23" FE "19=v19" FE "21=v21" FE);
}

TEST_F(Builders, ChartRequest) {
    m.setMessagetype(1040);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 1040);
    d.set(12, "GOLD");
    d.set(83, "1H");
    d.setNumber(20, 7);
    d.setNumber(1025, 500);
    setMessageProperties(m, ctx);
    expectBody("10=1040" FE "12=GOLD" FE "83=1H" FE "20=7" FE "1025=500" FE "23=trader1" FE "19=REF9" FE
               "21=20261207101500" FE);
    expectPlainSent(0);
}

TEST_F(Builders, SelectionWithoutBuilderStillEmptiesTheDictionary) {
    for (auto [type, sub] : {std::pair{60, 2}, std::pair{72, 3}, std::pair{1023, 14}, std::pair{1023, -1},
                             std::pair{999, 0}}) {
        m.setMessagetype(type);
        m.setNeworderrequestType(sub);
        m.setEditorderrequestType(sub);
        m.setDsrequestType(sub);
        m.messageDataDictionary().setNumber(10, type);
        EXPECT_EQ(m.BuildMessage().status, BuildResult::Status::NoBuilder);
        EXPECT_TRUE(m.messageDataDictionary().empty());
        EXPECT_EQ(m.messagetype(), type);
        EXPECT_EQ(m.neworderrequestType(), sub);
    }
    EXPECT_TRUE(ctx.sent.empty());
}

TEST_F(Builders, TypeTagComesFromTheDictionary) {
    m.setMessagetype(1018);
    m.messageDataDictionary().set(20, "1");
    m.messageDataDictionary().set(21, "2");
    m.BuildMessage();
    EXPECT_EQ(m.lastFrame(), std::string(FS "20" FE "10=(null)" FE "20=1" FE "21=2" FE FX));
    EXPECT_EQ(m.messagetype(), 1018);
}

TEST_F(Builders, SeparatorInAPlainValueIsRefused) {
    m.setMessagetype(603);
    fillPlaceholders(m, 603, {501, 504, 502, 19, 21});
    m.messageDataDictionary().set(17, "hi" FE "23=admin");
    const BuildResult r = m.BuildMessage();
    EXPECT_EQ(r.status, BuildResult::Status::Refused);
    EXPECT_NE(r.error.find("tag 17"), std::string::npos);
    EXPECT_TRUE(ctx.sent.empty());
    EXPECT_TRUE(m.messageDataDictionary().empty());

    // Record bytes are refused in a plain value too.
    m.setMessagetype(615);
    fillPlaceholders(m, 615, {23, 501, 504, 19, 21});
    m.messageDataDictionary().set(502, "room" ROW);
    EXPECT_EQ(m.BuildMessage().status, BuildResult::Status::Refused);
    EXPECT_TRUE(ctx.sent.empty());
}

// No "nan" or "inf" on the wire: a price that is not a finite number refuses
// the message, in a plain value and in a record field alike.
TEST_F(Builders, NonFiniteNumbersAreRefused) {
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        m.setMessagetype(93);
        fillPlaceholders(m, 93, {145, 1152, 34, 564, 535, 20, 1040, 23, 19, 21});
        m.messageDataDictionary().setNumber(1038, bad);
        const BuildResult r = m.BuildMessage();
        EXPECT_EQ(r.status, BuildResult::Status::Refused) << bad;
        EXPECT_NE(r.error.find("tag 1038"), std::string::npos) << bad;
        EXPECT_TRUE(m.messageDataDictionary().empty());
        EXPECT_FALSE(RecordWriter().field(101).column().fixed6(bad).value().has_value()) << bad;
    }
    EXPECT_TRUE(ctx.sent.empty());
}

TEST_F(Builders, RecordValuesMayHoldRecordBytesButNotFieldBytes) {
    m.setMessagetype(82);
    fillPlaceholders(m, 82, {20, 23, 19, 21});
    m.messageDataDictionary().set(583, "5" COL "7" ROW SEC);
    EXPECT_TRUE(m.BuildMessage().sent());

    for (const char* bad : {"5" FE "20=1", "5" FX, "5" FS, "5\x04"}) {
        m.setMessagetype(82);
        fillPlaceholders(m, 82, {20, 23, 19, 21});
        m.messageDataDictionary().set(583, bad);
        EXPECT_EQ(m.BuildMessage().status, BuildResult::Status::Refused);
    }
    EXPECT_EQ(ctx.sent.size(), 1u);
}

TEST_F(Builders, NoSessionMeansNothingSent) {
    MessageBase lone;
    lone.setMessagetype(1002);
    lone.messageDataDictionary().setNumber(10, 1002);
    EXPECT_EQ(lone.BuildMessage().status, BuildResult::Status::Failed);
    EXPECT_EQ(lone.lastFrame(), std::string(FS "38" FE "10=1002" FE "23=(null)" FE "19=(null)" FE "21=(null)" FE FX));
}

TEST(MessageProperties, StoresHeaderTagsAndStopsAtTheFirstMissingValue) {
    FakeAppContext ctx;
    MessageBase m(&ctx);
    m.messageDataDictionary().set(23, "old");
    EXPECT_TRUE(ctx.setMessageProperties(m));
    EXPECT_EQ(*m.messageDataDictionary().find(23), "trader1");
    EXPECT_EQ(*m.messageDataDictionary().find(19), "REF9");
    EXPECT_EQ(*m.messageDataDictionary().find(21), "20261207101500");

    MessageBase noReference(&ctx);
    ctx.reference.reset();
    EXPECT_FALSE(setMessageProperties(noReference, ctx));
    EXPECT_EQ(*noReference.messageDataDictionary().find(23), "trader1");
    EXPECT_FALSE(noReference.messageDataDictionary().contains(19));
    EXPECT_FALSE(noReference.messageDataDictionary().contains(21));

    // The caller still builds: missing tags are written "(null)".
    noReference.setMessagetype(1002);
    noReference.messageDataDictionary().setNumber(10, 1002);
    EXPECT_TRUE(noReference.BuildMessage().sent());
    EXPECT_EQ(ctx.sent.back().message,
              std::string(FS "39" FE "10=1002" FE "23=trader1" FE "19=(null)" FE "21=(null)" FE FX));

    MessageBase noUser(&ctx);
    ctx.user.reset();
    ctx.reference = "R";
    EXPECT_FALSE(setMessageProperties(noUser, ctx));
    EXPECT_TRUE(noUser.messageDataDictionary().empty());
}
