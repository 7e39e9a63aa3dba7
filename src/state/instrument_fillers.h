#pragma once
// Instrument types and instruments of the login data, in both forms (XML
// rows of "Table5"/"Table6" and the compact sections 2 and 4), the per-type
// watchlist symbol lists and the lookups between instrument id and code.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/item_details.h"
#include "model/item_type.h"
#include "state/ordered_dictionary.h"
#include "state/reference_data.h"

namespace state {

using ItemTypeMap = OrderedDictionary<std::shared_ptr<model::ItemType>>;
using ItemMap = OrderedDictionary<std::shared_ptr<model::ItemDetails>>;
// Type name -> "code:name,code:name,..." in fill order.
using SymbolTypeMap = OrderedDictionary<std::string>;
// One element per type: {type name -> its "code:name" entries}.
using SymbolTypes = std::vector<std::map<std::string, std::vector<std::string>>>;

// The collections the fillers write, owned by the session.
struct InstrumentCollections {
    ItemTypeMap& ItemTypeCollection;
    ItemMap& ItemCollection;
    SymbolTypeMap& symbolTypeCollection;
};

namespace InstrumentFillers {

inline constexpr const char* kStoredDateFormat = "MM/dd/yyyy HH:mm:ss";
inline constexpr const char* kXmlDateFormat = "yyyy-MM-dd'T'HH:mm:ssZZZ";
inline constexpr const char* kPackedDateFormat = "yyyyMMddHHmmss";

// One "Table5" row; a row without "InstrumentTypeId" is dropped (logged).
void FillItemType(ItemTypeMap& types, const TableRow& row);
// One "Table6" row, updating the instrument stored under its "Code" in place;
// a row without a code is dropped (logged).
void FillItemDetails(InstrumentCollections c, const TableRow& row);
// Section 2 of the compact text.
void FillPackedItemType(ItemTypeMap& types, std::string_view section);
// Section 4: one new instrument per record, then CalculationItems over every
// instrument. A record too short to carry a code is skipped (logged).
void FillPackedItemDetails(InstrumentCollections c, std::string_view section);
// Its two halves: the records read (needs nothing held; any thread), then
// stored with their type names and symbol lists, and CalculationItems set.
std::vector<std::shared_ptr<model::ItemDetails>> readPackedItems(std::string_view section);
void storePackedItems(InstrumentCollections c, std::vector<std::shared_ptr<model::ItemDetails>> items);
// The second half by parts, for a fill spread over slices: a range of the
// records stored (moved out), then CalculationItems set over every instrument.
void storePackedItemRange(InstrumentCollections c, std::span<std::shared_ptr<model::ItemDetails>> items);
void linkCalculationItems(const ItemMap& items);
// That last pass by ranges of the collection's entries: ids to the first
// instrument holding each (an id held already keeps its instrument), then
// each instrument's CalculationItems, the one whose id is its currency id.
using ItemsById = std::unordered_map<std::int32_t, std::shared_ptr<model::ItemDetails>>;
void indexItemsById(const ItemMap& items, std::size_t from, std::size_t to, ItemsById& byId);
void linkCalculationItems(const ItemMap& items, std::size_t from, std::size_t to, const ItemsById& byId);

// InstrumentTypeName under "%d" of the id; nullopt when unknown.
std::optional<std::string> getInstrumentTypeName(const ItemTypeMap& types, std::int32_t typeId);
SymbolTypes getSymbolTypes(const SymbolTypeMap& symbols);
// One type's "code:name,code:name" list as its entries.
std::vector<std::string> symbolEntries(std::string_view list);
// Code of the first instrument (in key order) with that id; "" when none.
std::string getItemCode(const ItemMap& items, std::int32_t instrumentId);
// Id of the first instrument (in key order) with exactly that code; 0 when none or negative.
std::uint64_t getItemIdForItemCode(const ItemMap& items, const std::string& code);

// 1, 2, 3 or 4 kept, anything else 0.
std::int32_t instrumentTradingStatus(std::int32_t tradingStatusId);

}  // namespace InstrumentFillers

}  // namespace state
