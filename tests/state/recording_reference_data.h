#pragma once
// A trading state that records when its instrument loaders and follow-ups run.
#include <string>
#include <string_view>
#include <vector>

#include "state/reference_data.h"

namespace state::testing {

class RecordingReferenceData : public ReferenceData {
public:
    std::vector<std::string> calls;

    void FillItemType(const TableRow&) override { calls.push_back("FillItemType"); }
    void FillItemDetails(const TableRow& row) override {
        calls.push_back("FillItemDetails");
        ReferenceData::FillItemDetails(row);
    }
    void FillPackedItemType(std::string_view) override { calls.push_back("FillPackedItemType"); }
    void FillPackedItemDetails(std::vector<std::shared_ptr<model::ItemDetails>> items) override {
        calls.push_back("FillPackedItemDetails");
        ReferenceData::FillPackedItemDetails(std::move(items));
    }
    void fillResourceDetails(std::string_view) override { calls.push_back("fillResourceDetails"); }
    void fillCurrencyListDetails(std::string_view) override { calls.push_back("fillCurrencyListDetails"); }
    void fillTradeCurrencyDetails(std::string_view) override { calls.push_back("fillTradeCurrencyDetails"); }
    // The follow-ups note what they could see.
    RecordingReferenceData() {
        setFollowUps({[this] { calls.push_back("LoadItemstoWatchlist"); },
                      [this](std::size_t, std::size_t) {
                          calls.push_back("SetAllSymbolsSpread accounts=" +
                                          std::to_string(AccountDetailCollection().size()) +
                                          " groups=" + std::to_string(GroupDetailCollection().size()));
                      },
                      {},
                      {}});
    }
};

}  // namespace state::testing
