#include "reports/core/statement_cells.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

#include "model/decimal.h"
#include "model/formatter.h"
#include "model/order.h"
#include "model/text_value.h"

namespace reports {

namespace {

enum class Kind { Text, Number, DateTime };

template <typename Row>
struct Column {
    const char* identifier;
    Kind kind;
    std::string (*cell)(const Row&, const model::ItemDetails*);
};

using model::OpenPositionHistoryInfo;
using model::Order;
using model::PendingOrderHistoryInfo;
using model::SettledPositionHistoryInfo;
using model::InstrumentHistoryInfo;

std::string textPrice(const std::string& stored, const model::ItemDetails* item) {
    return priceText(model::TextValue::doubleValue(stored), item);
}

// A missing limit or stop price shows two zero decimals whatever the instrument.
std::string optionalPrice(const std::string& stored, const model::ItemDetails* item) {
    return stored.empty() ? "0.00" : textPrice(stored, item);
}

const std::vector<Column<OpenPositionHistoryInfo>>& openColumns() {
    using R = OpenPositionHistoryInfo;
    using I = const model::ItemDetails*;
    static const std::vector<Column<R>> columns = {
        {"0317", Kind::Text, [](const R& r, I) -> std::string { return r.OpenPositionId; }},
        {"0011", Kind::Text, [](const R& r, I) -> std::string { return r.ItemCode; }},
        {"0027", Kind::Number, [](const R& r, I) -> std::string { return quantityText(r.RemainingQty); }},
        {"0020", Kind::Text, [](const R& r, I) -> std::string { return sideText(r.tradingMode); }},
        {"0318", Kind::Number, [](const R& r, I i) -> std::string { return textPrice(r.OrderPrice, i); }},
        {"0147", Kind::Number, [](const R& r, I i) -> std::string { return priceText(r.CurrentPrice, i); }},
        {"0319", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.UnrealisedPL); }},
        {"0137", Kind::DateTime, [](const R& r, I) -> std::string { return r.TransactionDateTime; }},
        {"0275", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.Commision); }},
        {"0432", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.Storage); }},
        {"0132", Kind::Text, [](const R& r, I) -> std::string { return deliveryText(r.deliveryMode); }},
        {"0478", Kind::Text, [](const R& r, I) -> std::string { return r.ValueDate; }},
        {"0483", Kind::Text, [](const R& r, I) -> std::string { return r.ExpiryDate; }},
    };
    return columns;
}

const std::vector<Column<PendingOrderHistoryInfo>>& pendingColumns() {
    using R = PendingOrderHistoryInfo;
    using I = const model::ItemDetails*;
    static const std::vector<Column<R>> columns = {
        {"0070", Kind::Text, [](const R& r, I) -> std::string { return r.PendingOrderId; }},
        {"0011", Kind::Text, [](const R& r, I) -> std::string { return r.ItemCode; }},
        {"0328", Kind::Number, [](const R& r, I) -> std::string { return quantityText(r.OrderQty); }},
        {"0071", Kind::Number, [](const R& r, I) -> std::string { return quantityText(r.RemainingQty); }},
        {"0020", Kind::Text, [](const R& r, I) -> std::string { return sideText(r.tradingMode); }},
        {"0028", Kind::Text, [](const R& r, I) -> std::string { return orderTypeText(r.orderType); }},
        {"0232", Kind::Number, [](const R& r, I i) -> std::string { return textPrice(r.OrderPrice, i); }},
        {"0233", Kind::Number, [](const R& r, I i) -> std::string { return optionalPrice(r.LimitPrice, i); }},
        {"0234", Kind::Number, [](const R& r, I i) -> std::string { return optionalPrice(r.StopPrice, i); }},
        {"0326", Kind::DateTime, [](const R& r, I) -> std::string { return r.TransactionDateTime; }},
        {"0337", Kind::Text, [](const R& r, I) -> std::string { return timeInForceText(r.timeinForce); }},
        {"0287", Kind::Text,
         [](const R& r, I) -> std::string {
             return r.RefPositionIdOfBracket().empty() ? std::string("0") : r.RefPositionIdOfBracket().str();
         }},
        {"0132", Kind::Text, [](const R& r, I) -> std::string { return deliveryText(r.deliveryMode); }},
    };
    return columns;
}

