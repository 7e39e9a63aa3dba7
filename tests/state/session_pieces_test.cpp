// Rejection keys, ping grades and journal lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "model/language_string.h"
#include "model/order.h"
#include "state/journal_data.h"
#include "state/network_speed.h"
#include "state/order_rejection_reasons.h"

namespace state {
namespace {

using namespace std::chrono;
using namespace std::string_literals;

TEST(OrderRejectionKey, CodesSharingAKeyAndTheGeneralText) {
    for (int code : {0, 3, 16, 84, -1, 4, 49, 52, 79, 85, 87, 1000}) EXPECT_EQ(orderRejectionKey(code), "1077") << code;
    for (int code : {1, 12, 51, 82}) EXPECT_EQ(orderRejectionKey(code), "0339") << code;
    EXPECT_EQ(orderRejectionKey(2), "1057");
    EXPECT_EQ(orderRejectionKey(5), "1058");
    EXPECT_EQ(orderRejectionKey(8), "1059");
    EXPECT_EQ(orderRejectionKey(11), "1065");
    EXPECT_EQ(orderRejectionKey(13), "1037");
    EXPECT_EQ(orderRejectionKey(15), "3108");
    EXPECT_EQ(orderRejectionKey(50), "3069");
    EXPECT_EQ(orderRejectionKey(80), "1064");
    EXPECT_EQ(orderRejectionKey(81), "1063");
    EXPECT_EQ(orderRejectionKey(83), "1062");
    EXPECT_EQ(orderRejectionKey(86), "20291");
}

TEST(NetworkSpeed, GradesAtTheBoundaries) {
    EXPECT_EQ(gradeRoundTrip(0.0), 0);
    EXPECT_EQ(gradeRoundTrip(0.999), 0);
    EXPECT_EQ(gradeRoundTrip(1.0), 1);
    EXPECT_EQ(gradeRoundTrip(1.999), 1);
    EXPECT_EQ(gradeRoundTrip(2.0), 2);
    EXPECT_EQ(gradeRoundTrip(3.0), 2);
    EXPECT_EQ(gradeRoundTrip(3.001), 3);
    EXPECT_EQ(gradeRoundTrip(-0.001), 3);
    EXPECT_EQ(gradeRoundTrip(std::nan("")), 3);
}

// Texts as a language table would hold them, keyed for readability.
std::string lookup(const std::string& key) {
    if (key == "20203") return "Connected to {0}:{1} as {2}";
    if (key == "0073") return "New order";
    if (key == "0074") return "Request";
    if (key == "1019") return "Pending";
    if (key == "0070") return "Order";
    if (key == "0071") return "Qty";
    if (key == "0019") return "Opened";
    if (key == "1020") return "Settled";
    if (key == "1018") return "Rejected";
    if (key == "20300") return "failed";
    if (key == "20303") return "Paid {0}";
    // The months and the halves of the day from the English table.
    if (key.rfind("907", 0) == 0) return model::LanguageString::stringforSelectedLanguage(0, key);
    return key;
}

JournalContext context() {
    JournalContext ctx;
    ctx.text = lookup;
    ctx.ipAddress = "10.0.0.5";
    ctx.portNo = 17001;
    ctx.userName = "alice";
    // 2018-12-31 23:30:00 GMT
    ctx.now = system_clock::from_time_t(1546299000);
    return ctx;
}

TEST(JournalData, LoginLinesUseTheCalendarYear) {
    JournalContext ctx = context();
    EXPECT_EQ(JournalData::getLoginJournalData(0, ctx), "Dec 31, 2018 23:30:00#$#Connected to 10.0.0.5:17001 as alice");
    EXPECT_EQ(JournalData::getLoginJournalData(1, ctx), "Dec 31, 2018 23:30:00#$#20204");
    EXPECT_EQ(JournalData::getLoginJournalData(2, ctx), "Dec 31, 2018 23:30:00#$#20205");
    EXPECT_EQ(JournalData::getLoginJournalData(3, ctx), "");
    EXPECT_EQ(JournalData::getLoginJournalData(-1, ctx), "");
}

TEST(JournalData, OrderLines) {
    JournalContext ctx = context();
    model::Order o;
    o.ItemCode = "GOLD"s;
    o.RequestId = 12;
    o.PendingOrderId = "P7"s;
    o.RemainingQty = "3"s;
    o.OpenPositionId = "55"s;
    o.OrderPrice = "1801.5"s;
    o.setSettlementId("9"s);
    o.setSettledPrice("1790");

    // Before the first ping answer the time is empty.
    EXPECT_EQ(JournalData::getOrderJournalData(3, o, ctx), "#$#New order GOLD Request : 12");

    ctx.serverTime = "20181231233000";
    EXPECT_EQ(JournalData::getOrderJournalData(4, o, ctx), "Dec 31, 2018 23:30:00#$#Pending GOLD Order : P7 Qty : 3");
    EXPECT_EQ(JournalData::getOrderJournalData(6, o, ctx), "Dec 31, 2018 23:30:00#$#Opened GOLD #55 @1801.5");
    EXPECT_EQ(JournalData::getOrderJournalData(7, o, ctx), "Dec 31, 2018 23:30:00#$#Settled GOLD #9 @1790");
    EXPECT_EQ(JournalData::getOrderJournalData(8, o, ctx), "Dec 31, 2018 23:30:00#$#Rejected GOLD");
    EXPECT_EQ(JournalData::getOrderJournalData(5, o, ctx), "");
    EXPECT_EQ(JournalData::getOrderJournalData(9, o, ctx), "");

    // A server time that does not parse falls back on the order's own time, 12-hour clock.
    ctx.serverTime = "garbage";
    o.TransactionDateTime = "20240102150405";
    EXPECT_EQ(JournalData::getOrderJournalData(8, o, ctx), "Jan 02, 2024 03:04:05 PM#$#Rejected GOLD");
    o.TransactionDateTime = "20240102000405";
    EXPECT_EQ(JournalData::getOrderJournalData(8, o, ctx), "Jan 02, 2024 12:04:05 AM#$#Rejected GOLD");
}

TEST(JournalData, PaymentLine) {
    JournalContext ctx = context();
    ctx.serverTime = "20240229101112";
    EXPECT_EQ(JournalData::getPaymentTransactionJournalData(0, 4, 1, "T1", ctx), "");
    EXPECT_EQ(JournalData::getPaymentTransactionJournalData(5, 4, 3, "T1", ctx),
              "Feb 29, 2024 10:11:12#$#Request : 4 failed");
    EXPECT_EQ(JournalData::getPaymentTransactionJournalData(0, 4, 4, "T1", ctx),
              "Feb 29, 2024 10:11:12#$#Request : 4 failed");
    EXPECT_EQ(JournalData::getPaymentTransactionJournalData(0, 4, 3, "T1", ctx), "Feb 29, 2024 10:11:12#$#Paid T1");
    EXPECT_EQ(JournalData::getPaymentTransactionJournalData(0, 4, 3, std::nullopt, ctx),
              "Feb 29, 2024 10:11:12#$#Paid (null)");
}

// The month and the half of the day in the selected language (no English left),
// in the place the language gives the half of the day.
TEST(JournalData, TimesInTheLanguage) {
    struct Case {
        std::int64_t language;
        const char* twentyFour;
        const char* twelve;
    } cases[] = {
        {0, "Dec 31, 2018 23:30:00", "Jan 02, 2024 03:04:05 PM"},
        {6, "дек. 31, 2018 23:30:00", "янв. 02, 2024 03:04:05 пп"},
        {1, "12月 31, 2018 23:30:00", "1月 02, 2024 下午03:04:05"},
        {5, "ديسمبر 31, 2018 23:30:00", "يناير 02, 2024 03:04:05 م"},
    };
    for (const Case& c : cases) {
        JournalContext ctx = context();
        ctx.text = [&c](const std::string& key) {
            return model::LanguageString::stringforSelectedLanguage(c.language, key);
        };
        EXPECT_EQ(JournalData::formatGmt(ctx.now, ctx.text), c.twentyFour) << c.language;
        EXPECT_EQ(JournalData::rewriteWireTime("20240102150405", true, ctx.text), c.twelve) << c.language;
    }
}

TEST(JournalData, WireTimesThatDoNotParse) {
    EXPECT_FALSE(JournalData::rewriteWireTime("20230229000000", false));  // not a leap year
    EXPECT_FALSE(JournalData::rewriteWireTime("2024010203040", false));
    EXPECT_FALSE(JournalData::rewriteWireTime("2024010203040x", false));
    EXPECT_FALSE(JournalData::rewriteWireTime("20241301000000", false));
    EXPECT_EQ(*JournalData::rewriteWireTime("20240229235959", false), "Feb 29, 2024 23:59:59");
}

}  // namespace
}  // namespace state
