#include "login_data.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "wire_message.h"

namespace sim {
namespace LoginData {

namespace {

// Field order of each compact section; "" marks a position that is not read.
const std::vector<std::string> kUserFields = {
    "userid", "lastrefid", "NewRefid", "ddeenabled", "userenabled", "userTypeId", "forceLogoutRefid",
    "forceLogoutLoadServerId", "appModeId", "canChangePassword", "tradePubPort", "marketdepthPort",
    "hdserverPort", "", "", "systemCurrencyId"};
const std::vector<std::string> kProductFields = {"productId", "productName", "LatestBuild", "",
                                                 "LatestSupportedBuild"};
const std::vector<std::string> kItemTypeFields = {"InstrumentTypeId", "InstrumentTypeName"};
const std::vector<std::string> kSessionFields = {
    "SettingsId", "SettingsName", "EnterLimitOrder", "EnterMarketOrder", "EditLimitOrder",
    "EditMarketOrder", "ExecuteOrders", "PublishMarketData", "PublishTradeData", "MatchMMwithMMOrders",
    "EnterMarketMakerOrder", "EditMarketMakertOrder", "SessionColor", "UseELP", "", "marketTradingStatus"};
const std::vector<std::string> kInstrumentFields = {
    "InstrumentId", "Name", "Code", "CurrencyID", "Enabled", "InstrumentTypeId", "TickSize", "Point",
    "DecimalPlaces", "MonthCode", "ContractSize", "UnitId", "TradingStatusId", "IsAvailableForWatchList",
    "UnderlyingInstrumentId", "MaxUpdateFrequency", "CutOffLimitPercentCP", "FND", "LTD", "CircuitLimit",
    "PLCalcModeId", "Bid", "Ask", "Last", "High", "Low", "DayOpen", "PrevClose", "UpdateTime",
    "CurrentTradeSessionSettingId", "HedgeModeId", "MaxHoldingDays", "HighlightColor",
    "AvailableOrderTypes", "", "", "", "isAvailableForTrading", "availableOrderSettings", "", "",
    "mostSignificantDigitLength", "leastSignificantDigitLength", "priceTick", "circuitLimitUp",
    "circuitLimitDown", "orderSettings2", "BaseCurrencyId", "MarginFormulaId"};
const std::vector<std::string> kGroupFields = {
    "GroupId", "Name", "TradingEnabled", "CompanyId", "", "IsNewsEnabled", "IsMailEnabled",
    "IsChatEnabled", "IsEAEnabled", "InstrumentLimit", "WatchListItemLimit", "MaxOrderQty",
    "OrderQtyStep", "IsTrailingStopEnabled", "MarginCallLevel", "StopOutLevel", "LeverageOnFProfit",
    "RevLeverageOnFLoss", "ReportHistoryDaysLimit", "SendMailReports", "SendExecutionSMS", "CreditRating"};
const std::vector<std::string> kGroupInstrumentFields = {
    "groupdetailsid", "groupid", "InstrumentId", "OrderQtyStep", "MaxOrderQty", "MinOrderQty",
    "SpreadBid", "SpreadAsk", "SpreadTypeId", "buyInterestRate", "sellInterestRate", "LimitMinPips",
    "StopMinPips", "AllowShortSelling", "Initialmargin", "LimitOrderMargin", "LiquidationMargin",
    "IntradayOrderMargin", "BTSTOrderMargin", "OverNightMargin", "Commission", "AutoExecutionModeId",
    "MarginCalcModeId", "", "", "InitialSellMargin", "availableOrderSettings", "isAvailableForTrading"};
const std::vector<std::string> kAccountFields = {
    "AccountId", "GroupId", "AccountTypeId", "", "Balance", "UnrealisedPL", "LeverageOnPositions",
    "CollateralSecurity", "UsedMargin", "Equity", "AvailableMargin", "", "HedgeModeId", "TradeRouteId",
    "AutoExecutionModeId", "AccountName", "AccountEnabled", "InstrumentLimit", "WatchListItemLimit",
    "AccountAccessTypeId", "TradingStatusId", "", "AccumulatingStorage", "primaryAccountHolderUserid",
    "AvailableOrderTypes", "", "", "", "accountSettings", "", "", "", "", "currencyID", "accountSettings2",
    "oneSideMargin"};
const std::vector<std::string> kResourceFields = {
    "resourceId", "caption", "URL", "iconResourceId", "groupName", "resourceType", "productId", "isNew",
    "showFocus", "enabled", "extraData"};
const std::vector<std::string> kCurrencyFields = {"currencyID", "currencyCode", "instrumentID",
                                                  "bidRate", "askRate", "conversionMode"};
const std::vector<std::string> kTradeCurrencyFields = {"currencyID", "currencyCode", "instrumentID",
                                                       "bidRate", "askRate", "conversionMode",
                                                       "isDirect", "depositRate"};

// XML columns of each table (the compact-only fields are left out).
const std::vector<std::string> kUserColumns = {
    "userid", "lastrefid", "NewRefid", "ddeenabled", "userenabled", "userTypeId", "forceLogoutRefid",
    "forceLogoutLoadServerId", "appModeId", "canChangePassword", "tradePubPort", "marketdepthPort",
    "hdserverPort", "OfflineMessageCount"};
const std::vector<std::string> kProductColumns = {"productId", "productName", "LatestBuild",
                                                  "LatestSupportedBuild"};
const std::vector<std::string> kInstrumentColumns = {
    "InstrumentId", "Name", "Code", "CurrencyID", "Enabled", "InstrumentTypeId", "TickSize", "Point",
    "DecimalPlaces", "MonthCode", "ContractSize", "UnitId", "TradingStatusId", "IsAvailableForWatchList",
    "UnderlyingInstrumentId", "MaxUpdateFrequency", "CutOffLimitPercentCP", "FND", "LTD", "CircuitLimit",
    "PLCalcModeId", "Bid", "Ask", "Last", "High", "Low", "DayOpen", "PrevClose", "UpdateTime",
    "CurrentTradeSessionSettingId", "AvailableOrderTypes"};
const std::vector<std::string> kGroupInstrumentColumns = {
    "groupdetailsid", "groupid", "InstrumentId", "OrderQtyStep", "MaxOrderQty", "MinOrderQty",
    "SpreadBid", "SpreadAsk", "SpreadTypeId", "buyInterestRate", "sellInterestRate", "LimitMinPips",
    "StopMinPips", "AllowShortSelling", "Initialmargin", "LimitOrderMargin", "LiquidationMargin",
    "IntradayOrderMargin", "BTSTOrderMargin", "OverNightMargin", "Commission", "AutoExecutionModeId",
    "MarginCalcModeId", "PLCalcModeId"};
const std::vector<std::string> kAccountColumns = {
    "AccountId", "GroupId", "AccountTypeId", "Balance", "UnrealisedPL", "LeverageOnPositions",
    "CollateralSecurity", "UsedMargin", "Equity", "AvailableMargin", "HedgeModeId", "TradeRouteId",
    "AutoExecutionModeId", "AccountName", "AccountEnabled", "InstrumentLimit", "WatchListItemLimit",
    "AccountAccessTypeId", "TradingStatusId", "AccumulatingStorage", "AvailableOrderTypes", "BranchId"};
const std::vector<std::string> kSessionColumns = {
    "SettingsId", "SettingsName", "EnterLimitOrder", "EnterMarketOrder", "EditLimitOrder",
    "EditMarketOrder", "ExecuteOrders", "PublishMarketData", "PublishTradeData", "MatchMMwithMMOrders",
    "EnterMarketMakerOrder", "EditMarketMakertOrder", "SessionColor", "UseELP"};

bool isDateColumn(std::string_view key) { return key == "FND" || key == "LTD" || key == "UpdateTime"; }

// yyyyMMddHHmmss -> yyyy-MM-ddTHH:mm:ss+00:00 for the XML form.
void xmlDate(std::string& t) {
    if (t.size() != 14) return;
    const std::string packed = t;
    t = packed.substr(0, 4) + "-" + packed.substr(4, 2) + "-" + packed.substr(6, 2) + "T" + packed.substr(8, 2) +
        ":" + packed.substr(10, 2) + ":" + packed.substr(12, 2) + "+00:00";
}

// A table's columns sorted by name, so that one walk of a record's members
// (kept sorted by name) finds them all.
class ColumnOrder {
public:
    explicit ColumnOrder(const std::vector<std::string>& columns) : size_(columns.size()) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (!columns[i].empty()) byName_.emplace_back(columns[i], i);
        std::sort(byName_.begin(), byName_.end());
    }