const std::vector<Column<SettledPositionHistoryInfo>>& settledColumns() {
    using R = SettledPositionHistoryInfo;
    using I = const model::ItemDetails*;
    static const std::vector<Column<R>> columns = {
        {"0148", Kind::Text, [](const R& r, I) -> std::string { return r.SettlementId(); }},
        {"0011", Kind::Text, [](const R& r, I) -> std::string { return r.ItemCode; }},
        {"0027", Kind::Number, [](const R& r, I) -> std::string { return quantityText(r.SettledQty()); }},
        {"0020", Kind::Text, [](const R& r, I) -> std::string { return sideText(r.tradingMode); }},
        {"0318", Kind::Number, [](const R& r, I i) -> std::string { return textPrice(r.OrderPrice, i); }},
        {"0077", Kind::Number, [](const R& r, I i) -> std::string { return textPrice(r.SettledPrice(), i); }},
        {"0319", Kind::Number,
         [](const R& r, I) -> std::string {
             return amountText(model::TextValue::doubleValue(r.SettledPL()));
         }},
        {"0275", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.Commision); }},
        {"0432", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.Storage); }},
        {"0151", Kind::DateTime, [](const R& r, I) -> std::string { return r.TransactionDateTime; }},
        {"0323", Kind::Text, [](const R& r, I) -> std::string { return r.OpenPositionId; }},
        {"0324", Kind::Text, [](const R& r, I) -> std::string { return r.ClosingPositionId(); }},
        {"0434", Kind::Number, [](const R& r, I i) -> std::string { return priceText(r.CurrencyRate(), i); }},
        {"0132", Kind::Text, [](const R& r, I) -> std::string { return deliveryText(r.deliveryMode); }},
        {"0325", Kind::Text, [](const R& r, I) -> std::string { return r.OpenDate; }},
        {"0475", Kind::Text, [](const R& r, I) -> std::string { return r.CloseDate; }},
        {"0439", Kind::Number, [](const R& r, I) -> std::string { return amountText(r.OtherCharges()); }},
    };
    return columns;
}

const std::vector<Column<Order>>& cancelledColumns() {
    using R = Order;
    using I = const model::ItemDetails*;
    static const std::vector<Column<R>> columns = {
        {"0012", Kind::Text, [](const R& r, I) -> std::string { return r.AccountNumber; }},
        {"0011", Kind::Text, [](const R& r, I) -> std::string { return r.ItemCode; }},
        {"0027", Kind::Number, [](const R& r, I) -> std::string { return exactQuantityText(r.OrderQty); }},
        {"0020", Kind::Text, [](const R& r, I) -> std::string { return sideText(r.tradingMode); }},
        {"0028", Kind::Text, [](const R& r, I) -> std::string { return orderTypeText(r.orderType); }},
        {"0232", Kind::Number, [](const R& r, I i) -> std::string { return textPrice(r.OrderPrice, i); }},
        {"0070", Kind::Text, [](const R& r, I) -> std::string { return r.PendingOrderId.empty() ? std::string("-") : r.PendingOrderId.str(); }},
        {"0132", Kind::Text, [](const R& r, I) -> std::string { return deliveryText(r.deliveryMode); }},
        {"0495", Kind::DateTime, [](const R& r, I) -> std::string { return r.TransactionDateTime; }},
    };
    return columns;
}

const std::vector<Column<InstrumentHistoryInfo>>& instrumentColumns() {
    using R = InstrumentHistoryInfo;
    using I = const model::ItemDetails*;
    static const std::vector<Column<R>> columns = {
        {"0011", Kind::Text, [](const R& r, I) -> std::string { return r.Code; }},
        {"0192", Kind::Number, [](const R& r, I) -> std::string { return priceText(r.Bid, &r); }},
        {"0193", Kind::Number, [](const R& r, I) -> std::string { return priceText(r.Ask, &r); }},
    };
    return columns;
}

template <typename Row>
std::vector<std::string> identifiers(const std::vector<Column<Row>>& columns) {
    std::vector<std::string> out;
    for (const auto& c : columns) out.push_back(c.identifier);
    return out;
}

template <typename Row>
Kind kindOf(const std::vector<Column<Row>>& columns, const std::string& identifier) {
    for (const auto& c : columns)
        if (identifier == c.identifier) return c.kind;
    return Kind::Text;
}

