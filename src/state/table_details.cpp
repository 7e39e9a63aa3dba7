// The XML road of the login reference data: the document is read into named
// tables of rows, then each known table is handed row by row to its filler.
// XML rows update the record stored under the row's key text (as received,
// so "07" stays "07") in place, or create it.
#include <bit>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/log.h"
#include "state/login_tables.h"
#include "state/record_setters.h"
#include "state/text_conversions.h"
#include "state/reference_data.h"

namespace state {

namespace TC = TextConversion;

namespace {

// The group instruments' table and its rows' group column.
constexpr std::string_view kGroupInstrumentsTable = "Table7";
constexpr std::string_view kGroupColumn = "groupid";

// Runs `set` when the row has the column.
template <typename F>
void column(const TableRow& row, std::string_view name, F&& set) {
    if (const auto text = row.find(name)) set(*text);
}

}  // namespace

// ---------------------------------------------------------------------------
// Rows and tables

void TableRow::clear() {
    size_ = 0;
    slots_.clear();
    finds_ = 0;
}

void TableRow::index(std::size_t slots) {
    slots_.assign(slots, kNone);
    const std::size_t mask = slots - 1;
    for (std::size_t i = 0; i < size_; ++i) {
        std::size_t h = std::hash<std::string_view>{}(nameAt(i)) & mask;
        while (slots_[h] != kNone) h = (h + 1) & mask;
        slots_[h] = static_cast<std::uint32_t>(i);
    }
}

std::size_t TableRow::position(std::string_view name) const {
    if (slots_.empty()) {
        for (std::size_t i = 0; i < size_; ++i)
            if (sameText(nameAt(i), name)) return i;
        return kNone;
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t h = std::hash<std::string_view>{}(name) & mask; slots_[h] != kNone; h = (h + 1) & mask)
        if (nameAt(slots_[h]) == name) return slots_[h];
    return kNone;
}

void TableRow::set(std::string_view name, std::string_view text) {
    if (viewing_) {
        // The views become copies, so that the row holds only texts of its own.
        std::vector<Column> views(views_.begin(), views_.begin() + static_cast<std::ptrdiff_t>(size_));
        viewing_ = false;
        clear();
        for (const auto& [n, t] : views) add(n, t);
    }
    add(name, text);
}

void TableRow::add(std::string_view name, std::string_view text) {
    if (size_ >= kIndexFrom && slots_.size() < 2 * (size_ + 1)) index(std::bit_ceil(4 * (size_ + 1)));
    if (const std::size_t at = position(name); at != kNone) {
        if (viewing_) views_[at].second = text;
        else owned_[at].second.assign(text);
        return;
    }
    if (viewing_) {
        if (size_ < views_.size()) views_[size_] = Column(name, text);
        else views_.emplace_back(name, text);
    } else if (size_ < owned_.size()) {
        owned_[size_].first.assign(name);
        owned_[size_].second.assign(text);
    } else {
        owned_.emplace_back(std::string(name), std::string(text));
    }
    if (!slots_.empty()) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t h = std::hash<std::string_view>{}(name) & mask;
        while (slots_[h] != kNone) h = (h + 1) & mask;
        slots_[h] = static_cast<std::uint32_t>(size_);
    }
    ++size_;
}

std::optional<std::string_view> TableRow::find(std::string_view name) const {
    if (!reused_) {
        const std::size_t at = position(name);
        if (at == kNone) return std::nullopt;
        return column(at).second;
    }
    const std::size_t call = finds_++;
    if (call < remembered_.size()) {
        const std::uint32_t at = remembered_[call];
        if (at < size_ && sameText(nameAt(at), name)) return column(at).second;
    }
    const std::size_t at = position(name);
    if (call < kRemembered) {
        if (remembered_.size() <= call) remembered_.resize(call + 1, kNone);
        remembered_[call] = static_cast<std::uint32_t>(at);
    }
    if (at == kNone) return std::nullopt;
    return column(at).second;
}