    // members[i]: the record's value of column i, or null when it has none.
    void find(const Json& record, std::vector<const Json*>& members) const {
        members.assign(size_, nullptr);
        if (!record.is_object()) return;
        const auto& object = record.get_ref<const Json::object_t&>();
        auto it = object.begin();
        for (const auto& [name, column] : byName_) {
            while (it != object.end() && std::string_view(it->first) < name) ++it;
            if (it == object.end()) break;
            if (it->first == name && !it->second.is_null()) members[column] = &it->second;
        }
    }

private:
    std::size_t size_;
    std::vector<std::pair<std::string_view, std::size_t>> byName_;
};

// A record's columns: its JSON members, and the values the simulator gives in their place.
class Columns {
public:
    explicit Columns(const Json& record) : record_(&record) {}
    void give(std::string_view key, std::string value) { given_.emplace_back(key, std::move(value)); }

    // Calls fn(column, text) for each column of `columns` the record has a value for.
    template <typename Fn>
    void each(const std::vector<std::string>& columns, const ColumnOrder& order, bool xml, Fn fn) const {
        thread_local std::vector<const Json*> members;
        thread_local std::string value;
        order.find(*record_, members);
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (text(columns[i], members[i], xml, value)) fn(i, value);
    }

private:
    bool text(std::string_view key, const Json* member, bool xml, std::string& into) const {
        if (key.empty()) return false;
        for (const auto& [k, v] : given_)
            if (k == key) {
                into = v;
                return true;
            }
        if (!member) return false;
        const Json& v = *member;
        if (v.is_boolean()) {
            into = jsonBool(v) ? (xml ? "true" : "1") : (xml ? "false" : "0");
        } else if (v.is_string()) {
            into.assign(v.get_ref<const std::string&>());
        } else {
            into = jsonText(v);
        }
        if (xml && isDateColumn(key)) xmlDate(into);
        return true;
    }

