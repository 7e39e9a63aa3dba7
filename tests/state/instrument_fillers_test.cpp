// Instrument types and instruments from both forms of the login data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/log.h"
#include "state/compact_records.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"
#include "support/reference_data_test_access.h"

using namespace state;
namespace IF = state::InstrumentFillers;

namespace {

using state::testing::rec;
using state::testing::section;

// A full 49-field instrument record with the given overrides.
std::string instrument(const std::string& id, const std::string& code, const std::string& type,
                       std::vector<std::pair<int, std::string>> set = {}) {
    std::vector<std::string> f(49, "0");
    f[0] = id;
    f[1] = "Name " + code;
    f[2] = code;
    f[4] = "1";   // Enabled
    f[5] = type;
    f[13] = "1";  // available for the watchlist
    for (auto& [pos, v] : set) f[static_cast<std::size_t>(pos)] = v;
    return rec(f);
}

TableRow row(std::initializer_list<std::pair<std::string, std::string>> columns) {
    TableRow r;
    for (const auto& [k, v] : columns) r.set(k, v);
    return r;
}

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::setSink([this](platform::LogLevel, const std::string& m) { logged.push_back(m); });
        IF::FillPackedItemType(types, section({rec({"1", "Metals"}), rec({"2", "Energy"})}));
    }
    void TearDown() override { platform::Log::setSink(nullptr); }
    InstrumentCollections c() { return {types, items, symbols}; }
    std::shared_ptr<model::ItemDetails> item(const std::string& code) {
        auto* p = items.find(code);
        return p ? *p : nullptr;
    }
    ItemTypeMap types;
    ItemMap items;
    SymbolTypeMap symbols;
    std::vector<std::string> logged;
};

}  // namespace

TEST_F(InstrumentTest, PackedRecordOfThreeFieldsIsStoredButNotListed) {
    IF::FillPackedItemDetails(c(), section({rec({"7", "Gold", "XAU"})}));
    auto g = item("XAU");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->InstrumentId, 7);
    EXPECT_EQ(g->Name, "Gold");
    EXPECT_EQ(g->Bid, 0.0);
    EXPECT_FALSE(g->Enabled);
    EXPECT_FALSE(g->IsAvailableForWatchlist);
    EXPECT_TRUE(symbols.empty());
}

TEST_F(InstrumentTest, TickFallbacksOnlyForRecordsWithField43) {
    // TickSize 0, DecimalPlaces 2, priceTick "0": both become 0.01.
    IF::FillPackedItemDetails(c(), section({instrument("1", "A", "1", {{6, "0"}, {8, "2"}, {43, "0"}})}));
    EXPECT_DOUBLE_EQ(item("A")->TickSize, 0.01);
    EXPECT_DOUBLE_EQ(item("A")->priceTick, 0.01);

    // The same record cut before field 43: TickSize stays 0.
    std::vector<std::string> f(43, "0");
    f[0] = "2", f[2] = "B", f[8] = "2";
    IF::FillPackedItemDetails(c(), section({rec(f)}));
    EXPECT_EQ(item("B")->TickSize, 0.0);
    EXPECT_EQ(item("B")->priceTick, 0.0);

    // A given priceTick and TickSize are kept.
    IF::FillPackedItemDetails(c(), section({instrument("3", "C", "1", {{6, "0.25"}, {8, "2"}, {43, "0.5"}})}));
    EXPECT_DOUBLE_EQ(item("C")->TickSize, 0.25);
    EXPECT_DOUBLE_EQ(item("C")->priceTick, 0.5);
}

TEST_F(InstrumentTest, TradingStatusAndDates) {
    IF::FillPackedItemDetails(c(), section({instrument("1", "A", "1", {{12, "7"}, {17, "20261207103000"},
                                                                      {18, "00010101000000"}}),
                                            instrument("2", "B", "1", {{12, "2"}})}));
    EXPECT_EQ(item("A")->TradingStatusId, 7);
    EXPECT_EQ(item("A")->instrumentTradingStatus, 0);
    EXPECT_EQ(item("B")->instrumentTradingStatus, 2);
    EXPECT_EQ(item("A")->FND, "12/07/2026 10:30:00");
    EXPECT_EQ(item("A")->LTD, "");
}