// Each parse starts afresh: the tables, the last table name and the row
// numbers hold this document's rows only. Rows are numbered per table, so
// interleaved tables and a column whose name contains "Table" (which becomes a
// row of a table of its own) leave the other tables' rows untouched.
ReferenceData::XmlRead ReferenceData::parseXml(std::string_view text) {
    tables_.clear();
    tableName.clear();
    currentRow = 0;
    // The document lives only while its rows are copied out.
    const std::unique_ptr<protocol::XMLReader> document = protocol::XMLReader::fromText(text);
    if (!document || !document->rootXMLElement()) {
        if (document && !document->refusal().empty()) return XmlRead::Refused;  // the reader logged why
        platform::Log::debug("XML answer without a root element: no tables");
        return XmlRead::NotXml;
    }
    if (traverseElement(document->rootXMLElement())) return document->rootClosed() ? XmlRead::Whole : XmlRead::CutShort;
    platform::Log::warning("XML answer nested deeper than " + std::to_string(kMaxXmlDepth) + " levels: refused");
    tables_.clear();
    tableName.clear();
    currentRow = 0;
    return XmlRead::TooDeep;
}

// Pre-order walk (element, its subtree, then its next sibling) with a stack of
// our own, so that a deeply nested document cannot exhaust the call stack.
bool ReferenceData::traverseElement(const protocol::TBXMLElement* element) {
    std::vector<std::pair<const protocol::TBXMLElement*, std::size_t>> pending;
    if (element) pending.emplace_back(element, 0);
    while (!pending.empty()) {
        const auto [e, depth] = pending.back();
        pending.pop_back();
        if (depth > kMaxXmlDepth) return false;
        const std::string_view name = e->name ? std::string_view(e->name) : std::string_view();
        if (name.find("Table") != std::string_view::npos) storeRow(e, name);
        if (e->nextSibling) pending.emplace_back(e->nextSibling, depth);
        if (e->firstChild) pending.emplace_back(e->firstChild, depth + 1);
    }
    return true;
}

void ReferenceData::storeRow(const protocol::TBXMLElement* element, std::string_view name) {
    XmlTable* table = tables_.find(name);
    if (!table) table = &tables_.set(std::string(name), XmlTable());
    TableRow row;
    for (const protocol::TBXMLElement* child = element->firstChild; child; child = child->nextSibling) {
        row.set(child->name ? std::string_view(child->name) : std::string_view(),
                child->text ? std::string_view(child->text) : std::string_view());
    }
    // A row element without children is kept as an empty row, so that the
    // numbering still follows the document.
    currentRow = static_cast<std::int32_t>(table->size());
    tableName.assign(name);
    table->set(std::to_string(currentRow), std::move(row));
}

namespace {

// The rows of the last parse, as LoginTables offers its own.
struct ParsedTables {
    const OrderedDictionary<XmlTable>& tables;
    template <typename F>
    void eachRow(std::string_view name, F&& fill) const {
        if (const XmlTable* table = tables.find(name))
            for (const auto& entry : *table) fill(entry.second);
    }
    template <typename F>
    void firstRow(std::string_view name, F&& fill) const {
        if (const XmlTable* table = tables.find(name))
            if (const TableRow* row = table->find("0")) fill(*row);
    }
};

}  // namespace

std::span<const ReferenceData::XmlLoginTable> ReferenceData::xmlLoginTables() {
    using Then = XmlLoginTable::Then;
    static constexpr XmlLoginTable kTables[] = {
        {"Table1", &ReferenceData::FillUserInfoDetails, true, Then::Nothing},
        {"Table2", &ReferenceData::FillProductInfoDetails, true, Then::Nothing},
        {"Table4", &ReferenceData::FillAccountDetails, false, Then::Nothing},
        {"Table8", &ReferenceData::FillGroupDetails, false, Then::Nothing},
        {"Table5", &ReferenceData::FillItemType, false, Then::Nothing},
        {"Table6", &ReferenceData::FillItemDetails, false, Then::LoadWatchlist},
        {kGroupInstrumentsTable, &ReferenceData::FillGroupInstruments, false, Then::SetSpreads},
        {"Table10", &ReferenceData::FillSessionSettingCollection, false, Then::Nothing},
    };
    return kTables;
}