    const Json* record_;
    std::vector<std::pair<std::string_view, std::string>> given_;
};

// Control bytes inside a value would break the sections apart.
void appendCleaned(std::string& out, std::string_view value) {
    for (char c : value) out += (c >= 0x01 && c <= 0x07) ? ' ' : c;
}

// One record of a compact section, its columns joined by 0x05 and ended by 0x06.
void appendPacked(std::string& out, const std::vector<std::string>& fields, const ColumnOrder& order,
                  const Columns& record) {
    std::size_t at = 0;
    record.each(fields, order, false, [&](std::size_t column, const std::string& value) {
        for (; at < column; ++at) out += kColumn;
        appendCleaned(out, value);
    });
    for (; at + 1 < fields.size(); ++at) out += kColumn;
    out += kRow;
}

void appendPacked(std::string& out, const std::vector<std::string>& fields, const Columns& record) {
    appendPacked(out, fields, ColumnOrder(fields), record);
}

void appendPacked(std::string& out, const std::vector<std::string>& fields, const Json::array_t& records) {
    const ColumnOrder order(fields);
    for (const auto& r : records) appendPacked(out, fields, order, Columns(r));
}

// The columns in which a scaled copy differs from the JSON record it shares.
using OwnColumns = std::vector<std::pair<std::string_view, std::string>>;

OwnColumns ownColumns(const InstrumentRecord& i) {
    if (!i.scaledCopy) return {};
    return {{"InstrumentId", std::to_string(i.id)}, {"Name", i.name}, {"Code", i.code}};
}

OwnColumns ownColumns(const GroupInstrumentRecord& r) {
    if (!r.scaledCopy) return {};
    return {{"groupdetailsid", std::to_string(r.rowId)}, {"InstrumentId", std::to_string(r.instrumentId)}};
}

template <typename Record>
Columns columnsOf(const Record& r) {
    Columns c(*r.record);
    for (auto& [key, value] : ownColumns(r)) c.give(key, std::move(value));
    return c;
}

// Compact rows of records and of scaled copies of them: a shared JSON record
// is packed once, and a copy's row is that row with its own columns spliced in.
class PackedRows {
public:
    explicit PackedRows(const std::vector<std::string>& fields) : fields_(fields), order_(fields) {}

    template <typename Record>
    void append(std::string& out, const Record& r) {
        if (!r.scaledCopy) return appendPacked(out, fields_, order_, Columns(*r.record));
        const Row& source = rowOf(*r.record);
        std::vector<std::pair<std::size_t, std::string>> own;
        for (auto& [key, value] : ownColumns(r)) {
            const auto column = std::find(fields_.begin(), fields_.end(), key);
            if (column != fields_.end()) own.emplace_back(column - fields_.begin(), std::move(value));
        }
        std::sort(own.begin(), own.end());
        std::size_t at = 0;
        for (const auto& [column, value] : own) {
            out.append(source.text, at, source.starts[column] - at);
            appendCleaned(out, value);
            at = column + 1 < source.starts.size() ? source.starts[column + 1] - 1 : source.text.size() - 1;
        }
        out.append(source.text, at);
    }

private:
    struct Row {
        std::string text;
        std::vector<std::size_t> starts;  // of each column in `text`
    };

