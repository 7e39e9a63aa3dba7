// The account statement answer: its tables, from the row reader or from the
// last XML parse, read by column name into the statement record, in a fixed
// order, then one notification. Texts are stored as the XML reader gives them.
#include <algorithm>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "model/formatter.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/funds.h"
#include "state/login_tables.h"
#include "state/state_queries.h"
#include "state/text_conversions.h"

namespace state {

namespace {

namespace TC = TextConversion;

template <typename Record>
using Setter = std::function<void(Record&, std::string_view)>;
template <typename Record>
using ColumnTable = std::unordered_map<std::string_view, Setter<Record>>;

// The column's rule follows the field's type: text, int (32-bit), integer
// (64-bit, unsigned ones as their pattern), double or bool.
template <typename Record, typename Base, typename T>
Setter<Record> plain(T Base::*field) {
    return [field](Record& r, std::string_view t) {
        if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, model::CompactText>)
            r.*field = t;
        else if constexpr (std::is_same_v<T, std::int32_t>)
            r.*field = TC::intValue(t);
        else if constexpr (std::is_same_v<T, std::int64_t>)
            r.*field = TC::integerValue(t);
        else if constexpr (std::is_same_v<T, std::uint64_t>)
            r.*field = TC::unsignedFromInteger(t);
        else if constexpr (std::is_same_v<T, double>)
            r.*field = TC::doubleValue(t);
        else {
            static_assert(std::is_same_v<T, bool>);
            r.*field = TC::boolValue(t);
        }
    };
}
// A text or an amount the order record keeps behind its setter.
template <typename Record, typename T>
Setter<Record> viaSetter(void (model::Order::*set)(T)) {
    return [set](Record& r, std::string_view t) {
        if constexpr (std::is_same_v<T, double>)
            (r.*set)(TC::doubleValue(t));
        else
            (r.*set)(model::CompactText(t));
    };
}
template <typename Record>
Setter<Record> side() {
    return [](Record& r, std::string_view t) { r.tradingMode = TC::boolValue(t) ? model::Order::kBuy : model::Order::kSell; };
}
template <typename Record, typename Base, typename Text>
Setter<Record> dateTime(Text Base::*field) {
    return [field](Record& r, std::string_view t) { r.*field = TC::dateTimeText(t); };
}
template <typename Record, typename Base, typename Text>
Setter<Record> date(Text Base::*field) {
    return [field](Record& r, std::string_view t) { r.*field = TC::dateText(t); };
}

// Rows of a table mostly repeat their columns in the same order: the setter
// found for each position is remembered with its name, and a row whose column
// there has that name takes it without a lookup.
template <typename Record>
void applyColumns(const TableRow& row, const ColumnTable<Record>& columns, Record& record) {
    struct Found {
        std::string name;
        const Setter<Record>* setter;
    };
    thread_local std::vector<Found> found;
    thread_local const ColumnTable<Record>* of = nullptr;
    if (of != &columns) {
        found.clear();
        of = &columns;
    }
    std::size_t at = 0;
    for (const auto& [name, text] : row.columns()) {
        if (at == found.size()) found.push_back({std::string(), nullptr});
        Found& remembered = found[at++];
        if (remembered.name != name) {
            const auto it = columns.find(name);
            remembered.name = name;
            remembered.setter = it == columns.end() ? nullptr : &it->second;
        }
        if (remembered.setter) (*remembered.setter)(record, text);
    }
}

// Ascending by an id text (a field or a getter), digits compared by value (9 before 10).
template <typename Rows, typename Id>
void sortById(Rows& rows, Id id) {
    std::stable_sort(rows.begin(), rows.end(), [id](const auto& a, const auto& b) {
        return Queries::localizedStandardCompare(std::invoke(id, *a), std::invoke(id, *b)) < 0;
    });
}

const ColumnTable<model::InstrumentHistoryInfo>& instrumentColumns() {
    using R = model::InstrumentHistoryInfo;
    static const ColumnTable<R> columns = {
        {"InstrumentId", plain<R>(&R::InstrumentId)},
        {"Name", plain<R>(&R::Name)},
        {"Code", plain<R>(&R::Code)},
        {"DecimalPlaces", plain<R>(&R::DecimalPlaces)},
    };
    return columns;
}

const ColumnTable<model::AccountHistoryInfo>& accountColumns() {
    using R = model::AccountHistoryInfo;
    static const ColumnTable<R> columns = {
        {"TAHId", plain<R>(&R::TAHId)},
        {"TAHDate", plain<R>(&R::TAHDate)},
        {"TAHEntryDateTime", plain<R>(&R::TAHEntryDateTime)},
        {"AccountId", plain<R>(&R::AccountId)},
        {"AccountTypeId", plain<R>(&R::tradeAccountType)},
        {"AccountName", plain<R>(&R::AccountName)},
        {"TradingEnabled", plain<R>(&R::TradingEnabled)},
        {"Enabled", plain<R>(&R::Enabled)},
        {"GroupId", plain<R>(&R::GroupId)},
        {"OrganizationId", plain<R>(&R::OrganizationId)},
        {"OpeningBalanceOfDay", plain<R>(&R::OpeningBalanceOfDay)},
        {"Balance", plain<R>(&R::Balance)},
        {"UnrealisedPL", plain<R>(&R::UnrealisedPL)},
        {"LeverageOnPositions", plain<R>(&R::LeverageOnPositions)},
        {"CollateralSecurity", plain<R>(&R::CollateralSecurity)},
        {"UsedMargin", plain<R>(&R::UsedMargin)},
        {"Equity", plain<R>(&R::Equity)},
        {"AvailableMargin", plain<R>(&R::AvailableMargin)},
        {"Remarks", plain<R>(&R::Remarks)},
        {"InterestWaiveoffExpiryDate", plain<R>(&R::InterestWaiveoffExpiryDate)},
        {"HedgeModeId", plain<R>(&R::HedgeModeId)},
        {"AutoExecutionModeId", plain<R>(&R::AutoExecutionModeId)},
        {"CurrencyID", plain<R>(&R::currencyID)},
        {"StorageWaiveoffDays", plain<R>(&R::StorageWaiveoffDays)},
        {"AccumulatingStorage", plain<R>(&R::AccumulatingStorage)},
        {"StorageWaiveOffModeId", [](R& r, std::string_view t) { r.StorageWaiveOffModeId = TC::wholeFromDouble(t); }},
        {"TradingStatusId", [](R& r, std::string_view t) { r.TradingStatusId = r.tradingStatus = TC::intValue(t); }},
        {"UnrealisedCharges", plain<R>(&R::UnrealisedCharges)},
        {"AgentAccountId", plain<R>(&R::AgentAccountId)},
        {"MarginStatusId", [](R& r, std::string_view t) { r.MarginStatus = r.accountMarginStatus = TC::intValue(t); }},
        {"CreditRating", plain<R>(&R::CreditRating)},
        {"TradingPatternId", plain<R>(&R::TradingPatternId)},
    };
    return columns;
}

const ColumnTable<model::OpenPositionHistoryInfo>& openColumns() {
    using R = model::OpenPositionHistoryInfo;
    static const ColumnTable<R> columns = {
        {"TOPHId", plain<R>(&R::TOPHId)},
        {"TOPDate", plain<R>(&R::TOPDate)},
        {"TOPEntryDateTime", plain<R>(&R::TOPEntryDateTime)},
        {"PositionId", plain<R>(&R::OpenPositionId)},
        {"AccountId", plain<R>(&R::AccountNumber)},
        {"InstrumentId", plain<R>(&R::InstrumentId)},
        {"IsBuy", side<R>()},
        {"RefOrderTicketId", plain<R>(&R::RefOrderTicketId)},
        {"RefPendingOrderId", viaSetter<R>(&R::setRefPositionIdOfBracket)},
        {"PositionInitialQty", plain<R>(&R::OrderQty)},
        {"PositionQty", plain<R>(&R::RemainingQty)},
        {"OrderPrice", plain<R>(&R::OrderPrice)},
        {"CommisionPaid", plain<R>(&R::Commision)},
        {"PositionDate", dateTime<R>(&R::TransactionDateTime)},
        {"ConfirmationModeId", plain<R>(&R::ConfirmationModeId)},
        {"UnrealisedPL", plain<R>(&R::UnrealisedPL)},
        {"TradeRouteId", plain<R>(&R::TradeRouteId)},
        {"RoutePositionId", plain<R>(&R::RoutePositionId)},
        {"DeliveryModeId", plain<R>(&R::deliveryMode)},
        {"AccumulatingStorage", plain<R>(&R::Storage)},
        {"ValueDate", date<R>(&R::ValueDate)},
        {"ExpiryDate", date<R>(&R::ExpiryDate)},
        {"UnrealisedCharges", plain<R>(&R::UnRealisedCharges)},
    };
    return columns;
}

const ColumnTable<model::PendingOrderHistoryInfo>& pendingColumns() {
    using R = model::PendingOrderHistoryInfo;
    static const ColumnTable<R> columns = {
        {"TPOH", plain<R>(&R::TPOH)},
        {"TPOHDate", plain<R>(&R::TPOHDate)},
        {"TPOHEntryDateTime", plain<R>(&R::TPOHEntryDateTime)},
        {"PendingOrderId", plain<R>(&R::PendingOrderId)},
        {"RefTicketId", plain<R>(&R::RefTicketId)},
        {"AccountId", plain<R>(&R::AccountNumber)},
        {"InstrumentId", plain<R>(&R::InstrumentId)},
        {"IsBuy", side<R>()},
        {"OrderTypeId", plain<R>(&R::orderType)},
        {"OrderQty", plain<R>(&R::OrderQty)},
        {"MinQty", plain<R>(&R::MinQty)},
        {"DisclosedQty", plain<R>(&R::DisclosedQty)},
        {"RemainingQty", plain<R>(&R::RemainingQty)},
        {"OrderPrice", plain<R>(&R::OrderPrice)},
        {"LimitPrice", plain<R>(&R::LimitPrice)},
        {"StopPrice", plain<R>(&R::StopPrice)},
        {"TralingStopPrice", plain<R>(&R::TralingStopPrice)},
        {"DeliveryModeId", plain<R>(&R::deliveryMode)},
        {"TimeInForceId", plain<R>(&R::timeinForce)},
        {"ExpiryDateTime", dateTime<R>(&R::ExpiryDate)},
        {"OCOLLimitPrice", plain<R>(&R::OCOLLimitPrice)},
        {"OCOLStopPrice", plain<R>(&R::OCOLStopPrice)},
        {"OCOSLimit", plain<R>(&R::OCOSLimit)},
        {"OCOSStop", plain<R>(&R::OCOSStop)},
        {"Spread", viaSetter<R>(&R::setSpread)},
        {"TradeRouteId", plain<R>(&R::TradeRouteId)},
        {"RoutePendingOrderId", plain<R>(&R::RoutePendingOrderId)},
        {"ExecutedQty", plain<R>(&R::ExecutedQty)},
        {"OrderStatusId", viaSetter<R>(&R::setOrderStatus)},
        {"OrderTime", dateTime<R>(&R::TransactionDateTime)},
        {"RefPosIdOfBracket", viaSetter<R>(&R::setRefPositionIdOfBracket)},
        {"TouchQty", plain<R>(&R::TouchQty)},
        {"TouchPrice", plain<R>(&R::TouchPrice)},
        {"TouchTime", plain<R>(&R::TouchTime)},
    };
    return columns;
}

const ColumnTable<model::SettledPositionHistoryInfo>& settledColumns() {
    using R = model::SettledPositionHistoryInfo;
    static const ColumnTable<R> columns = {
        {"SettlementId", viaSetter<R>(&R::setSettlementId)},
        {"AccountId", plain<R>(&R::AccountNumber)},
        {"InstrumentId", plain<R>(&R::InstrumentId)},
        {"RefPositionId", plain<R>(&R::OpenPositionId)},
        {"RefClosingPositionId", viaSetter<R>(&R::setClosingPositionId)},
        {"SettledQty", viaSetter<R>(&R::setSettledQty)},
        {"IsBuy", side<R>()},
        {"SettledPL", viaSetter<R>(&R::setSettledPL)},
        {"SettlementDate", dateTime<R>(&R::TransactionDateTime)},
        {"CurrencyRate", viaSetter<R>(&R::setCurrencyRate)},
        {"AccumulatingStorage", plain<R>(&R::Storage)},
        {"CommisionPaid", plain<R>(&R::Commision)},
        {"OtherCharges", viaSetter<R>(&R::setOtherCharges)},
        {"OpenPrice", plain<R>(&R::OrderPrice)},
        {"ClosePrice", viaSetter<R>(&R::setSettledPrice)},
        {"OpenDate", dateTime<R>(&R::OpenDate)},
        {"CloseDate", dateTime<R>(&R::CloseDate)},
        {"DeliveryModeId", plain<R>(&R::deliveryMode)},
    };
    return columns;
}

const ColumnTable<model::FinancialTransactionHistoryInfo>& transactionColumns() {
    using R = model::FinancialTransactionHistoryInfo;
    static const ColumnTable<R> columns = {
        {"DrAmount", plain<R>(&R::DrAmount)},
        {"CrAmount", plain<R>(&R::CrAmount)},
        {"FinancialTransactionTypeId", plain<R>(&R::TransactionType)},
        {"SubFinancialTransactionTypeId", plain<R>(&R::SubTransactionType)},
        {"AccountId", plain<R>(&R::AccountId)},
    };
    return columns;
}

// One record per row of "Table7" to "Table9", under its account id; a later row replaces.
template <typename Record, typename Rows>
void fillByAccount(const Rows& table, const ColumnTable<Record>& columns,
                   std::map<std::string, std::shared_ptr<Record>>& into) {
    table([&](const TableRow& row) {
        auto record = std::make_shared<Record>();
        applyColumns(row, columns, *record);
        into[std::to_string(record->accountId)] = std::move(record);
    });
}

}  // namespace