template <typename Rows>
void ReferenceData::fillTables(const Rows& rows) {
    for (const XmlLoginTable& table : xmlLoginTables()) {
        const auto fill = [&](const TableRow& row) { (this->*table.fill)(row); };
        if (table.firstRowOnly) rows.firstRow(table.name, fill);
        else rows.eachRow(table.name, fill);
        if (table.then == XmlLoginTable::Then::LoadWatchlist) LoadItemstoWatchlist();
        if (table.then == XmlLoginTable::Then::SetSpreads) SetAllSymbolsSpread();
    }
}

std::unordered_map<std::string, std::size_t> ReferenceData::xmlGroupInstrumentRows(const LoginTables& rows) {
    std::unordered_map<std::string, std::size_t> counts;
    rows.eachRow(kGroupInstrumentsTable, [&counts](const TableRow& row) {
        if (const auto group = row.find(kGroupColumn)) ++counts[std::string(*group)];
    });
    return counts;
}

void ReferenceData::FillTableDetails() {
    fillTables(ParsedTables{tables_});
    // The records hold what the session needs: the login's rows are not kept.
    tables_.clear();
}

ReferenceData::XmlRead ReferenceData::FillXmlLoginData(std::string_view text) {
    LoginTables rows;
    if (!rows.read(text)) {
        const XmlRead read = parseXml(text);
        if (read == XmlRead::Whole) FillTableDetails();
        tables_.clear();
        return read;
    }
    tables_.clear();
    fillTables(rows);
    return XmlRead::Whole;
}

// ---------------------------------------------------------------------------
// User and product

void ReferenceData::FillUserInfoDetails(const TableRow& row) {
    auto user = std::make_shared<model::UserInfo>();
    userInfo_ = user;
    model::UserInfo& u = *user;
    column(row, "NewRefid", [&](std::string_view t) { u.NewRefId = TC::intValue(t); });
    column(row, "OfflineMessageCount", [&](std::string_view t) { u.OfflineMessageCount = TC::intValue(t); });
    column(row, "appModeId", [&](std::string_view t) { u.AppModeId = TC::intValue(t); });
    column(row, "canChangePassword", [&](std::string_view t) { u.CanChangePassword = TC::boolValue(t); });
    // Read as a number on this road: "true" gives 0.
    column(row, "ddeenabled", [&](std::string_view t) { u.DdeEnabled = TC::intValue(t); });
    column(row, "forceLogoutLoadServerId", [&](std::string_view t) { u.ForceLogoutLoadServerId = TC::intValue(t); });
    column(row, "forceLogoutRefid", [&](std::string_view t) { u.ForceLogoutRefId = TC::intValue(t); });
    column(row, "hdserverPort", [&](std::string_view t) { u.hdServerPort = TC::intValue(t); });
    column(row, "lastrefid", [&](std::string_view t) { u.LastRefId = TC::intValue(t); });
    column(row, "marketdepthPort", [&](std::string_view t) { u.marketdepthPort = TC::intValue(t); });
    column(row, "tradePubPort", [&](std::string_view t) { u.tradePubPort = TC::intValue(t); });
    column(row, "userTypeId", [&](std::string_view t) { u.UserTypeId = TC::intValue(t); });
    column(row, "userenabled", [&](std::string_view t) { u.UserEnabled = TC::boolValue(t); });
    column(row, "userid", [&](std::string_view t) { u.UserId = TC::intValue(t); });
}

// The product columns ("LatestBuild", "LatestSupportedBuild", "productId",
// "productName") are not kept on this road: productID stays 0, and resource
// requests then carry 0, as they always have for XML logins.
void ReferenceData::FillProductInfoDetails(const TableRow& row) { (void)row; }

// ---------------------------------------------------------------------------
// Accounts