    const Row& rowOf(const Json& record) {
        const auto [it, added] = rows_.try_emplace(&record);
        Row& row = it->second;
        if (added) {
            appendPacked(row.text, fields_, order_, Columns(record));
            row.starts.push_back(0);
            for (std::size_t i = 0; i < row.text.size(); ++i)
                if (row.text[i] == kColumn) row.starts.push_back(i + 1);
        }
        return row;
    }

    const std::vector<std::string>& fields_;
    ColumnOrder order_;
    std::unordered_map<const Json*, Row> rows_;
};

// The client's XML reader decodes no entities, so text with markup characters goes
// into a CDATA section, which it keeps literally.
void appendXmlText(std::string& out, const std::string& s) {
    bool plain = true;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '<' || c == '>' || c == '&') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out += s;
        return;
    }
    std::string clean;
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') clean += c;
    if (clean.find_first_of("<>&") == std::string::npos) {
        out += clean;
        return;
    }
    out += "<![CDATA[";
    for (std::size_t i = 0; i < clean.size(); ++i) {
        out += clean[i];
        if (clean.compare(i, 3, "]]>") == 0) out += ' ';
    }
    out += "]]>";
}

void appendXmlRow(std::string& out, const std::string& table, const std::vector<std::string>& columns,
                  const ColumnOrder& order, const Columns& record) {
    out.append("  <").append(table).append(">\n");
    // A data set leaves out the columns without a value.
    record.each(columns, order, true, [&](std::size_t column, const std::string& value) {
        out.append("    <").append(columns[column]).append(">");
        appendXmlText(out, value);
        out.append("</").append(columns[column]).append(">\n");
    });
    out.append("  </").append(table).append(">\n");
}

void appendXmlRow(std::string& out, const std::string& table, const std::vector<std::string>& columns,
                  const Columns& record) {
    appendXmlRow(out, table, columns, ColumnOrder(columns), record);
}

void appendXmlRows(std::string& out, const std::string& table, const std::vector<std::string>& columns,
                   const Json::array_t& records) {
    const ColumnOrder order(columns);
    for (const auto& r : records) appendXmlRow(out, table, columns, order, Columns(r));
}

// The user's record with its id and the simulator's ports.
Columns userColumns(const UserRecord& user, const LoginPorts& ports) {
    Columns c(user.info);
    c.give("userid", std::to_string(user.userId));
    c.give("marketdepthPort", std::to_string(ports.feed));
    c.give("tradePubPort", std::to_string(ports.feed));
    c.give("hdserverPort", std::to_string(ports.request));
    return c;
}

// The user's accounts, each with its balance and the figures its open positions
// hold, and the groups they belong to.
struct UserAccounts {
    std::vector<Columns> accounts;
    std::set<int> groups;
};

UserAccounts userAccounts(const Scenario& s, const UserRecord& user) {
    UserAccounts out;
    for (int id : user.accounts) {
        const AccountRecord* a = s.account(id);
        if (!a) continue;
        out.groups.insert(a->groupId);
        Columns c(a->record);
        c.give("AccountId", std::to_string(a->id));
        c.give("Balance", plain(a->balance));
        if (a->record.is_object() && a->record.contains("UsedMargin")) {  // else as written
            // The figures the open positions hold, the equity before any price moves.
            const AccountMargins margins = accountMargins(s, a->id);
            const double equity = a->balance + jsonNumber(a->record, "AccumulatingStorage", 0);
            c.give("UsedMargin", fixed(margins.used, 2));
            c.give("oneSideMargin", fixed(margins.oneSide, 2));
            c.give("Equity", fixed(equity, 2));
            c.give("AvailableMargin", fixed(equity - margins.used, 2));
        }
        out.accounts.push_back(std::move(c));
    }
    return out;
}

void appendRowsOfGroups(std::string& out, const RowsByGroup& rows, const std::set<int>& groups) {
    std::size_t at = 0;
    for (const auto& [group, end] : rows.ends) {
        if (groups.count(group)) out.append(rows.text, at, end - at);
        at = end;
    }
}

std::string loginInfoRecord(int mode, const std::string& message, int code) {
    std::string m = message;
    for (auto& c : m)
        if (c >= 0x01 && c <= 0x07) c = ' ';
    return std::to_string(mode) + kColumn + m + kColumn + std::to_string(code) + kRow;
}

}  // namespace