Kind kindOf(DetailTable table, const std::string& identifier) {
    switch (table) {
    case DetailTable::OpenPositions: return kindOf(openColumns(), identifier);
    case DetailTable::PendingOrders: return kindOf(pendingColumns(), identifier);
    case DetailTable::SettledPositions: return kindOf(settledColumns(), identifier);
    case DetailTable::CancelledOrders: return kindOf(cancelledColumns(), identifier);
    case DetailTable::Instruments: return kindOf(instrumentColumns(), identifier);
    }
    return Kind::Text;
}

// A row's instrument, by its index and record; null for none.
template <typename Row>
using InstrumentOf = std::function<const model::ItemDetails*(std::size_t, const Row&)>;

// A table's records; texts made per cell when asked, with the row's instrument.
template <typename Row>
class RecordTexts final : public CellTexts {
public:
    template <typename Records>
    RecordTexts(const std::vector<Column<Row>>& columns, const Records& records, InstrumentOf<Row> instrumentOf)
        : columns_(columns), records_(records.begin(), records.end()), instrumentOf_(std::move(instrumentOf)) {}
    std::size_t rows() const override { return records_.size(); }
    std::string text(std::size_t row, std::size_t column) const override {
        if (row >= records_.size() || column >= columns_.size() || !records_[row]) return {};
        return columns_[column].cell(*records_[row], instrumentOf_(row, *records_[row]));
    }

private:
    const std::vector<Column<Row>>& columns_;
    std::vector<std::shared_ptr<const Row>> records_;
    InstrumentOf<Row> instrumentOf_;
};

template <typename Row, typename Records>
std::shared_ptr<const CellTexts> textsOf(const std::vector<Column<Row>>& columns, const Records& records,
                                         InstrumentOf<Row> instrumentOf) {
    return std::make_shared<RecordTexts<Row>>(columns, records, std::move(instrumentOf));
}

// The instrument of a statement row: the statement's own entry for its id,
// from the entries held at the reload (a later statement replaces them),
// looked up when a cell needs it: a reload does not visit ten thousand rows' ids.
template <typename Row>
InstrumentOf<Row> statementInstruments(const model::AccountStatementInfo& statement) {
    auto held = std::make_shared<const decltype(statement.InstrumentInfo)>(statement.InstrumentInfo);
    return [held](std::size_t, const Row& row) -> const model::ItemDetails* {
        const auto found = held->find(std::to_string(row.InstrumentId));
        return found == held->end() ? nullptr : found->second.get();
    };
}

class FixedTexts final : public CellTexts {
public:
    explicit FixedTexts(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}
    std::size_t rows() const override { return rows_.size(); }
    std::string text(std::size_t row, std::size_t column) const override {
        return row < rows_.size() && column < rows_[row].size() ? rows_[row][column] : std::string();
    }

private:
    std::vector<std::vector<std::string>> rows_;
};

// The leading decimal number of a text ("12.5x" -> "12.5"); "" without one.
std::string leadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digitsFrom = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    bool digits = i > digitsFrom;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        digits = digits || i > fraction;
    }
    return digits ? text.substr(start, i - start) : std::string();
}

}  // namespace

const std::vector<std::string>& detailColumns(DetailTable table) {
    static const std::vector<std::string> open = identifiers(openColumns());
    static const std::vector<std::string> pending = identifiers(pendingColumns());
    static const std::vector<std::string> settled = identifiers(settledColumns());
    static const std::vector<std::string> cancelled = identifiers(cancelledColumns());
    static const std::vector<std::string> instruments = identifiers(instrumentColumns());
    switch (table) {
    case DetailTable::OpenPositions: return open;
    case DetailTable::PendingOrders: return pending;
    case DetailTable::SettledPositions: return settled;
    case DetailTable::CancelledOrders: return cancelled;
    case DetailTable::Instruments: break;
    }
    return instruments;
}

bool isDateTimeColumn(DetailTable table, const std::string& identifier) {
    return kindOf(table, identifier) == Kind::DateTime;
}

bool isNumberColumn(DetailTable table, const std::string& identifier) {
    return kindOf(table, identifier) == Kind::Number;
}

