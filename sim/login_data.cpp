#include "login_data.h"

#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "wire_message.h"

namespace sim {
namespace LoginData {

namespace {

// The text of a column, or nullopt when the record has none.
using Lookup = std::function<std::optional<std::string>(const std::string& key, bool xml)>;

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

bool isDateColumn(const std::string& key) { return key == "FND" || key == "LTD" || key == "UpdateTime"; }

// yyyyMMddHHmmss -> yyyy-MM-ddTHH:mm:ss+00:00 for the XML form.
std::string xmlDate(const std::string& packed) {
    if (packed.size() != 14) return packed;
    return packed.substr(0, 4) + "-" + packed.substr(4, 2) + "-" + packed.substr(6, 2) + "T" +
           packed.substr(8, 2) + ":" + packed.substr(10, 2) + ":" + packed.substr(12, 2) + "+00:00";
}

std::string valueText(const Json& v, const std::string& key, bool xml) {
    if (v.is_boolean()) {
        if (xml) return jsonBool(v) ? "true" : "false";
        return jsonBool(v) ? "1" : "0";
    }
    std::string t = jsonText(v);
    if (xml && isDateColumn(key)) t = xmlDate(t);
    return t;
}

Lookup fromJson(const Json& record, std::function<std::optional<std::string>(const std::string&)> over = {}) {
    return [record, over](const std::string& key, bool xml) -> std::optional<std::string> {
        if (over) {
            if (auto v = over(key)) return *v;
        }
        const Json& v = jsonMember(record, key);
        if (v.is_null()) return std::nullopt;
        return valueText(v, key, xml);
    };
}

std::string packedRecord(const std::vector<std::string>& fields, const Lookup& get) {
    std::vector<std::string> values;
    for (const auto& f : fields) values.push_back(f.empty() ? std::string() : get(f, false).value_or(""));
    // Control bytes inside a value would break the sections apart.
    for (auto& v : values)
        for (auto& c : v)
            if (c >= 0x01 && c <= 0x07) c = ' ';
    return joinColumns(values) + kRow;
}

// The client's XML reader decodes no entities, so text with markup characters goes
// into a CDATA section, which it keeps literally.
std::string xmlText(const std::string& s) {
    std::string clean;
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') clean += c;
    if (clean.find_first_of("<>&") == std::string::npos) return clean;
    std::string out = "<![CDATA[";
    for (std::size_t i = 0; i < clean.size(); ++i) {
        out += clean[i];
        if (clean.compare(i, 3, "]]>") == 0) out += ' ';
    }
    return out + "]]>";
}

std::string xmlRow(const std::string& table, const std::vector<std::string>& columns, const Lookup& get) {
    std::string out = "  <" + table + ">\n";
    for (const auto& c : columns) {
        const auto v = c.empty() ? std::nullopt : get(c, true);
        if (!v) continue;  // a data set leaves out the columns without a value
        out += "    <" + c + ">" + xmlText(*v) + "</" + c + ">\n";
    }
    return out + "  </" + table + ">\n";
}

struct Parts {
    Lookup user;
    Lookup product;
    std::vector<Lookup> itemTypes, sessions, instruments, groups, groupInstruments, accounts, resources,
        currencies, tradeCurrencies;
};

Parts collect(const Scenario& s, const UserRecord& user, const LoginPorts& ports) {
    Parts p;
    const int feed = ports.feed, request = ports.request;
    const int userId = user.userId;
    p.user = fromJson(user.info, [feed, request, userId](const std::string& key) -> std::optional<std::string> {
        if (key == "userid") return std::to_string(userId);
        if (key == "marketdepthPort" || key == "tradePubPort") return std::to_string(feed);
        if (key == "hdserverPort") return std::to_string(request);
        return std::nullopt;
    });
    p.product = fromJson(jsonMember(s.root(), "product"));
    for (const auto& r : jsonItems(s.root(), "itemTypes")) p.itemTypes.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "sessionSettings")) p.sessions.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "instruments")) p.instruments.push_back(fromJson(r));
    std::set<int> groups;
    for (int id : user.accounts) {
        const AccountRecord* a = s.account(id);
        if (!a) continue;
        groups.insert(a->groupId);
        const double balance = a->balance;
        const int accountId = a->id;
        // The figures the open positions hold, the equity before any price moves.
        const AccountMargins margins = accountMargins(s, accountId);
        const double equity = balance + jsonNumber(a->record, "AccumulatingStorage", 0);
        const bool figures = a->record.is_object() && a->record.contains("UsedMargin");  // else as written
        p.accounts.push_back(fromJson(a->record, [balance, accountId, margins, equity, figures](const std::string& key)
                                                     -> std::optional<std::string> {
            if (key == "AccountId") return std::to_string(accountId);
            if (key == "Balance") return plain(balance);
            if (!figures) return std::nullopt;
            if (key == "UsedMargin") return fixed(margins.used, 2);
            if (key == "oneSideMargin") return fixed(margins.oneSide, 2);
            if (key == "Equity") return fixed(equity, 2);
            if (key == "AvailableMargin") return fixed(equity - margins.used, 2);
            return std::nullopt;
        }));
    }
    for (const auto& r : jsonItems(s.root(), "groups"))
        if (groups.count(static_cast<int>(jsonInteger(r, "GroupId")))) p.groups.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "groupInstruments"))
        if (groups.count(static_cast<int>(jsonInteger(r, "groupid")))) p.groupInstruments.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "resources")) p.resources.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "currencies")) p.currencies.push_back(fromJson(r));
    for (const auto& r : jsonItems(s.root(), "tradeCurrencies")) p.tradeCurrencies.push_back(fromJson(r));
    return p;
}

