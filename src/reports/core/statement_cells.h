#pragma once
// The cell texts of the statement's five detail tables, by column identifier,
// made when asked from the statement's records. The window's tables and the
// printed statement read the same texts; the date-time columns keep the whole text and are cut
// to the time of day by the width of the column that shows them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/account_statement_info.h"
#include "model/item_details.h"

namespace reports {

enum class DetailTable { OpenPositions, PendingOrders, SettledPositions, CancelledOrders, Instruments };

// The table's column identifiers (language keys) in column order.
const std::vector<std::string>& detailColumns(DetailTable table);
// Whether the column shows a date and time, cut by its width.
bool isDateTimeColumn(DetailTable table, const std::string& identifier);
// Whether the column holds a number (right-aligned).
bool isNumberColumn(DetailTable table, const std::string& identifier);

// The login session's instrument of a code (the cancelled orders' prices); null when unknown.
using SessionInstrument = std::function<std::shared_ptr<model::ItemDetails>(const std::string& code)>;

// The texts of a table's rows, made when asked: a reload holds the records
// and the statement's instruments, not ten thousand rows of texts.
class CellTexts {
public:
    virtual ~CellTexts() = default;
    virtual std::size_t rows() const = 0;
    // "" outside the table, for a missing record and for a column the row lacks.
    virtual std::string text(std::size_t row, std::size_t column) const = 0;
};

// One row per record of the table's collection (instruments: per entry of
// InstrumentInfo in the record's order), one text per column of detailColumns.
// Holds the records: a later statement replaces them, never changes them.
std::shared_ptr<const CellTexts> detailTexts(DetailTable table, const model::AccountStatementInfo& statement,
                                             const SessionInstrument& sessionInstrument);
// Rows of texts made beforehand (short rows read empty).
std::shared_ptr<const CellTexts> fixedTexts(std::vector<std::vector<std::string>> rows);

// Every text of detailTexts at once.
using TextRows = std::vector<std::vector<std::string>>;
TextRows detailRows(DetailTable table, const model::AccountStatementInfo& statement,
                    const SessionInstrument& sessionInstrument);

// The shown text of a date-time cell in a column that wide (points).
std::string dateTimeCell(double columnWidth, const std::string& text);

// The shared formats.
std::string sideText(std::int32_t tradingMode);
std::string deliveryText(std::int32_t deliveryMode);
std::string orderTypeText(std::int32_t orderType);
std::string timeInForceText(std::int32_t timeInForce);
// A quantity text read as a number ("2.50" -> "2.5"; no number -> "0").
std::string quantityText(const std::string& stored);
// A quantity text taken exactly as a decimal ("12345678901234567.5" unchanged); "" without a number.
std::string exactQuantityText(const std::string& stored);
// A price with the instrument's decimals; 2 without an instrument or with 0 decimals.
std::string priceText(double value, const model::ItemDetails* instrument);
// "%.2f": two decimals, no grouping; "" for a value that is not a number.
std::string amountText(double value);

}  // namespace reports
