#pragma once
// The statement window's eight tables: five detail tables of the statement's
// rows, the account summary, the order summary and the margin-call summary.
// Each takes the statement's rows when the window tells it to, once per
// statement; their texts are made when shown, printed or measured.
#include <cstdint>
#include <string>

#include "reports/core/statement_cells.h"
#include "reports/core/statement_summaries.h"
#include "reports/statement_table_model.h"

namespace reports {

// A detail table, its columns titled in the language of `text`.
class DetailHistoryTableController : public StatementTableModel {
public:
    DetailHistoryTableController(DetailTable table, const KeyText& text, QObject* parent);
    DetailTable table() const { return table_; }
    void reloadData(const model::AccountStatementInfo& statement, const SessionInstrument& sessionInstrument);

private:
    DetailTable table_;
};

class OpenPositionHistoryTableController : public DetailHistoryTableController {
public:
    OpenPositionHistoryTableController(const KeyText& text, QObject* parent);
    std::string getOpenStatusInfo(const model::AccountStatementInfo& statement) const;

private:
    KeyText text_;
};

class PendingOrderHistoryTableController : public DetailHistoryTableController {
public:
    PendingOrderHistoryTableController(const KeyText& text, QObject* parent);
};

class SettledPositionHistoryTableController : public DetailHistoryTableController {
public:
    SettledPositionHistoryTableController(const KeyText& text, QObject* parent);
    std::string getSettledStatusInfo(const model::AccountStatementInfo& statement) const;

private:
    KeyText text_;
};

class CancelledOrderHistoryTableController : public DetailHistoryTableController {
public:
    CancelledOrderHistoryTableController(const KeyText& text, QObject* parent);
};

class InstrumentHistoryTableController : public DetailHistoryTableController {
public:
    InstrumentHistoryTableController(const KeyText& text, QObject* parent);
};

// Two columns, "Entity" (labels) and "Details" (values).
class SummaryTableController : public StatementTableModel {
public:
    SummaryTableController(const KeyText& text, QObject* parent);

protected:
    void setSummary(const std::vector<SummaryRow>& rows);
    KeyText text_;
};

class AccountSummaryHistoryTableController : public SummaryTableController {
public:
    using SummaryTableController::SummaryTableController;
    void loadAccountSummary(const model::AccountStatementInfo& statement);
    int getAccountSummaryCount() const { return rowCount(); }
};

class OrderSummaryHistoryTableController : public SummaryTableController {
public:
    using SummaryTableController::SummaryTableController;
    void loadOrderSummary(const model::AccountStatementInfo& statement);
    int getOrderSummaryCount() const { return rowCount(); }
};

class MarginSummaryHistoryTableController : public SummaryTableController {
public:
    using SummaryTableController::SummaryTableController;
    // Account 0 (none resolved) empties the table.
    void loadMarginSummaryForAccount(const model::AccountStatementInfo& statement, std::int32_t accountId);
    int getMarginSummaryCount() const { return rowCount(); }
};

}  // namespace reports