PackedTables::PackedTables(const Scenario& s) {
    const Json& root = s.root();
    appendPacked(product_, kProductFields, Columns(jsonMember(root, "product")));
    appendPacked(itemTypes_, kItemTypeFields, jsonItems(root, "itemTypes"));
    appendPacked(sessions_, kSessionFields, jsonItems(root, "sessionSettings"));
    PackedRows instruments(kInstrumentFields);
    for (const auto& i : s.instruments()) instruments.append(instruments_, i);
    const ColumnOrder groupOrder(kGroupFields);
    for (const auto& g : jsonItems(root, "groups")) {
        appendPacked(groups_.text, kGroupFields, groupOrder, Columns(g));
        groups_.ends.emplace_back(static_cast<int>(jsonInteger(g, "GroupId")), groups_.text.size());
    }
    PackedRows groupInstruments(kGroupInstrumentFields);
    for (const auto& r : s.groupInstruments()) {
        groupInstruments.append(groupInstruments_.text, r);
        groupInstruments_.ends.emplace_back(r.groupId, groupInstruments_.text.size());
    }
    appendPacked(resources_, kResourceFields, jsonItems(root, "resources"));
    appendPacked(currencies_, kCurrencyFields, jsonItems(root, "currencies"));
    appendPacked(tradeCurrencies_, kTradeCurrencyFields, jsonItems(root, "tradeCurrencies"));
    for (const std::string* t : {&product_, &itemTypes_, &sessions_, &instruments_, &groups_.text,
                                 &groupInstruments_.text, &resources_, &currencies_, &tradeCurrencies_})
        bytes_ += t->size();
}

std::string PackedTables::packed(const Scenario& s, const UserRecord& user, const LoginPorts& ports) const {
    const UserAccounts mine = userAccounts(s, user);
    std::string out;
    out.reserve(bytes_ + 4096);
    // Sections 0 to 21, in order.
    appendPacked(out, kUserFields, userColumns(user, ports));
    (out += kSection) += product_;
    (out += kSection) += itemTypes_;
    (out += kSection) += sessions_;
    (out += kSection) += instruments_;
    out += kSection;
    appendRowsOfGroups(out, groups_, mine.groups);
    out += kSection;
    appendRowsOfGroups(out, groupInstruments_, mine.groups);
    out += kSection;  // 7
    out += kSection;
    for (const auto& a : mine.accounts) appendPacked(out, kAccountFields, a);
    for (int section = 9; section <= 16; ++section) out += kSection;
    out += loginInfoRecord(0, user.loginMessage, 1);
    for (int section = 17; section <= 19; ++section) out += kSection;
    out += resources_;
    (out += kSection) += currencies_;
    (out += kSection) += tradeCurrencies_;
    return out;
}

std::string packed(const Scenario& s, const UserRecord& user, const LoginPorts& ports) {
    return PackedTables(s).packed(s, user, ports);
}

std::string xml(const Scenario& s, const UserRecord& user, const LoginPorts& ports) {
    const Json& root = s.root();
    const UserAccounts mine = userAccounts(s, user);
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<NewDataSet>\n";
    appendXmlRow(out, "Table1", kUserColumns, userColumns(user, ports));
    appendXmlRow(out, "Table2", kProductColumns, Columns(jsonMember(root, "product")));
    for (const auto& a : mine.accounts) appendXmlRow(out, "Table4", kAccountColumns, a);
    appendXmlRows(out, "Table5", kItemTypeFields, jsonItems(root, "itemTypes"));
    const ColumnOrder instrumentOrder(kInstrumentColumns);
    for (const auto& i : s.instruments()) appendXmlRow(out, "Table6", kInstrumentColumns, instrumentOrder, columnsOf(i));
    const ColumnOrder groupInstrumentOrder(kGroupInstrumentColumns), groupOrder(kGroupFields);
    for (const auto& r : s.groupInstruments())
        if (mine.groups.count(r.groupId))
            appendXmlRow(out, "Table7", kGroupInstrumentColumns, groupInstrumentOrder, columnsOf(r));
    for (const auto& g : jsonItems(root, "groups"))
        if (mine.groups.count(static_cast<int>(jsonInteger(g, "GroupId"))))
            appendXmlRow(out, "Table8", kGroupFields, groupOrder, Columns(g));
    appendXmlRows(out, "Table10", kSessionColumns, jsonItems(root, "sessionSettings"));
    return out + "</NewDataSet>\n";
}

std::string refusal(int code, const std::string& message) {
    return std::string(16, kSection) + loginInfoRecord(1, message, code);
}

}  // namespace LoginData
}  // namespace sim