TEST_F(InstrumentTest, SameCodeTwiceReplacesButListsBoth) {
    IF::FillPackedItemDetails(c(), section({instrument("1", "XAU", "1"), instrument("2", "XAU", "1")}));
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(item("XAU")->InstrumentId, 2);
    EXPECT_EQ(*symbols.find("Metals"), "XAU:Name XAU,XAU:Name XAU");
}

TEST_F(InstrumentTest, ShortOrUnknownTypeRecordsDoNotEndTheSection) {
    IF::FillPackedItemDetails(
        c(), section({instrument("5", "USD", "1"), rec({"6", "short"}), instrument("8", "ODD", "99", {{3, "5"}}),
                      instrument("9", "XAU", "2", {{3, "5"}}), instrument("10", "XAG", "2", {{3, "77"}})}));
    EXPECT_EQ(items.size(), 4u);
    // Stored, unlisted, and still linked to its currency's instrument.
    ASSERT_TRUE(item("ODD"));
    EXPECT_EQ(item("ODD")->InstrumentTypeName, "");
    EXPECT_EQ(item("ODD")->CalculationItems.lock(), item("USD"));
    EXPECT_EQ(item("XAU")->CalculationItems.lock(), item("USD"));
    EXPECT_EQ(item("XAG")->CalculationItems.lock(), nullptr);
    EXPECT_EQ(*symbols.find("Metals"), "USD:Name USD");
    EXPECT_EQ(*symbols.find("Energy"), "XAU:Name XAU,XAG:Name XAG");
    EXPECT_GE(logged.size(), 2u);
}

TEST_F(InstrumentTest, XmlRowsUpdateInPlaceAndNeverSetCompactOnlyFields) {
    IF::FillItemDetails(c(), row({{"Code", "XAU"}, {"Name", "Gold"}, {"InstrumentId", "9"}, {"CurrencyID", "5"}, {"Bid", "1.5"},
                              {"Enabled", "true"}, {"IsAvailableForWatchList", "true"}, {"InstrumentTypeId", "1"},
                              {"TickSize", "0"}, {"DecimalPlaces", "2"}, {"TradingStatusId", "2"}}));
    auto first = item("XAU");
    IF::FillItemDetails(c(), row({{"Code", "XAU"}, {"Ask", "1.7"}}));
    EXPECT_EQ(item("XAU"), first);
    EXPECT_EQ(first->Bid, 1.5);
    EXPECT_EQ(first->Ask, 1.7);
    EXPECT_EQ(first->instrumentTradingStatus, 2);
    EXPECT_EQ(first->InstrumentTypeName, "Metals");
    EXPECT_EQ(first->CalculationItems.lock(), first);  // the instrument itself
    EXPECT_EQ(first->priceTick, 0.0);
    EXPECT_EQ(first->TickSize, 0.0);
    EXPECT_EQ(first->HedgeModeId, 0);
    EXPECT_EQ(first->circuitLimitUp, 0.0);
    // Each row of a listed instrument adds its entry.
    EXPECT_EQ(*symbols.find("Metals"), "XAU:Gold,XAU:Gold");

    // Unknown type: stored, unlisted, CalculationItems still set.
    IF::FillItemDetails(c(), row({{"Code", "ODD"}, {"CurrencyID", "3"}, {"Enabled", "1"},
                              {"IsAvailableForWatchList", "1"}, {"InstrumentTypeId", "42"}}));
    ASSERT_TRUE(item("ODD"));
    EXPECT_EQ(item("ODD")->CalculationItems.lock(), item("ODD"));
    EXPECT_EQ(symbols.size(), 1u);

    // No code: dropped.
    IF::FillItemDetails(c(), row({{"Name", "nameless"}}));
    IF::FillItemDetails(c(), row({{"Code", ""}, {"Name", "empty code"}}));
    EXPECT_EQ(items.size(), 2u);
}

