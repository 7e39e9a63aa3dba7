#pragma once
// The two large sections of the compact login data, instruments (4) and group
// instruments (6), read into new records on "NewQueue": reading a record
// needs nothing the session holds, so the main thread only stores them.
#include <memory>
#include <string_view>
#include <vector>

#include "model/group_instruments.h"
#include "model/item_details.h"

namespace state {

struct PackedLoginRecords {
    // Section 4: every record that carries a code, in order.
    std::vector<std::shared_ptr<model::ItemDetails>> instruments;
    // Section 6, in order.
    std::vector<std::shared_ptr<model::GroupInstruments>> groupInstruments;

    // The records of a whole compact text; null when a section is over its
    // cap (the main thread refuses such a login) or the text cannot be read.
    static std::shared_ptr<PackedLoginRecords> read(std::string_view text);
};

// Whether no section of the compact text holds more records than its cap;
// `log` says which one when refused.
bool packedSectionsWithinCaps(const std::vector<std::string_view>& sections, bool log);

// One record of section 6 (fields cut at 0x05); unread positions stay at their defaults.
std::shared_ptr<model::GroupInstruments> readPackedGroupInstrument(const std::vector<std::string_view>& fields);
// Every record of section 6, in order; a record that does not read is skipped (logged).
std::vector<std::shared_ptr<model::GroupInstruments>> readPackedGroupInstruments(std::string_view section);

}  // namespace state
