#include "state/packed_records.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/log.h"
#include "protocol/separator_bytes.h"
#include "state/instrument_fillers.h"
#include "state/record_setters.h"
#include "state/record_blocks.h"
#include "state/text_conversions.h"

namespace state {

namespace TC = TextConversion;

namespace {

// Caps on the records of a section: the large ones may hold the whole
// login's ceiling; past one the login is refused before anything held changes.
std::size_t recordCap(std::size_t section) {
    switch (static_cast<PackedSection>(section)) {
        case PackedSection::Instruments:
        case PackedSection::GroupInstruments:
        case PackedSection::Accounts: return protocol::kMaxPackedLoginRecords;
        default: return protocol::kMaxPackedSmallSectionRecords;
    }
}

std::string_view sectionOf(const std::vector<std::string_view>& sections, PackedSection which) {
    const auto at = static_cast<std::size_t>(which);
    return at < sections.size() ? sections[at] : std::string_view();
}

}  // namespace

std::optional<protocol::LoginDataTooLarge> packedRecordsOverCeiling(const std::vector<std::string_view>& sections) {
    using Unit = protocol::LoginDataTooLarge::Unit;
    std::size_t total = 0;
    for (std::size_t number = 0; number < sections.size(); ++number) {
        const std::size_t records = TC::countByte(sections[number], protocol::RowByte);
        if (records > recordCap(number)) {
            platform::Log::error("Login data section " + std::to_string(number) + " holds " + std::to_string(records) +
                                 " records, more than " + std::to_string(recordCap(number)) + ": refused");
            return protocol::LoginDataTooLarge{Unit::Entries, records, recordCap(number)};
        }
        total += records;
    }
    if (total <= protocol::kMaxPackedLoginRecords) return std::nullopt;
    platform::Log::error("Login data holds " + std::to_string(total) + " records, more than " +
                         std::to_string(protocol::kMaxPackedLoginRecords) + ": refused");
    return protocol::LoginDataTooLarge{Unit::Entries, total, protocol::kMaxPackedLoginRecords};
}

// No field of this section carries PLCalcModeId: it stays 0, which the
// profit-and-loss calculation treats as mode 1.
namespace {

model::GroupInstruments groupInstrumentOf(const std::vector<std::string_view>& f) {
    model::GroupInstruments gi;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const std::string_view v = f[i];
        switch (i) {
            case 0: gi.groupdetailsid = TC::intValue(v); break;
            case 1: gi.GroupId = TC::intValue(v); break;
            case 2: gi.InstrumentId = TC::intValue(v); break;
            case 3: gi.OrderQtyStep = TC::doubleValue(v); break;
            case 4: gi.MaxOrderQty = TC::doubleValue(v); break;
            case 5: gi.MinOrderQty = TC::doubleValue(v); break;
            case 6: gi.SpreadBid = TC::intValue(v); break;
            case 7: gi.SpreadAsk = TC::intValue(v); break;
            case 8: gi.SpreadTypeId = TC::intValue(v); break;
            case 9: gi.BuyInterestRate = TC::doubleValue(v); break;
            case 10: gi.SellInterestRate = TC::doubleValue(v); break;
            case 11: gi.LimitMinPips = TC::intValue(v); break;
            case 12: gi.StopMinPips = TC::intValue(v); break;
            case 13: gi.AllowShortSelling = TC::boolValue(v); break;
            case 14: gi.InitialMargin = TC::doubleValue(v); break;
            case 15: gi.LimitOrderMargin = TC::doubleValue(v); break;
            case 16: gi.LiquidationMargin = TC::doubleValue(v); break;
            case 17: gi.IntradayOrderMargin = TC::doubleValue(v); break;
            case 18: gi.BTSTOrderMargin = TC::doubleValue(v); break;
            case 19: gi.OverNightMargin = TC::doubleValue(v); break;
            case 20: gi.Commission = TC::doubleValue(v); break;
            case 21: gi.AutoExecutionModeId = TC::intValue(v); break;
            case 22: setMarginCalcModeId(gi, TC::intValue(v)); break;
            case 25: gi.InitialSellMargin = TC::doubleValue(v); break;
            case 26: gi.availableOrderSettings = TC::intValue(v); break;
            case 27: gi.isAvailableForTrading = TC::boolValue(v); break;
            default: break;  // 23 and 24 are not read
        }
    }
    return gi;
}

}  // namespace

std::shared_ptr<model::GroupInstruments> readPackedGroupInstrument(const std::vector<std::string_view>& f) {
    return std::make_shared<model::GroupInstruments>(groupInstrumentOf(f));
}

// The section's records sit in bounded blocks (RecordBlocks).
std::vector<std::shared_ptr<model::GroupInstruments>> readPackedGroupInstruments(std::string_view section) {
    RecordBlocks<model::GroupInstruments> blocks(TC::countByte(section, protocol::RowByte) + 1);
    TC::eachRecord(section, "Group instrument", [&blocks](const std::vector<std::string_view>& f) {
        blocks.push_back(groupInstrumentOf(f));
    });
    return std::move(blocks).take();
}

std::shared_ptr<PackedLoginRecords> PackedLoginRecords::read(std::string_view text,
                                                             std::optional<protocol::LoginDataTooLarge>* tooLarge) {
    try {
        const std::vector<std::string_view> sections = TC::split(text, protocol::SectionByte);
        if (auto over = packedRecordsOverCeiling(sections)) {
            if (tooLarge) *tooLarge = over;
            return nullptr;
        }
        auto records = std::make_shared<PackedLoginRecords>();
        records->instruments = InstrumentFillers::readPackedItems(sectionOf(sections, PackedSection::Instruments));
        records->groupInstruments = readPackedGroupInstruments(sectionOf(sections, PackedSection::GroupInstruments));
        records->sectionBounds.reserve(sections.size());
        for (std::string_view section : sections)
            records->sectionBounds.emplace_back(static_cast<std::size_t>(section.data() - text.data()), section.size());
        records->textSize = text.size();
        return records;
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Login data records not read ahead: ") + e.what());
        return nullptr;
    }
}

std::optional<std::vector<std::string_view>> PackedLoginRecords::sectionsOf(std::string_view text) const {
    if (sectionBounds.empty() || text.size() != textSize) return std::nullopt;
    std::vector<std::string_view> sections;
    sections.reserve(sectionBounds.size());
    for (const auto& [start, size] : sectionBounds) sections.push_back(text.substr(start, size));
    return sections;
}

}  // namespace state
