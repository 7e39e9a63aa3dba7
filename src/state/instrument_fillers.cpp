#include "state/instrument_fillers.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "model/formatter.h"
#include "model/text_pool.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "protocol/separator_bytes.h"
#include "state/record_blocks.h"
#include "state/text_conversions.h"

namespace state::InstrumentFillers {

namespace {

using model::ItemDetails;
namespace tv = model::TextValue;

// The patterns are read once, not per row of the login data.
std::string xmlDate(std::string_view text) {
    static const model::DateFormatter source(kXmlDateFormat);
    static const model::DateFormatter stored(kStoredDateFormat);
    return model::Formatter::dateStringFromString(std::string(text), source, stored).value_or("");
}

std::string packedDate(std::string_view text) {
    static const model::DateFormatter source(kPackedDateFormat);
    static const model::DateFormatter stored(kStoredDateFormat);
    return model::Formatter::formatDateandTimeFromString(std::string(text), source, stored).value_or("");
}

std::optional<std::string_view> column(const TableRow& row, const char* name) { return row.find(name); }

// Appends "code:name" to the type's list. An instrument whose type is unknown
// has no list to join: it stays stored but unlisted.
void addToSymbolList(SymbolTypeMap& symbols, bool typeKnown, const ItemDetails& item) {
    if (!item.IsAvailableForWatchlist || !item.Enabled) return;
    if (!typeKnown) {
        platform::Log::debug("Instrument " + item.Code + " of unknown type " + std::to_string(item.InstrumentTypeId) +
                             ": not listed");
        return;
    }
    const std::string entry = item.Code + ":" + item.Name;
    if (std::string* list = symbols.find(item.InstrumentTypeName))
        list->append(",").append(entry);
    else
        symbols.set(item.InstrumentTypeName, entry);
}

// The compact field at `pos` written into the instrument; dates, which repeat
// from record to record, held once in `repeated`.
void setPackedField(ItemDetails& d, std::size_t pos, std::string_view f, model::TextPool& repeated) {
    switch (pos) {
        case 0: d.InstrumentId = tv::intValue(f); break;
        case 1: d.Name = std::string(f); break;
        case 2: d.Code = std::string(f); break;
        case 3: d.CurrencyID = tv::intValue(f); break;
        case 4: d.Enabled = tv::boolValue(f); break;
        case 5: d.InstrumentTypeId = tv::intValue(f); break;
        case 6: d.TickSize = tv::doubleValue(f); break;
        case 7: d.Point = tv::doubleValue(f); break;
        case 8: d.DecimalPlaces = tv::intValue(f); break;
        case 9: d.MonthCode = repeated(f); break;
        case 10: d.ContractSize = tv::doubleValue(f); break;
        case 11: d.UnitId = tv::intValue(f); break;
        case 12:
            d.TradingStatusId = tv::intValue(f);
            d.instrumentTradingStatus = instrumentTradingStatus(d.TradingStatusId);
            break;
        case 13: d.IsAvailableForWatchlist = tv::boolValue(f); break;
        case 14: d.UnderlyingInstrumentId = tv::intValue(f); break;
        case 15: d.MaxUpdateFrequency = tv::doubleValue(f); break;
        case 16: d.CutOffLimitPercentCP = tv::intValue(f); break;
        case 17: d.FND = repeated(packedDate(f)); break;
        case 18: d.LTD = repeated(packedDate(f)); break;
        case 19: d.CircuitLimit = tv::doubleValue(f); break;
        case 20: d.PLCalcModeId = tv::intValue(f); break;
        case 21: d.Bid = tv::doubleValue(f); break;
        case 22: d.Ask = tv::doubleValue(f); break;
        case 23: d.Last = tv::doubleValue(f); break;
        case 24: d.High = tv::doubleValue(f); break;
        case 25: d.Low = tv::doubleValue(f); break;
        case 26: d.DayOpen = tv::doubleValue(f); break;
        case 27: d.PrevClose = tv::doubleValue(f); break;
        case 28: d.UpdateTime = repeated(packedDate(f)); break;
        case 29: d.CurrentTradeSessionSettingId = tv::intValue(f); break;
        case 30: d.HedgeModeId = tv::intValue(f); break;
        case 31: d.MaxHoldingDays = tv::intValue(f); break;
        case 32: d.HighlightColor = tv::intValue(f); break;
        case 33: d.availableOrderTypes = tv::intValue(f); break;
        case 37: d.isAvailableForTrading = tv::boolValue(f); break;
        case 38: d.availableOrderSettings = tv::intValue(f); break;
        case 41: d.mostSignificantDigitLength = TextConversion::nonNegativeInteger(f); break;
        case 42: d.leastSignificantDigitLength = TextConversion::nonNegativeInteger(f); break;
        case 43:
            d.priceTick = tv::doubleValue(f);
            if (d.TickSize == 0.0 && d.DecimalPlaces > 0) d.TickSize = 1.0 / std::pow(10.0, d.DecimalPlaces);
            if (d.priceTick == 0.0) d.priceTick = d.TickSize;
            break;
        case 44: d.circuitLimitUp = tv::doubleValue(f); break;
        case 45: d.circuitLimitDown = tv::doubleValue(f); break;
        case 46: d.orderSettings2 = tv::longLongValue(f); break;
        case 47: d.BaseCurrencyId = TextConversion::nonNegativeInteger(f); break;
        case 48: d.MarginFormulaId = TextConversion::nonNegativeInteger(f); break;
        default: break;  // 34-36, 39, 40 and above 48 are not read
    }
}

}  // namespace

std::int32_t instrumentTradingStatus(std::int32_t id) { return (id >= 1 && id <= 4) ? id : 0; }

void FillItemType(ItemTypeMap& types, const TableRow& row) {
    const std::optional<std::string_view> key = column(row, "InstrumentTypeId");
    if (!key) {
        platform::Log::debug("Instrument type row without InstrumentTypeId: dropped");
        return;
    }
    std::shared_ptr<model::ItemType>* slot = types.find(*key);
    std::shared_ptr<model::ItemType> type =
        slot ? *slot : types.set(std::string(*key), std::make_shared<model::ItemType>());
    type->InstrumentTypeId = tv::intValue(*key);
    if (const std::optional<std::string_view> name = column(row, "InstrumentTypeName")) type->InstrumentTypeName = *name;
}

void FillItemDetails(InstrumentCollections c, const TableRow& row) {
    const std::optional<std::string_view> code = column(row, "Code");
    if (!code || code->empty()) {
        platform::Log::debug("Instrument row without Code: dropped");
        return;
    }
    std::shared_ptr<ItemDetails>* slot = c.ItemCollection.find(*code);
    std::shared_ptr<ItemDetails> item = slot ? *slot : c.ItemCollection.set(std::string(*code), std::make_shared<ItemDetails>());
    ItemDetails& d = *item;

    auto text = [&](const char* name, model::CompactText& field) {
        if (const std::optional<std::string_view> v = column(row, name)) field = *v;
    };
    auto int32 = [&](const char* name, std::int32_t& field) {
        if (const std::optional<std::string_view> v = column(row, name)) field = tv::intValue(*v);
    };
    auto real = [&](const char* name, double& field) {
        if (const std::optional<std::string_view> v = column(row, name)) field = tv::doubleValue(*v);
    };
    auto flag = [&](const char* name, bool& field) {
        if (const std::optional<std::string_view> v = column(row, name)) field = tv::boolValue(*v);
    };
    auto date = [&](const char* name, model::CompactText& field) {
        if (const std::optional<std::string_view> v = column(row, name)) field = xmlDate(*v);
    };

    int32("InstrumentId", d.InstrumentId);
    text("Name", d.Name);
    text("Code", d.Code);
    int32("CurrencyID", d.CurrencyID);
    flag("Enabled", d.Enabled);
    int32("InstrumentTypeId", d.InstrumentTypeId);
    real("TickSize", d.TickSize);
    real("Point", d.Point);
    int32("DecimalPlaces", d.DecimalPlaces);
    text("MonthCode", d.MonthCode);
    real("ContractSize", d.ContractSize);
    int32("UnitId", d.UnitId);
    if (const std::optional<std::string_view> v = column(row, "TradingStatusId")) {
        d.TradingStatusId = tv::intValue(*v);
        d.instrumentTradingStatus = instrumentTradingStatus(d.TradingStatusId);
    }
    flag("IsAvailableForWatchList", d.IsAvailableForWatchlist);
    int32("UnderlyingInstrumentId", d.UnderlyingInstrumentId);
    real("MaxUpdateFrequency", d.MaxUpdateFrequency);
    int32("CutOffLimitPercentCP", d.CutOffLimitPercentCP);
    date("FND", d.FND);
    date("LTD", d.LTD);
    real("CircuitLimit", d.CircuitLimit);
    int32("PLCalcModeId", d.PLCalcModeId);
    real("Bid", d.Bid);
    real("Ask", d.Ask);
    real("Last", d.Last);
    real("High", d.High);
    real("Low", d.Low);
    real("DayOpen", d.DayOpen);
    real("PrevClose", d.PrevClose);
    date("UpdateTime", d.UpdateTime);
    int32("CurrentTradeSessionSettingId", d.CurrentTradeSessionSettingId);
    int32("AvailableOrderTypes", d.availableOrderTypes);

    const std::optional<std::string> typeName = getInstrumentTypeName(c.ItemTypeCollection, d.InstrumentTypeId);
    d.InstrumentTypeName = typeName.value_or("");
    addToSymbolList(c.symbolTypeCollection, typeName.has_value(), d);
    if (d.CurrencyID > 0) d.CalculationItems = item;
}

void FillPackedItemType(ItemTypeMap& types, std::string_view section) {
    for (std::string_view record : TextConversion::split(section, protocol::RowByte)) {
        if (record.empty()) continue;
        const std::vector<std::string_view> f = TextConversion::split(record, protocol::ColumnByte);
        auto type = std::make_shared<model::ItemType>();
        type->InstrumentTypeId = tv::intValue(f[0]);
        if (f.size() > 1) type->InstrumentTypeName = std::string(f[1]);
        std::string key = std::to_string(type->InstrumentTypeId);
        types.set(std::move(key), std::move(type));
    }
}

// The section's instruments sit in bounded blocks (state::RecordBlocks).
std::vector<std::shared_ptr<ItemDetails>> readPackedItems(std::string_view section) {
    state::RecordBlocks<ItemDetails> blocks(TextConversion::countByte(section, protocol::RowByte) + 1);
    model::TextPool repeated;
    TextConversion::eachRecord(section, "Instrument", [&blocks, &repeated](const std::vector<std::string_view>& f) {
        if (f.size() < 3 || f[2].empty()) {
            platform::Log::debug("Instrument record without a code (" + std::to_string(f.size()) +
                                 " fields): skipped");
            return;
        }
        ItemDetails item;
        for (std::size_t pos = 0; pos < f.size() && pos <= 48; ++pos) setPackedField(item, pos, f[pos], repeated);
        blocks.push_back(std::move(item));
    });
    return std::move(blocks).take();
}

void storePackedItemRange(InstrumentCollections c, std::span<std::shared_ptr<ItemDetails>> items) {
    // Most instruments share a few types: each type's name is looked up once, and its text held once.
    struct TypeName {
        bool known = false;
        model::CompactText text;
    };
    std::unordered_map<std::int32_t, TypeName> typeNames;
    for (std::shared_ptr<ItemDetails>& item : items) {
        auto type = typeNames.find(item->InstrumentTypeId);
        if (type == typeNames.end()) {
            const auto name = getInstrumentTypeName(c.ItemTypeCollection, item->InstrumentTypeId);
            type = typeNames.emplace(item->InstrumentTypeId, TypeName{name.has_value(), name.value_or("")}).first;
        }
        item->InstrumentTypeName = type->second.text;
        addToSymbolList(c.symbolTypeCollection, type->second.known, *item);
        std::string code = item->Code;
        c.ItemCollection.set(std::move(code), std::move(item));
    }
}

void indexItemsById(const ItemMap& items, std::size_t from, std::size_t to, ItemsById& byId) {
    if (from == 0) byId.reserve(items.size());
    const auto end = items.begin() + static_cast<std::ptrdiff_t>(std::min(to, items.size()));
    for (auto at = items.begin() + static_cast<std::ptrdiff_t>(std::min(from, items.size())); at < end; ++at)
        byId.emplace(at->second->InstrumentId, at->second);
}

void linkCalculationItems(const ItemMap& items, std::size_t from, std::size_t to, const ItemsById& byId) {
    const auto end = items.begin() + static_cast<std::ptrdiff_t>(std::min(to, items.size()));
    for (auto at = items.begin() + static_cast<std::ptrdiff_t>(std::min(from, items.size())); at < end; ++at) {
        ItemDetails& item = *at->second;
        if (item.CurrencyID <= 0) continue;
        const auto it = byId.find(item.CurrencyID);
        item.CalculationItems = it == byId.end() ? std::shared_ptr<ItemDetails>() : it->second;
    }
}

void linkCalculationItems(const ItemMap& items) {
    // Every instrument, not only this section's: the first one (in key order)
    // whose id is the currency id prices the currency.
    ItemsById byId;
    indexItemsById(items, 0, items.size(), byId);
    linkCalculationItems(items, 0, items.size(), byId);
}

void storePackedItems(InstrumentCollections c, std::vector<std::shared_ptr<ItemDetails>> items) {
    c.ItemCollection.reserve(c.ItemCollection.size() + items.size());
    storePackedItemRange(c, items);
    linkCalculationItems(c.ItemCollection);
}

void FillPackedItemDetails(InstrumentCollections c, std::string_view section) {
    storePackedItems(c, readPackedItems(section));
}

std::optional<std::string> getInstrumentTypeName(const ItemTypeMap& types, std::int32_t typeId) {
    const std::shared_ptr<model::ItemType>* t = types.find(std::to_string(typeId));
    if (!t || !*t) return std::nullopt;
    return (*t)->InstrumentTypeName;
}

std::vector<std::string> symbolEntries(std::string_view list) {
    // Each entry copied once, straight from the list.
    std::vector<std::string> entries;
    entries.reserve(std::size_t(std::count(list.begin(), list.end(), ',')) + 1);
    for (std::size_t from = 0;;) {
        const std::size_t comma = list.find(',', from);
        entries.emplace_back(list.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    return entries;
}

SymbolTypes getSymbolTypes(const SymbolTypeMap& symbols) {
    SymbolTypes out;
    out.reserve(symbols.size());
    for (const auto& [name, list] : symbols) out.push_back({{name, symbolEntries(list)}});
    return out;
}

std::string getItemCode(const ItemMap& items, std::int32_t instrumentId) {
    for (const auto& [code, item] : items)
        if (item->InstrumentId == instrumentId) return item->Code;
    return "";
}

std::uint64_t getItemIdForItemCode(const ItemMap& items, const std::string& code) {
    const auto idOf = [&code](const ItemDetails& item) -> std::uint64_t {
        if (item.InstrumentId >= 0) return static_cast<std::uint64_t>(item.InstrumentId);
        platform::Log::debug("Instrument " + code + " has a negative id: none given");
        return 0;
    };
    // Held under its own code (the fillers key each instrument by it); else the first that carries it.
    const auto* keyed = items.find(code);
    if (keyed && *keyed && (*keyed)->Code == code) return idOf(**keyed);
    for (const auto& [key, item] : items)
        if (item->Code == code) return idOf(*item);
    return 0;
}

}  // namespace state::InstrumentFillers