std::string loginInfoRecord(int mode, const std::string& message, int code) {
    std::string m = message;
    for (auto& c : m)
        if (c >= 0x01 && c <= 0x07) c = ' ';
    return std::to_string(mode) + kColumn + m + kColumn + std::to_string(code) + kRow;
}

}  // namespace

std::string packed(const Scenario& s, const UserRecord& user, const LoginPorts& ports) {
    const Parts p = collect(s, user, ports);
    std::vector<std::string> sections(22);
    sections[0] = packedRecord(kUserFields, p.user);
    sections[1] = packedRecord(kProductFields, p.product);
    for (const auto& r : p.itemTypes) sections[2] += packedRecord(kItemTypeFields, r);
    for (const auto& r : p.sessions) sections[3] += packedRecord(kSessionFields, r);
    for (const auto& r : p.instruments) sections[4] += packedRecord(kInstrumentFields, r);
    for (const auto& r : p.groups) sections[5] += packedRecord(kGroupFields, r);
    for (const auto& r : p.groupInstruments) sections[6] += packedRecord(kGroupInstrumentFields, r);
    for (const auto& r : p.accounts) sections[8] += packedRecord(kAccountFields, r);
    sections[16] = loginInfoRecord(0, user.loginMessage, 1);
    for (const auto& r : p.resources) sections[19] += packedRecord(kResourceFields, r);
    for (const auto& r : p.currencies) sections[20] += packedRecord(kCurrencyFields, r);
    for (const auto& r : p.tradeCurrencies) sections[21] += packedRecord(kTradeCurrencyFields, r);
    std::string out;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i) out += kSection;
        out += sections[i];
    }
    return out;
}

std::string xml(const Scenario& s, const UserRecord& user, const LoginPorts& ports) {
    const Parts p = collect(s, user, ports);
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<NewDataSet>\n";
    out += xmlRow("Table1", kUserColumns, p.user);
    out += xmlRow("Table2", kProductColumns, p.product);
    for (const auto& r : p.accounts) out += xmlRow("Table4", kAccountColumns, r);
    for (const auto& r : p.itemTypes) out += xmlRow("Table5", kItemTypeFields, r);
    for (const auto& r : p.instruments) out += xmlRow("Table6", kInstrumentColumns, r);
    for (const auto& r : p.groupInstruments) out += xmlRow("Table7", kGroupInstrumentColumns, r);
    for (const auto& r : p.groups) out += xmlRow("Table8", kGroupFields, r);
    for (const auto& r : p.sessions) out += xmlRow("Table10", kSessionColumns, r);
    return out + "</NewDataSet>\n";
}

std::string refusal(int code, const std::string& message) {
    return std::string(16, kSection) + loginInfoRecord(1, message, code);
}

}  // namespace LoginData
}  // namespace sim