void ReferenceData::FillAccountDetails(const TableRow& row) {
    const std::optional<std::string_view> key = row.find("AccountId");
    if (!key) {
        platform::Log::debug("Account row without AccountId: dropped");
        return;
    }
    std::shared_ptr<model::AccountDetails> record;
    if (auto* found = accounts_.find(*key)) record = *found;
    if (!record) record = accounts_.set(std::string(*key), std::make_shared<model::AccountDetails>());
    model::AccountDetails& a = *record;
    column(row, "AccountAccessTypeId", [&](std::string_view t) { setAccountAccessTypeId(a, TC::intValue(t)); });
    column(row, "AccountEnabled", [&](std::string_view t) { a.AccountEnabled = TC::boolValue(t); });
    column(row, "AccountId", [&](std::string_view t) { a.AccountId = TC::intValue(t); });
    column(row, "AccountName", [&](std::string_view t) { a.AccountName = t; });
    column(row, "AccountTypeId", [&](std::string_view t) { a.tradeAccountType = TC::integerValue(t); });
    column(row, "AutoExecutionModeId", [&](std::string_view t) { a.AutoExecutionModeId = TC::intValue(t); });
    column(row, "AvailableMargin", [&](std::string_view t) { a.AvailableMargin = TC::doubleValue(t); });
    column(row, "Balance", [&](std::string_view t) { a.Balance = TC::doubleValue(t); });
    column(row, "BranchId", [&](std::string_view t) { a.BranchId = TC::intValue(t); });
    column(row, "CollateralSecurity", [&](std::string_view t) { a.CollateralSecurity = TC::doubleValue(t); });
    column(row, "Equity", [&](std::string_view t) { a.Equity = TC::doubleValue(t); });
    column(row, "GroupId", [&](std::string_view t) { a.GroupId = t; });
    column(row, "HedgeModeId", [&](std::string_view t) { a.HedgeModeId = TC::intValue(t); });
    column(row, "InstrumentLimit", [&](std::string_view t) { a.InstrumentLimit = TC::intValue(t); });
    column(row, "LeverageOnPositions", [&](std::string_view t) { a.LeverageOnPositions = TC::doubleValue(t); });
    column(row, "TradeRouteId", [&](std::string_view t) { a.TradeRouteId = TC::intValue(t); });
    column(row, "TradingStatusId", [&](std::string_view t) { setTradingStatusId(a, TC::intValue(t)); });
    column(row, "UnrealisedPL", [&](std::string_view t) { a.UnrealisedPL = TC::doubleValue(t); });
    column(row, "UsedMargin", [&](std::string_view t) { a.UsedMargin = TC::doubleValue(t); });
    column(row, "WatchListItemLimit", [&](std::string_view t) { a.WatchlistItemLimit = TC::intValue(t); });
    column(row, "AccumulatingStorage", [&](std::string_view t) { a.AccumulatingStorage = TC::doubleValue(t); });
    column(row, "AvailableOrderTypes", [&](std::string_view t) { a.availableOrderTypes = TC::intValue(t); });
}

// ---------------------------------------------------------------------------
// Groups and group instruments

void ReferenceData::FillGroupDetails(const TableRow& row) {
    const std::optional<std::string_view> key = row.find("GroupId");
    if (!key) {
        platform::Log::debug("Group row without GroupId: dropped");
        return;
    }
    std::shared_ptr<model::GroupDetails> record;
    if (auto* found = groups_.find(*key)) record = *found;
    if (!record) record = groups_.set(std::string(*key), std::make_shared<model::GroupDetails>());
    model::GroupDetails& g = *record;
    column(row, "CompanyId", [&](std::string_view t) { g.CompanyId = TC::intValue(t); });
    column(row, "CreditRating", [&](std::string_view t) { g.CreditRating = TC::intValue(t); });
    column(row, "GroupId", [&](std::string_view t) { g.GroupId = TC::intValue(t); });
    column(row, "InstrumentLimit", [&](std::string_view t) { g.InstrumentLimit = TC::intValue(t); });
    column(row, "IsChatEnabled", [&](std::string_view t) { g.IsChatEnabled = TC::boolValue(t); });
    column(row, "IsEAEnabled", [&](std::string_view t) { g.IsEAEnabled = TC::boolValue(t); });
    column(row, "IsMailEnabled", [&](std::string_view t) { g.IsMailEnabled = TC::boolValue(t); });
    column(row, "IsNewsEnabled", [&](std::string_view t) { g.IsNewsEnabled = TC::boolValue(t); });
    column(row, "IsTrailingStopEnabled", [&](std::string_view t) { g.IsTrailingStopEnabled = TC::boolValue(t); });
    column(row, "LeverageOnFProfit", [&](std::string_view t) { g.LeverageOnFProfit = TC::intValue(t); });
    column(row, "MarginCallLevel", [&](std::string_view t) { g.MarginCallLevel = TC::doubleValue(t); });
    column(row, "MaxOrderQty", [&](std::string_view t) { g.MaxOrderQty = TC::doubleValue(t); });
    column(row, "Name", [&](std::string_view t) { g.Name = t; });
    column(row, "OrderQtyStep", [&](std::string_view t) { g.OrderQtyStep = TC::doubleValue(t); });
    column(row, "ReportHistoryDaysLimit", [&](std::string_view t) { g.ReportHistoryDaysLimit = TC::intValue(t); });
    column(row, "RevLeverageOnFLoss", [&](std::string_view t) { g.RevLeverageOnFLoss = TC::intValue(t); });
    column(row, "SendExecutionSMS", [&](std::string_view t) { g.SendExecutionSMS = TC::boolValue(t); });
    column(row, "SendMailReports", [&](std::string_view t) { g.SendMailReports = TC::boolValue(t); });
    column(row, "StopOutLevel", [&](std::string_view t) { g.StopOutLevel = TC::doubleValue(t); });
    column(row, "TradingEnabled", [&](std::string_view t) { g.TradingEnabled = TC::boolValue(t); });
    column(row, "WatchListItemLimit", [&](std::string_view t) { g.WatchlistItemLimit = TC::intValue(t); });
}