void Funds::ParseAccountStatement() {
    const auto& tables = reference_.TableDataCollection();
    fillStatement([&tables](const char* name) -> TableRows {
        const XmlTable* table = tables.find(name);
        if (!table) return {};
        return [table](const RowVisitor& visit) {
            for (const auto& entry : *table) visit(entry.second);
        };
    });
}

void Funds::ParseAccountStatement(const LoginTables& rows) {
    fillStatement([&rows](const char* name) -> TableRows {
        if (!rows.holds(name)) return {};
        return [&rows, name](const RowVisitor& visit) { rows.eachRow(name, visit); };
    });
}

void Funds::statementFailed(const std::string& why) {
    platform::assertMainThread();
    platform::Log::warning("Account statement not loaded: " + why);
    accountStatementInfo_.failStatement();
    accountStatementUpdateNotification();
}

void Funds::fillStatement(const std::function<TableRows(const char* table)>& tableNamed) {
    platform::assertMainThread();
    using Parser = void (Funds::*)(const TableRows&);
    static const std::pair<const char*, Parser> kOrder[] = {
        {"Table5", &Funds::ParseInstrumentsTable},       {"Table6", &Funds::ParseClosePriceTable},
        {"Table", &Funds::ParseAccountInfoTable},        {"Table1", &Funds::ParseOpenPositionsTable},
        {"Table2", &Funds::ParsePendingOrdersTable},     {"Table3", &Funds::ParseSettledPositionsTable},
        {"Table4", &Funds::ParseFinancialTransactionsTable}, {"Table7", &Funds::parseMarginCallSummaryTable},
        {"Table8", &Funds::parseClientAddressTable},     {"Table9", &Funds::parseOrganizationTable},
    };
    struct Held {
        const char* name;
        Parser parse;
        TableRows rows;
    };
    std::vector<Held> tables;
    for (const auto& [name, parse] : kOrder)
        if (TableRows rows = tableNamed(name)) tables.push_back(Held{name, parse, std::move(rows)});
    // A document without them (an empty data set, a page of the web server) is no statement.
    if (tables.empty()) return statementFailed("the answer holds none of the statement's tables");
    accountStatementInfo_.beginStatement();
    for (const auto& [name, parse, table] : tables) {
        try {
            (this->*parse)(table);
        } catch (const std::exception& e) {
            platform::Log::debug(std::string("Statement table ") + name + " not fully read: " + e.what());
        }
    }
    accountStatementUpdateNotification();
}

