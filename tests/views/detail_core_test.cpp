// The detail tables' rows: the instrument panes, the week's sessions, the
// answer lines and the delivery receipt with its amounts in words.
#include <gtest/gtest.h>

#include "model/account_details.h"
#include "model/funds_records.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"
#include "views/core/detail_rows.h"
#include "views/core/receipt_rows.h"

namespace views {
namespace {

using Labels = std::vector<std::string>;

std::string keyText(const std::string& key) { return "<" + key + ">"; }

Labels labelsOf(const DetailRows& rows) {
    Labels out;
    for (const DetailRow& r : rows) out.push_back(r.label);
    return out;
}
std::string valueOf(const DetailRows& rows, const std::string& label) {
    for (const DetailRow& r : rows)
        if (r.label == label) return r.value;
    return "<none>";
}

class DetailRowsTest : public ::testing::Test {
protected:
    DetailRowsTest() {
        item.Code = "GOLD";
        item.Name = "Gold";
        item.DecimalPlaces = 2;
        item.ContractSize = 100;
        conditions.InitialMargin = 1.5;
        conditions.OverNightMargin = 2.25;
        conditions.margincalculationMode = 1;
        conditions.MinOrderQty = 0.1;
    }
    DetailRows rows(int type) { return instrumentRows(type, {&item, &conditions, 12.5, 0}, keyText); }
    model::ItemDetails item;
    model::GroupInstruments conditions;
};

TEST_F(DetailRowsTest, InstrumentPanes) {
    for (int type : {-1, 1, 2, 7, 10, 11}) EXPECT_TRUE(rows(type).empty()) << type;
    EXPECT_EQ(labelsOf(rows(5)), (Labels{"<0274>", "<0759>"}));
    EXPECT_EQ(valueOf(rows(5), "<0274>"), "1.5");
    EXPECT_EQ(valueOf(rows(5), "<0759>"), "2.25");  // the overnight rate, not the initial again
    EXPECT_EQ(valueOf(rows(4), "<0753>"), "0.1");
    EXPECT_EQ(valueOf(rows(6), "<0760>"), "12.50");
    EXPECT_EQ(valueOf(rows(6), "<0761>"), "0.00");
    // An absent value empties only its own row.
    item.Name.clear();
    item.exchangeName = "EX";
    EXPECT_EQ(rows(3), (DetailRows{{"<0021>", ""}, {"<90787>", "EX"}}));
    item.LTD = "12/31/2026 00:00:00";
    EXPECT_EQ(rows(9), (DetailRows{{"<0762>", ""}, {"<0763>", "12/31/2026 00:00:00"}}));

    conditions.margincalculationMode = 2;
    conditions.IntradayOrderMargin = 3;
    EXPECT_EQ(labelsOf(rows(5)), (Labels{"<0274>", "<0759>", "<0419>"}));
    EXPECT_EQ(valueOf(rows(5), "<0419>"), "3%");
    // Without conditions every rate reads zero and no "%".
    EXPECT_EQ(valueOf(instrumentRows(5, {&item, nullptr}, keyText), "<0274>"), "0");
}

TEST_F(DetailRowsTest, InstrumentDetailsDatesAndMargins) {
    struct Case {
        const char* fnd;
        double intraday, btst;
        std::string fndValue;  // "<none>": no row
        bool intradayRow, btstRow;
    } cases[] = {
        {"01/01/0001 00:00:00", 0, 0, "<none>", false, false},
        {"", 1, 0, "-", true, false},
        {"03/15/2027 00:00:00", 0, 2.5, "03/15/2027 00:00:00", false, true},
    };
    for (const Case& c : cases) {
        item.FND = c.fnd;
        conditions.IntradayOrderMargin = c.intraday;
        conditions.BTSTOrderMargin = c.btst;
        const DetailRows r = rows(0);
        EXPECT_EQ(valueOf(r, "<0762>"), c.fndValue) << c.fnd;
        EXPECT_EQ(valueOf(r, "<0763>"), "-");
        EXPECT_EQ(valueOf(r, "<0419>") != "<none>", c.intradayRow) << c.fnd;
        EXPECT_EQ(valueOf(r, "<0420>") != "<none>", c.btstRow) << c.fnd;
        EXPECT_EQ(valueOf(r, "<0759>"), "2.25");
    }
}

TEST(DetailTexts, DecimalAndMarginTexts) {
    EXPECT_EQ(decimalText(1.5), "1.5");
    EXPECT_EQ(decimalText(2), "2");
    EXPECT_EQ(decimalText(-0.25), "-0.25");
    model::GroupInstruments percent;
    percent.margincalculationMode = 2;
    EXPECT_EQ(marginText(10, &percent), "10%");
    percent.margincalculationMode = 0;
    EXPECT_EQ(marginText(10, &percent), "10");
}

TEST(SessionRows, DaysInOrderWithJoinedLines) {
    const state::WeekSchedule week{{6, {"10:00 - 12:00"}}, {0, {}}, {2, {"09:00 - 11:00", "13:00 - 17:00"}}};
    const DetailRows r = sessionRows(week, [](std::uint64_t day) { return "day" + std::to_string(day); });
    EXPECT_EQ(r, (DetailRows{{"day0", ""}, {"day2", "09:00 - 11:00\n13:00 - 17:00"}, {"day6", "10:00 - 12:00"}}));
}

TEST(ReceiptRows, AmountsInWords) {
    EXPECT_EQ(amountWithWords(totalCostText(2, 100, 12.5)), "2500 (two thousand five hundred)");
    EXPECT_EQ(amountWithWords(totalCostText(1, 1, 1234.75)), "1234.75 (one thousand two hundred thirty-four)");
    struct Case {
        double rate;
        const char* qty;
        const char* margin;
    } cases[] = {{10.4, "1", "10 (ten)"}, {10.5, "1", "11 (eleven)"}, {-10.5, "1", "-11 (minus eleven)"},
                 {2.5, "3", "8 (eight)"}, {10, "x", "0 (zero)"}};
    for (const Case& c : cases) EXPECT_EQ(amountWithWords(marginAmountText(c.rate, c.qty)), c.margin) << c.rate;
}

TEST(ReceiptRows, FourteenRowsFromThePositionAndItsBank) {
    model::Order position;
    position.OpenPositionId = "70008";
    position.ItemCode = "CDVM";
    position.tradingMode = model::Order::kBuy;
    position.OrderQty = "2.000";
    position.OrderPrice = "12.5";
    position.ExpiryDate = "12/31/2026";
    model::ItemDetails item;
    item.ContractSize = 100;
    item.DecimalPlaces = 3;
    model::AccountDetails account;
    account.AccountId = 1001;
    account.AccountName = "Trader";
    model::GroupInstruments conditions;
    conditions.InitialMargin = 10.4;
    model::BankDetails bank;
    bank.BankName = "Example Bank";
    bank.BankAccountNumber = 42;

    ReceiptSource source{&position, &item, &account, &conditions, &bank};
    const DetailRows r = receiptRows(source, keyText);
    ASSERT_EQ(r.size(), std::size_t(kReceiptRowCount));
    EXPECT_EQ(labelsOf(r), (Labels{"<0380>", "<0239>", "<0624>", "<90788>", "<0317>", "<0125>", "<0340>",
                                   "<0027>", "<0232>", "<90789>", "<0274>", "<0137>", "<90790>", "<0483>"}));
    const Labels values{"1001", "Trader", "Example Bank", "42", "70008", "CDVM", "B", "2", "12.500",
                        "2500 (two thousand five hundred)", "21 (twenty-one)", "", "", "12/31/2026"};
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(r[i].value, values[i]) << r[i].label;

    // A bank record without a number or a name, or none: those rows are empty.
    bank.BankAccountNumber = 0;
    bank.BankName.clear();
    for (const model::BankDetails* held : std::initializer_list<const model::BankDetails*>{&bank, nullptr}) {
        source.bank = held;
        const DetailRows empty = receiptRows(source, keyText);
        EXPECT_EQ(empty[2].value, "");
        EXPECT_EQ(empty[3].value, "");
    }
    // Nothing found: fourteen rows still, zero amounts.
    const DetailRows none = receiptRows({}, keyText);
    ASSERT_EQ(none.size(), std::size_t(kReceiptRowCount));
    EXPECT_EQ(none[9].value, "0 (zero)");
}

}  // namespace
}  // namespace views
