// History rows read by field position, and the numeric readings of their fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/cancelled_order_hd.h"
#include "model/equity_hit_price_infos.h"
#include "model/open_order_hd.h"
#include "model/pending_order_hd.h"
#include "model/settled_order_hd.h"
#include "model/text_value.h"
#include "platform/log.h"

namespace {

std::string row(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out.push_back('\x05');
        out += fields[i];
    }
    return out;
}

}  // namespace

using namespace model;

TEST(TextValueReadings, IntegerBooleanAndDouble) {
    EXPECT_EQ(TextValue::intValue(""), 0);
    EXPECT_EQ(TextValue::intValue("  42"), 42);
    EXPECT_EQ(TextValue::intValue("-7x"), -7);
    EXPECT_EQ(TextValue::intValue("12.9"), 12);
    EXPECT_EQ(TextValue::intValue("abc"), 0);
    EXPECT_EQ(TextValue::intValue("99999999999"), INT32_MAX);
    EXPECT_EQ(TextValue::intValue("-99999999999"), INT32_MIN);
    EXPECT_EQ(TextValue::longLongValue("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(TextValue::unsignedLongLongValue("-5"), 0u);
    EXPECT_EQ(TextValue::unsignedLongLongValue("18446744073709551615"), UINT64_MAX);

    for (const char* yes : {"1", "true", "TRUE", "yes", "Y", " t", "007", "9"}) {
        EXPECT_TRUE(TextValue::boolValue(yes)) << yes;
    }
    for (const char* no : {"0", "", "false", "no", "000", "abc", " "}) {
        EXPECT_FALSE(TextValue::boolValue(no)) << no;
    }

    EXPECT_EQ(TextValue::doubleValue(""), 0.0);
    EXPECT_EQ(TextValue::doubleValue("1.5"), 1.5);
    EXPECT_EQ(TextValue::doubleValue(" -2.25abc"), -2.25);
    EXPECT_EQ(TextValue::doubleValue("+3"), 3.0);
    EXPECT_EQ(TextValue::doubleValue(".5"), 0.5);
    EXPECT_EQ(TextValue::doubleValue("1e3"), 1000.0);
    EXPECT_EQ(TextValue::doubleValue("x1"), 0.0);
    EXPECT_EQ(TextValue::doubleValue("nan"), 0.0);
    EXPECT_EQ(TextValue::doubleValue("inf"), 0.0);
    EXPECT_EQ(TextValue::doubleValue("1e999"), 0.0);
}

TEST(PendingOrderRow, ReadsEveryFieldByPosition) {
    const std::string text = row({"P1", "T9", "1001", "42", "1", "2", "10.5", "1", "0", "8.5", "101.25", "0", "99.5",
                                  "0", "1", "5", "20261231235959", "0", "0", "0", "0", "0.3", "R7", "RP8",
                                  "20261201093000", "POS5", "0", "0", "20261201093001"});
    const auto r = PendingOrderHD::fromRow(text);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->PendingOrderId, "P1");
    EXPECT_EQ(r->RefTicketId, "T9");
    EXPECT_EQ(r->AccountId, "1001");
    EXPECT_EQ(r->InstrumentId, 42);
    EXPECT_TRUE(r->IsBuy);
    EXPECT_EQ(r->OrderTypeId, 2);
    EXPECT_EQ(r->OrderQty, 10.5);
    EXPECT_EQ(r->RemainingQty, 8.5);
    EXPECT_EQ(r->OrderPrice, 101.25);
    EXPECT_EQ(r->LimitPrice, 0.0);
    EXPECT_EQ(r->StopPrice, 99.5);
    EXPECT_EQ(r->DeliveryModeId, 1);
    EXPECT_EQ(r->TimeInForceId, 5);
    EXPECT_EQ(r->ExpiryDateTime, "20261231235959");
    EXPECT_EQ(r->Spread, "0.3");
    EXPECT_EQ(r->TradeRouteId, "R7");
    EXPECT_EQ(r->RoutePendingOrderId, "RP8");
    EXPECT_EQ(r->OrderAtServerDateTime, "20261201093000");
    EXPECT_EQ(r->RefPositionIdOfBracket, "POS5");
    EXPECT_EQ(r->TouchDateTime, "20261201093001");
}

TEST(OpenPositionRow, ReadsField27AndIgnoresTheGap) {
    std::vector<std::string> f = {"OP1", "1001", "7", "0", "TK", "PO", "EX", "5", "4", "1.2345", "2.5",
                                  "20261130101500", "1", "dealer", "-12.5", "TR", "RPOS", "2", "1", "-0.75",
                                  "20261202000000", "20261231000000"};
    for (int i = 22; i <= 26; ++i) f.push_back("\x01garbage\x04");
    f.push_back("1.1");
    const auto r = OpenOrderHD::fromRow(row(f));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->PositionId, "OP1");
    EXPECT_EQ(r->AccountId, "1001");
    EXPECT_EQ(r->InstrumentId, 7);
    EXPECT_FALSE(r->IsBuy);
    EXPECT_EQ(r->RefPendingOrderId, "PO");
    EXPECT_EQ(r->OrderExecutionId, "EX");
    EXPECT_EQ(r->PositionInitialQty, 5.0);
    EXPECT_EQ(r->PositionQty, 4.0);
    EXPECT_EQ(r->OrderPrice, 1.2345);
    EXPECT_EQ(r->CommisionPaid, 2.5);
    EXPECT_EQ(r->PositionDate, "20261130101500");
    EXPECT_EQ(r->ConfirmedBy, "dealer");
    EXPECT_EQ(r->UnrealisedPL, -12.5);
    EXPECT_EQ(r->RoutePositionId, "RPOS");
    EXPECT_EQ(r->DeliveryMode, 2);
    EXPECT_EQ(r->OrderTypeId, 1);
    EXPECT_EQ(r->Storage, -0.75);
    EXPECT_EQ(r->ValueDate, "20261202000000");
    EXPECT_EQ(r->ExpiryDate, "20261231000000");
    EXPECT_EQ(r->BaseCurrencyRate, 1.1);

    // One field short of 27: refused, not read out of range.
    f.pop_back();
    EXPECT_EQ(OpenOrderHD::fromRow(row(f)), nullptr);
}