void Funds::lookUpItemCode(const TableRow& row, std::uint64_t instrumentId, model::Order& record) const {
    if (!row.find("InstrumentId")) return;
    const auto& instruments = accountStatementInfo_.InstrumentInfo;
    const auto it = instruments.find(std::to_string(instrumentId));
    if (it != instruments.end()) record.ItemCode = it->second->Code;
}

void Funds::ParseInstrumentsTable(const TableRows& table) {
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::InstrumentHistoryInfo>();
        applyColumns(row, instrumentColumns(), *record);
        accountStatementInfo_.InstrumentInfo[std::to_string(record->InstrumentId)] = std::move(record);
    });
}

void Funds::ParseClosePriceTable(const TableRows& table) {
    auto& instruments = accountStatementInfo_.InstrumentInfo;
    table([&](const TableRow& row) {
        const std::optional<std::string_view> id = row.find("InstrumentId");
        if (!id || TC::integerValue(*id) == 0) return;
        const auto it = instruments.find(std::to_string(TC::integerValue(*id)));
        if (it == instruments.end()) return;
        if (const std::optional<std::string_view> bid = row.find("Bid")) it->second->Bid = TC::doubleValue(*bid);
        if (const std::optional<std::string_view> ask = row.find("Ask")) it->second->Ask = TC::doubleValue(*ask);
    });
}

