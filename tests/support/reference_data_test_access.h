#pragma once
// The reference data's collections, writable, for tests and benchmarks that
// fill a session's records directly instead of through a login.
#include <string_view>

#include "state/packed_records.h"
#include "state/reference_data.h"

namespace state {

struct ReferenceDataTestAccess {
    static auto& userInfo(ReferenceData& r) { return r.userInfo_; }
    static auto& loginInfoMessageCollection(ReferenceData& r) { return r.loginInfos_; }
    static auto& AccountDetailCollection(ReferenceData& r) { return r.accounts_; }
    static auto& GroupDetailCollection(ReferenceData& r) { return r.groups_; }
    static auto& ItemTypeCollection(ReferenceData& r) { return r.itemTypes_; }
    static auto& ItemCollection(ReferenceData& r) { return r.items_; }
    static auto& symbolTypeCollection(ReferenceData& r) { return r.symbolTypes_; }
    static auto& SessionSettingCollection(ReferenceData& r) { return r.sessionSettings_; }
    static auto& tradeCurrencyCollection(ReferenceData& r) { return r.tradeCurrencies_; }
    static auto& resourceCollection(ReferenceData& r) { return r.resources_; }
    static auto& resourceSearchCollection(ReferenceData& r) { return r.resourceSearch_; }
    static auto& requestedDownloads(ReferenceData& r) { return r.requestedDownloads_; }
    static auto& userAccountMapCollection(ReferenceData& r) { return r.userAccountMaps_; }
    // The caller may change the list.
    static auto& selectedSymbols(ReferenceData& r) {
        ++r.watchlistRevision_;
        return r.selectedSymbols_;
    }
    static auto& marketSessionSchedulesCollection(ReferenceData& r) { return r.marketSessionSchedules_; }
    static auto& sessionSchedulesArray(ReferenceData& r) { return r.sessionSchedules_; }
    static auto& TableDataCollection(ReferenceData& r) { return r.tables_; }
};

// A compact text through the login's road: its records read, then filled;
// false, with nothing filled, when a section is over its cap.
inline bool fillPacked(ReferenceData& r, std::string_view text) {
    const auto records = PackedLoginRecords::read(text);
    if (records) r.FillPackedDetails(text, *records);
    return records != nullptr;
}

}  // namespace state