TEST(SettledPositionRow, NineteenOrTwentyFields) {
    std::vector<std::string> f = {"S1", "1001", "7", "OP1", "CP1", "3", "-45.678", "20261201120000", "1.25", "0.5",
                                  "1.5", "0.1", "true", "100.5", "99.25", "20261130101500", "20261201120000", "1",
                                  "unused"};
    auto r = SettledOrderHD::fromRow(row(f));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->SettlementId, "S1");
    EXPECT_EQ(r->RefPositionId, "OP1");
    EXPECT_EQ(r->RefClosingPositionId, "CP1");
    EXPECT_EQ(r->SettledQty, 3.0);
    EXPECT_EQ(r->SettledPL, -45.678);
    EXPECT_EQ(r->CurrencyRate, 1.25);
    EXPECT_EQ(r->CommisionPaid, 1.5);
    EXPECT_EQ(r->OtherCharges, 0.1);
    EXPECT_TRUE(r->IsBuy);
    EXPECT_EQ(r->OpenPrice, "100.5");
    EXPECT_EQ(r->ClosePrice, "99.25");
    EXPECT_EQ(r->DeliveryModeId, 1);
    EXPECT_EQ(r->accountCurrencyRate, 0.0);

    f.push_back("3.75");
    r = SettledOrderHD::fromRow(row(f));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->accountCurrencyRate, 3.75);

    f.resize(18);  // fields 0 to 17 only
    EXPECT_NE(SettledOrderHD::fromRow(row(f)), nullptr);
    f.resize(17);
    EXPECT_EQ(SettledOrderHD::fromRow(row(f)), nullptr);
}

