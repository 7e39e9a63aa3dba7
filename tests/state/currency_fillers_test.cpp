// Resources list, currency list and trade currencies of the compact login data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/log.h"
#include "state/compact_records.h"
#include "state/currency_fillers.h"

using namespace state;
namespace CF = state::CurrencyFillers;

namespace {
using state::testing::rec;
using state::testing::section;
}  // namespace

TEST(CurrencyFillers, ResourceKeysAndShortRecords) {
    platform::Log::setSink([](platform::LogLevel, const std::string&) {});
    ResourceMap res;
    CF::fillResourceDetails(
        res, section({rec({"1", "Holidays", "http://x/h", "holidays.ics", "Cal", "ics", "3", "1", "0", "1", "0", "z"}),
                      rec({"2", "Brochure", "http://x/b", ""}),
                      rec({"3", "Short", "http://x/s"}),  // no icon field: keyed by its caption
                      rec({"4", "", "", ""}),             // nothing to key it by: skipped
                      rec({"5", "Holidays 2", "http://x/h2", "holidays.ics"}), "",
                      rec({"6", "Last", "u", "last.pdf"})}));
    platform::Log::setSink(nullptr);
    ASSERT_EQ(res.size(), 4u);
    const auto& h = *res.find("holidays.ics");
    EXPECT_EQ(h->resourceId, 5u);  // the later one is kept
    EXPECT_EQ(h->caption, "Holidays 2");
    ASSERT_TRUE(res.find("Brochure"));
    ASSERT_TRUE(res.find("Short"));
    ASSERT_TRUE(res.find("last.pdf"));
    // Every position read once.
    CF::fillResourceDetails(res, rec({"9", "C", "U", "f.ics", "G", "T", "3", "1", "0", "1", "1"}));
    const auto& f = *res.find("f.ics");
    EXPECT_EQ(f->URL, "U");
    EXPECT_EQ(f->groupName, "G");
    EXPECT_EQ(f->resourceType, "T");
    EXPECT_EQ(f->productId, 3u);
    EXPECT_TRUE(f->isNew);
    EXPECT_FALSE(f->showFocus);
    EXPECT_TRUE(f->enabled);
    EXPECT_TRUE(f->extraData);
}

TEST(CurrencyFillers, TradeCurrenciesReplaceListEntriesAndLinkAccounts) {
    TradeCurrencyMap cur;
    AccountMap accounts;
    auto acc = [&](const std::string& id, std::uint64_t currency) {
        auto a = std::make_shared<model::AccountDetails>();
        a->currencyID = currency;
        a->tradeCurrency = std::make_shared<model::TradeCurrency>();  // an earlier link
        accounts.set(id, a);
        return a;
    };
    auto a1 = acc("1", 1), a2 = acc("2", 2), a3 = acc("3", 3);

    CF::fillCurrencyListDetails(cur, section({rec({"1", "USD", "0", "1", "1", "0", "1", "9.5"}),
                                              rec({"2", "EUR", "11", "1.1", "1.2", "1"})}));
    CF::fillTradeCurrencyDetails(cur, accounts, section({rec({"2", "EUR", "12", "1.3", "1.4", "5", "1", "0.5", "x"})}));

    auto c1 = *cur.find("1");
    ASSERT_TRUE(dynamic_cast<model::CurrenyList*>(c1.get()));
    EXPECT_FALSE(c1->isDirect);  // the list does not read positions 6 and 7
    EXPECT_EQ(c1->depositRate, 0.0);
    auto c2 = *cur.find("2");
    EXPECT_FALSE(dynamic_cast<model::CurrenyList*>(c2.get()));
    EXPECT_EQ(c2->instrumentID, 12u);
    EXPECT_EQ(c2->conversionMode, 5);
    EXPECT_TRUE(c2->isDirect);
    EXPECT_DOUBLE_EQ(c2->depositRate, 0.5);

    EXPECT_EQ(a1->tradeCurrency, c1);  // linked to the list entry
    EXPECT_EQ(a2->tradeCurrency, c2);
    EXPECT_EQ(a3->tradeCurrency, nullptr);  // no entry clears the earlier link
}