std::shared_ptr<const CellTexts> detailTexts(DetailTable table, const model::AccountStatementInfo& statement,
                                             const SessionInstrument& sessionInstrument) {
    switch (table) {
    case DetailTable::OpenPositions:
        return textsOf(openColumns(), statement.OpenPositionInfo, statementInstruments<OpenPositionHistoryInfo>(statement));
    case DetailTable::PendingOrders:
        return textsOf(pendingColumns(), statement.PendingOrderInfo, statementInstruments<PendingOrderHistoryInfo>(statement));
    case DetailTable::SettledPositions:
        return textsOf(settledColumns(), statement.SettledPositionInfo,
                       statementInstruments<SettledPositionHistoryInfo>(statement));
    case DetailTable::CancelledOrders: {
        // The session's instrument of each row's code, as it is at the reload.
        auto instruments = std::make_shared<std::vector<std::shared_ptr<model::ItemDetails>>>();
        instruments->reserve(statement.cancelledOrderInfo.size());
        for (const auto& row : statement.cancelledOrderInfo)
            instruments->push_back(row && sessionInstrument ? sessionInstrument(row->ItemCode) : nullptr);
        return textsOf<Order>(cancelledColumns(), statement.cancelledOrderInfo,
                              [instruments](std::size_t row, const Order&) { return (*instruments)[row].get(); });
    }
    case DetailTable::Instruments: break;
    }
    std::vector<std::shared_ptr<InstrumentHistoryInfo>> instruments;
    instruments.reserve(statement.InstrumentInfo.size());
    for (const auto& [key, instrument] : statement.InstrumentInfo) instruments.push_back(instrument);
    return textsOf<InstrumentHistoryInfo>(instrumentColumns(), instruments,
                                          [](std::size_t, const InstrumentHistoryInfo&) { return nullptr; });
}

std::shared_ptr<const CellTexts> fixedTexts(std::vector<std::vector<std::string>> rows) {
    return std::make_shared<FixedTexts>(std::move(rows));
}

TextRows detailRows(DetailTable table, const model::AccountStatementInfo& statement,
                    const SessionInstrument& sessionInstrument) {
    const auto texts = detailTexts(table, statement, sessionInstrument);
    const std::size_t columns = detailColumns(table).size();
    TextRows rows(texts->rows());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < columns; ++c) rows[r].push_back(texts->text(r, c));
    return rows;
}

std::string dateTimeCell(double columnWidth, const std::string& text) {
    return model::Formatter::getDateonColumnResizing(columnWidth, text);
}

std::string sideText(std::int32_t tradingMode) { return tradingMode == Order::kBuy ? "B" : "S"; }

std::string deliveryText(std::int32_t deliveryMode) {
    switch (deliveryMode) {
    case Order::kRegular: return "Regular";
    case Order::kIntraday: return "Intraday";
    case Order::kBTST: return "BTST";
    default: return "Unknown";
    }
}

std::string orderTypeText(std::int32_t orderType) {
    switch (orderType) {
    case Order::kOrderTypeNone: return "None";
    case Order::kMarket: return "Market";
    case Order::kLimit: return "Limit";
    case Order::kStop: return "Stop";
    default: return "";
    }
}

std::string timeInForceText(std::int32_t timeInForce) {
    switch (timeInForce) {
    case 0: return "Unknown";
    case Order::kGTC: return "GTC";
    case Order::kGTF: return "GTF";
    case Order::kDay: return "Day";
    default: return "";
    }
}

std::string quantityText(const std::string& stored) {
    const model::Decimal value = model::Decimal::fromDouble(model::TextValue::doubleValue(stored));
    return value.isNaN() ? "" : value.toString();
}

std::string exactQuantityText(const std::string& stored) {
    const auto value = model::Decimal::fromString(leadingNumber(stored));
    return value && !value->isNaN() ? value->toString() : "";
}

std::string priceText(double value, const model::ItemDetails* instrument) {
    if (!std::isfinite(value)) return "";
    // A place count the server could not mean (negative, absurd) reads as the default.
    int places = instrument ? instrument->DecimalPlaces : 2;
    if (places <= 0 || places > 15) places = 2;
    return model::Formatter::formatDecimal(value, places);
}

std::string amountText(double value) {
    return std::isfinite(value) ? model::Formatter::formatDecimal(value, 2) : "";
}

}  // namespace reports