// InitialSellMargin, availableOrderSettings and isAvailableForTrading have no
// column on this road and stay 0 / false: margins then use InitialMargin for
// both sides, and the order checks read "no restriction" from the zero bits.
void ReferenceData::FillGroupInstruments(const TableRow& row) {
    const std::optional<std::string_view> groupKey = row.find(kGroupColumn);
    std::shared_ptr<model::GroupDetails> group;
    if (groupKey) {
        if (auto* found = groups_.find(*groupKey)) group = *found;
    }
    if (!group) {
        platform::Log::debug("Group instrument row of an unknown group: dropped");
        return;
    }
    const std::optional<std::string_view> key = row.find("InstrumentId");
    if (!key) {
        platform::Log::debug("Group instrument row without InstrumentId: dropped");
        return;
    }
    std::shared_ptr<model::GroupInstruments>& slot = group->GroupInstrumentCollection[std::string(*key)];
    if (!slot) {
        slot = std::make_shared<model::GroupInstruments>();
        // Rows without these columns are tradable both ways, the sell at the initial margin.
        slot->isAvailableForTrading = true;
        slot->availableOrderSettings = 3;
        slot->InitialSellMargin = 0;
    }
    model::GroupInstruments& gi = *slot;
    column(row, "isAvailableForTrading", [&](std::string_view t) { gi.isAvailableForTrading = TC::boolValue(t); });
    column(row, "availableOrderSettings", [&](std::string_view t) { gi.availableOrderSettings = TC::intValue(t); });
    column(row, "InitialSellMargin", [&](std::string_view t) { gi.InitialSellMargin = TC::doubleValue(t); });
    column(row, "AllowShortSelling", [&](std::string_view t) { gi.AllowShortSelling = TC::boolValue(t); });
    column(row, "AutoExecutionModeId", [&](std::string_view t) { gi.AutoExecutionModeId = TC::intValue(t); });
    column(row, "BTSTOrderMargin", [&](std::string_view t) { gi.BTSTOrderMargin = TC::doubleValue(t); });
    column(row, "Commission", [&](std::string_view t) { gi.Commission = TC::doubleValue(t); });
    column(row, "Initialmargin", [&](std::string_view t) { gi.InitialMargin = TC::doubleValue(t); });
    column(row, "InstrumentId", [&](std::string_view t) { gi.InstrumentId = TC::intValue(t); });
    column(row, "IntradayOrderMargin", [&](std::string_view t) { gi.IntradayOrderMargin = TC::doubleValue(t); });
    column(row, "LimitMinPips", [&](std::string_view t) { gi.LimitMinPips = TC::intValue(t); });
    column(row, "LimitOrderMargin", [&](std::string_view t) { gi.LimitOrderMargin = TC::doubleValue(t); });
    column(row, "LiquidationMargin", [&](std::string_view t) { gi.LiquidationMargin = TC::doubleValue(t); });
    column(row, "MarginCalcModeId", [&](std::string_view t) { setMarginCalcModeId(gi, TC::intValue(t)); });
    column(row, "MaxOrderQty", [&](std::string_view t) { gi.MaxOrderQty = TC::doubleValue(t); });
    column(row, "MinOrderQty", [&](std::string_view t) { gi.MinOrderQty = TC::doubleValue(t); });
    column(row, "OrderQtyStep", [&](std::string_view t) { gi.OrderQtyStep = TC::doubleValue(t); });
    column(row, "OverNightMargin", [&](std::string_view t) { gi.OverNightMargin = TC::doubleValue(t); });
    column(row, "PLCalcModeId", [&](std::string_view t) { gi.PLCalcModeId = TC::intValue(t); });
    column(row, "SpreadAsk", [&](std::string_view t) { gi.SpreadAsk = TC::intValue(t); });
    column(row, "SpreadBid", [&](std::string_view t) { gi.SpreadBid = TC::intValue(t); });
    column(row, "SpreadTypeId", [&](std::string_view t) { gi.SpreadTypeId = TC::intValue(t); });
    column(row, "StopMinPips", [&](std::string_view t) { gi.StopMinPips = TC::intValue(t); });
    column(row, "buyInterestRate", [&](std::string_view t) { gi.BuyInterestRate = TC::doubleValue(t); });
    column(row, "groupdetailsid", [&](std::string_view t) { gi.groupdetailsid = TC::intValue(t); });
    column(row, "groupid", [&](std::string_view t) { gi.GroupId = TC::intValue(t); });
    column(row, "sellInterestRate", [&](std::string_view t) { gi.SellInterestRate = TC::doubleValue(t); });
}