TEST(CancelledOrderRow, ReadsEveryField) {
    const auto r =
        CancelledOrderHD::fromRow(row({"C1", "2.5", "T1", "P1", "9", "1001", "4", "20261201080000", "u7", "0",
                                       "3", "1.1", "1.0", "1.2", "0.9", "3", "1.05", "08:00:00"}));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->CancelledOrderId, "C1");
    EXPECT_EQ(r->CancelledQty, 2.5);
    EXPECT_EQ(r->RefTicketId, "T1");
    EXPECT_EQ(r->RefPendingOrderId, "P1");
    EXPECT_EQ(r->InstrumentId, 9);
    EXPECT_EQ(r->AccountId, "1001");
    EXPECT_EQ(r->CancelDateTime, "20261201080000");
    EXPECT_FALSE(r->IsBuy);
    EXPECT_EQ(r->DeliveryMode, 3);
    EXPECT_EQ(r->OrderAsk, 1.1);
    EXPECT_EQ(r->OrderLow, 0.9);
    EXPECT_EQ(r->OrderTypeId, 3);
    EXPECT_EQ(r->OrderPrice, 1.05);
    EXPECT_EQ(r->OrderTime, "08:00:00");
}

TEST(EquityHitRow, ReadsEveryField) {
    const auto r = EquityHitPriceInfos::fromRow(row(
        {"11", "12", "OP1", "7", "100.5", "95.25", "1001", "-300.5", "2", "-1.5", "1", "3", "1.1", "100"}));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->EHOrderHistoryId, 11);
    EXPECT_EQ(r->RefEHMCId, 12);
    EXPECT_EQ(r->PositionId, "OP1");
    EXPECT_EQ(r->HitPrice, 95.25);
    EXPECT_EQ(r->UnrealisedPL, -300.5);
    EXPECT_TRUE(r->IsBuy);
    EXPECT_EQ(r->ContractSize, 100.0);
    EXPECT_EQ(EquityHitPriceInfos::fromRow(row({"11", "12", "OP1"})), nullptr);
}

TEST(HistoryRowsBadInput, ShortEmptyAndNonNumericRows) {
    std::vector<std::string> logged;
    platform::Log::setSink([&logged](platform::LogLevel, const std::string& m) { logged.push_back(m); });
    // Every record refuses a row one field short of what it reads, and the empty row.
    EXPECT_EQ(PendingOrderHD::fromRow(row(std::vector<std::string>(28, "1"))), nullptr);
    EXPECT_EQ(CancelledOrderHD::fromRow(row(std::vector<std::string>(17, "1"))), nullptr);
    EXPECT_EQ(EquityHitPriceInfos::fromRow(row(std::vector<std::string>(13, "1"))), nullptr);
    for (const char* empty : {"", "\x05"}) {
        EXPECT_EQ(PendingOrderHD::fromRow(empty), nullptr);
        EXPECT_EQ(OpenOrderHD::fromRow(empty), nullptr);
        EXPECT_EQ(SettledOrderHD::fromRow(empty), nullptr);
        EXPECT_EQ(CancelledOrderHD::fromRow(empty), nullptr);
        EXPECT_EQ(EquityHitPriceInfos::fromRow(empty), nullptr);
    }
    platform::Log::setSink(nullptr);
    ASSERT_EQ(logged.size(), 13u);
    EXPECT_EQ(logged[0], "PendingOrderHD: row skipped, 28 fields of 29");

    // Empty and non-numeric fields read as 0 / false; extra fields are ignored.
    std::vector<std::string> f(29, "");
    f[4] = "0";
    f[6] = "ten";
    f.push_back("extra");
    const auto r = PendingOrderHD::fromRow(row(f));
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->IsBuy);
    EXPECT_EQ(r->InstrumentId, 0);
    EXPECT_EQ(r->OrderQty, 0.0);
    EXPECT_EQ(r->TouchDateTime, "");
}