void Funds::ParseAccountInfoTable(const TableRows& table) {
    std::shared_ptr<model::AccountHistoryInfo> first, second;
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::AccountHistoryInfo>();
        applyColumns(row, accountColumns(), *record);
        if (!first)
            first = std::move(record);
        else if (!second)
            second = std::move(record);
        auto& info = accountStatementInfo_;
        if (!second) {
            info.StartInfo = info.EndInfo = first;
            return;
        }
        const auto firstDate = model::Formatter::formatDateFromString(first->TAHDate);
        const auto secondDate = model::Formatter::formatDateFromString(second->TAHDate);
        if (!firstDate || !secondDate) {
            info.StartInfo.reset();
            info.EndInfo.reset();
        } else if (*firstDate < *secondDate) {
            info.StartInfo = first;
            info.EndInfo = second;
        } else {
            info.StartInfo = second;
            info.EndInfo = first;
        }
    });
}

void Funds::ParseOpenPositionsTable(const TableRows& table) {
    auto& info = accountStatementInfo_;
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::OpenPositionHistoryInfo>();
        applyColumns(row, openColumns(), *record);
        lookUpItemCode(row, record->InstrumentId, *record);
        const auto instrument = info.InstrumentInfo.find(std::to_string(record->InstrumentId));
        if (instrument != info.InstrumentInfo.end())
            record->CurrentPrice = record->tradingMode == model::Order::kBuy ? instrument->second->Bid
                                                                              : instrument->second->Ask;
        // The commission of the remaining quantity.
        const double initial = TC::doubleValue(record->OrderQty);
        if (initial > 0.0 && record->Commision > 0.0)
            record->Commision = record->Commision / initial * TC::doubleValue(record->RemainingQty);
        if (TC::intValue(record->OpenPositionId) > 0) info.OpenPositionInfo.push_back(std::move(record));
    });
    sortById(info.OpenPositionInfo, &model::Order::OpenPositionId);
}

