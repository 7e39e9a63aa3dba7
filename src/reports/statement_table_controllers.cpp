#include "reports/statement_table_controllers.h"
#include "kit/shown_text.h"

namespace reports {

namespace {

std::vector<QString> titlesOf(DetailTable table, const KeyText& text) {
    std::vector<QString> titles;
    // The settled positions' P/L is realised: its own title, not "0319"'s.
    for (const auto& id : detailColumns(table))
        titles.push_back(kit::shownText(text(table == DetailTable::SettledPositions && id == "0319" ? "0152" : id)));
    return titles;
}

std::vector<bool> numbersOf(DetailTable table) {
    std::vector<bool> numbers;
    for (const auto& id : detailColumns(table)) numbers.push_back(isNumberColumn(table, id));
    return numbers;
}

}  // namespace

DetailHistoryTableController::DetailHistoryTableController(DetailTable table, const KeyText& text, QObject* parent)
    : StatementTableModel(detailColumns(table), titlesOf(table, text), numbersOf(table), parent),
      table_(table) {}

void DetailHistoryTableController::reloadData(const model::AccountStatementInfo& statement,
                                              const SessionInstrument& sessionInstrument) {
    setRows(detailTexts(table_, statement, sessionInstrument));
}

OpenPositionHistoryTableController::OpenPositionHistoryTableController(const KeyText& text, QObject* parent)
    : DetailHistoryTableController(DetailTable::OpenPositions, text, parent), text_(text) {}

std::string OpenPositionHistoryTableController::getOpenStatusInfo(const model::AccountStatementInfo& statement) const {
    return openStatusLine(statement, text_);
}

PendingOrderHistoryTableController::PendingOrderHistoryTableController(const KeyText& text, QObject* parent)
    : DetailHistoryTableController(DetailTable::PendingOrders, text, parent) {}

SettledPositionHistoryTableController::SettledPositionHistoryTableController(const KeyText& text, QObject* parent)
    : DetailHistoryTableController(DetailTable::SettledPositions, text, parent), text_(text) {}

std::string SettledPositionHistoryTableController::getSettledStatusInfo(
    const model::AccountStatementInfo& statement) const {
    return settledStatusLine(statement, text_);
}

CancelledOrderHistoryTableController::CancelledOrderHistoryTableController(const KeyText& text, QObject* parent)
    : DetailHistoryTableController(DetailTable::CancelledOrders, text, parent) {}

InstrumentHistoryTableController::InstrumentHistoryTableController(const KeyText& text, QObject* parent)
    : DetailHistoryTableController(DetailTable::Instruments, text, parent) {}

SummaryTableController::SummaryTableController(const KeyText& text, QObject* parent)
    : StatementTableModel({"Entity", "Details"}, {QString(), QString()}, {false, true}, parent), text_(text) {}

void SummaryTableController::setSummary(const std::vector<SummaryRow>& rows) {
    std::vector<std::vector<std::string>> texts;
    texts.reserve(rows.size());
    for (const auto& row : rows) texts.push_back({row.label, row.value});
    setRows(fixedTexts(std::move(texts)));
}

void AccountSummaryHistoryTableController::loadAccountSummary(const model::AccountStatementInfo& statement) {
    setSummary(accountSummaryRows(statement, text_));
}

void OrderSummaryHistoryTableController::loadOrderSummary(const model::AccountStatementInfo& statement) {
    setSummary(orderSummaryRows(statement, text_));
}

void MarginSummaryHistoryTableController::loadMarginSummaryForAccount(const model::AccountStatementInfo& statement,
                                                                      std::int32_t accountId) {
    setSummary(marginSummaryRows(statement, accountId, text_));
}

}  // namespace reports
