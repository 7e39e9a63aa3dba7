#pragma once
// The two large sections of the compact login data, instruments and group
// instruments, read into new records by one reader, on "NewQueue" ahead of the
// main thread or on the main thread itself: reading a record needs nothing the
// session holds, so the fillers only store them.
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "model/group_instruments.h"
#include "model/item_details.h"
#include "protocol/login_data_limits.h"

namespace state {

// The sections of the compact login data the client reads, by number; the
// other numbers (7, 9 to 15, 17, 18, 22 on) are not read.
enum class PackedSection : std::size_t {
    UserInfo = 0,
    ProductInfo = 1,
    ItemTypes = 2,
    SessionSettings = 3,
    Instruments = 4,
    Groups = 5,
    GroupInstruments = 6,
    Accounts = 8,
    LoginInfos = 16,
    Resources = 19,
    CurrencyList = 20,
    TradeCurrencies = 21,
};

struct PackedLoginRecords {
    // Instruments: every record that carries a code, in order.
    std::vector<std::shared_ptr<model::ItemDetails>> instruments;
    // Group instruments, in order.
    std::vector<std::shared_ptr<model::GroupInstruments>> groupInstruments;
    // Where each section of the text read lies (start and size): the main
    // thread cuts the text without a scan of it.
    std::vector<std::pair<std::size_t, std::size_t>> sectionBounds;
    std::size_t textSize = 0;

    // The sections of `text` by their bounds; nullopt when it is not the text read.
    std::optional<std::vector<std::string_view>> sectionsOf(std::string_view text) const;

    // The records of a whole compact text; null when a section is over its
    // cap or the whole over the login's ceiling (said in `tooLarge`; the main
    // thread refuses such a login), or when the text cannot be read.
    static std::shared_ptr<PackedLoginRecords> read(std::string_view text,
                                                    std::optional<protocol::LoginDataTooLarge>* tooLarge = nullptr);
};

// The first section of the compact text over its cap of records, or the
// whole over the login's ceiling (logged); nullopt within.
std::optional<protocol::LoginDataTooLarge> packedRecordsOverCeiling(const std::vector<std::string_view>& sections);

// One group-instrument record (fields cut at 0x05); unread positions stay at their defaults.
std::shared_ptr<model::GroupInstruments> readPackedGroupInstrument(const std::vector<std::string_view>& fields);
// Every record of the group-instruments section, in order; a record that does not read is skipped (logged).
std::vector<std::shared_ptr<model::GroupInstruments>> readPackedGroupInstruments(std::string_view section);

}  // namespace state