void Funds::ParsePendingOrdersTable(const TableRows& table) {
    auto& info = accountStatementInfo_;
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::PendingOrderHistoryInfo>();
        applyColumns(row, pendingColumns(), *record);
        lookUpItemCode(row, record->InstrumentId, *record);
        // Kept with an empty id; dropped without the column.
        if (row.find("PendingOrderId")) info.PendingOrderInfo.push_back(std::move(record));
    });
    sortById(info.PendingOrderInfo, &model::Order::PendingOrderId);
}

void Funds::ParseSettledPositionsTable(const TableRows& table) {
    auto& info = accountStatementInfo_;
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::SettledPositionHistoryInfo>();
        applyColumns(row, settledColumns(), *record);
        lookUpItemCode(row, record->InstrumentId, *record);
        if (row.find("SettlementId")) info.SettledPositionInfo.push_back(std::move(record));
    });
    sortById(info.SettledPositionInfo, &model::Order::SettlementId);
}

void Funds::ParseFinancialTransactionsTable(const TableRows& table) {
    table([&](const TableRow& row) {
        auto record = std::make_shared<model::FinancialTransactionHistoryInfo>();
        applyColumns(row, transactionColumns(), *record);
        accountStatementInfo_.FinancialTransactionInfo.push_back(std::move(record));
    });
}

void Funds::parseMarginCallSummaryTable(const TableRows& table) {
    using R = model::MarginCallSummaryInfo;
    static const ColumnTable<R> columns = {
        {R::kAccountIdColumn, plain<R>(&R::accountId)},
        {R::kMarginCallCountColumn, plain<R>(&R::marginCallCount)},
    };
    fillByAccount(table, columns, accountStatementInfo_.marginCallSummaryInfo);
}

void Funds::parseClientAddressTable(const TableRows& table) {
    using R = model::ClientAddressInfo;
    static const ColumnTable<R> columns = {
        {R::kAccountIdColumn, plain<R>(&R::accountId)},
        {R::kClientIdColumn, plain<R>(&R::clientId)},
        {R::kAddressColumn, plain<R>(&R::address)},
    };
    fillByAccount(table, columns, accountStatementInfo_.clientAddressInfo);
}

void Funds::parseOrganizationTable(const TableRows& table) {
    using R = model::OrganizationInfo;
    static const ColumnTable<R> columns = {
        {R::kAccountIdColumn, plain<R>(&R::accountId)},
        {R::kCompanyAddressColumn, plain<R>(&R::companyAddress)},
    };
    fillByAccount(table, columns, accountStatementInfo_.organizationInfo);
}

}  // namespace state