// ---------------------------------------------------------------------------
// Session settings

void ReferenceData::FillSessionSettingCollection(const TableRow& row) {
    const std::optional<std::string_view> key = row.find("SettingsId");
    if (!key) {
        platform::Log::debug("Session setting row without SettingsId: dropped");
        return;
    }
    if (TC::intValue(*key) < 0) {
        platform::Log::debug("Session setting row with a negative SettingsId: dropped");
        return;
    }
    std::shared_ptr<model::SessionSettings> record;
    if (auto* found = sessionSettings_.find(*key)) record = *found;
    if (!record) record = sessionSettings_.set(std::string(*key), std::make_shared<model::SessionSettings>());
    model::SessionSettings& s = *record;
    // In this order allowNewTpSl ends with "EnterMarketOrder" when present.
    column(row, "EditLimitOrder", [&](std::string_view t) { setEditLimitOrder(s, TC::boolValue(t)); });
    column(row, "EditMarketMakertOrder", [&](std::string_view t) { s.editMarketMakertOrder = TC::boolValue(t); });
    column(row, "EditMarketOrder", [&](std::string_view t) { s.editMarketOrder = TC::boolValue(t); });
    column(row, "EnterLimitOrder", [&](std::string_view t) { setEnterLimitOrder(s, TC::boolValue(t)); });
    column(row, "EnterMarketMakerOrder", [&](std::string_view t) { s.enterMarketMakerOrder = TC::boolValue(t); });
    column(row, "EnterMarketOrder", [&](std::string_view t) { setEnterMarketOrder(s, TC::boolValue(t)); });
    column(row, "ExecuteOrders", [&](std::string_view t) { s.executeOrders = TC::boolValue(t); });
    column(row, "MatchMMwithMMOrders", [&](std::string_view t) { s.matchMMWithMMOrders = TC::boolValue(t); });
    column(row, "PublishMarketData", [&](std::string_view t) { s.publishMarketData = TC::boolValue(t); });
    column(row, "PublishTradeData", [&](std::string_view t) { s.publishTradeData = TC::boolValue(t); });
    column(row, "SessionColor", [&](std::string_view t) { s.sessionColor = sessionColorFor(TC::intValue(t)); });
    column(row, "SettingsId", [&](std::string_view t) { s.settingsID = TC::nonNegativeInt(t); });
    column(row, "SettingsName", [&](std::string_view t) { s.settingsName = t; });
    column(row, "UseELP", [&](std::string_view t) { s.useELP = TC::boolValue(t); });
}

}  // namespace state