TEST_F(InstrumentTest, XmlTypeKeysAreTheTextAsReceived) {
    ItemTypeMap xmlTypes;
    IF::FillItemType(xmlTypes, row({{"InstrumentTypeId", "07"}, {"InstrumentTypeName", "Softs"}}));
    IF::FillItemType(xmlTypes, row({{"InstrumentTypeName", "no id"}}));
    EXPECT_EQ(xmlTypes.size(), 1u);
    ASSERT_TRUE(xmlTypes.find("07"));
    EXPECT_EQ((*xmlTypes.find("07"))->InstrumentTypeId, 7);
    EXPECT_FALSE(IF::getInstrumentTypeName(xmlTypes, 7));
}

TEST_F(InstrumentTest, Lookups) {
    IF::FillPackedItemDetails(c(), section({instrument("4", "XAU", "1"), instrument("6", "WTI", "2")}));
    symbols.set("Indices", "DAX:Dax, Germany,SPX:S&P");
    const SymbolTypes st = IF::getSymbolTypes(symbols);
    ASSERT_EQ(st.size(), 3u);
    EXPECT_EQ(st[0].at("Metals"), std::vector<std::string>{"XAU:Name XAU"});
    // A name holding "," gives two entries.
    EXPECT_EQ(st[2].at("Indices"), (std::vector<std::string>{"DAX:Dax", " Germany", "SPX:S&P"}));
    SymbolTypeMap edges;  // an empty list and a trailing comma keep their empty entries
    edges.set("Empty", "");
    edges.set("Trailing", "A:a,");
    const SymbolTypes e = IF::getSymbolTypes(edges);
    EXPECT_EQ(e[0].at("Empty"), std::vector<std::string>{""});
    EXPECT_EQ(e[1].at("Trailing"), (std::vector<std::string>{"A:a", ""}));
    EXPECT_EQ(IF::getItemCode(items, 6), "WTI");
    EXPECT_EQ(IF::getItemCode(items, 99), "");
    EXPECT_EQ(IF::getItemIdForItemCode(items, "XAU"), 4u);
    EXPECT_EQ(IF::getItemIdForItemCode(items, "xau"), 0u);
    EXPECT_EQ(IF::getItemIdForItemCode(items, "NONE"), 0u);
    (*items.find("WTI"))->InstrumentId = -6;
    EXPECT_EQ(IF::getItemIdForItemCode(items, "WTI"), 0u);
}

// The session's id index answers as the plain scan does through every change of the instruments,
// by code and by the instrument held under it.
TEST_F(InstrumentTest, ItemCodeIndexFollowsTheInstruments) {
    ReferenceData reference;
    ItemMap& held = ReferenceDataTestAccess::ItemCollection(reference);
    const auto fill = [&](std::vector<std::string> records) {
        IF::FillPackedItemDetails({types, held, symbols}, section(records));
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"filled", [&] { fill({instrument("4", "XAU", "1"), instrument("6", "WTI", "2")}); }},
        {"replaced under its code with another id", [&] { fill({instrument("7", "XAU", "1")}); }},
        {"a second code with a held id", [&] { fill({instrument("6", "BRN", "2")}); }},
        {"an id changed in place", [&] { (*held.find("WTI"))->InstrumentId = 9; }},
        {"erased", [&] { held.erase("WTI"); }},
        {"cleared", [&] { held.clear(); }},
    };
    for (const auto& [what, change] : steps) {
        change();
        for (std::int32_t id : {4, 6, 7, 9, 99}) {
            const std::string code = IF::getItemCode(held, id);
            EXPECT_EQ(reference.itemCode(id), code) << what << ", id " << id;
            const auto* keyed = code.empty() ? nullptr : std::as_const(held).find(code);
            EXPECT_EQ(reference.instrumentById(id), keyed ? *keyed : nullptr) << what << ", id " << id;
        }
    }
}
