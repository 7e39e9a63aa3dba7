#include "reports/core/statement_summaries.h"

#include <cmath>

#include "model/decimal.h"
#include "model/formatter.h"

namespace reports {

namespace {

constexpr int kQuantitySumPlaces = 8;  // drops the noise of binary fractions

std::string statusLine(const std::vector<std::pair<std::string, std::string>>& items) {
    static const std::string kGap(5, ' ');
    std::string line;
    for (const auto& [label, value] : items) line += model::Formatter::fillFormat("%@ : %@", {label, value}) + kGap;
    return line;
}

}  // namespace

std::string quantitySumText(double sum) {
    const model::Decimal shown =
        model::Decimal::fromDouble(sum).rounded(kQuantitySumPlaces, model::RoundingMode::Plain);
    return shown.isNaN() ? "" : shown.toString();
}

std::string moneyText(double value) {
    if (!std::isfinite(value)) return "";
    return model::Formatter::formatDecimalWithString(model::Formatter::formatDecimal(value, 2)).value_or("");
}

std::string summaryQuantityText(double value) {
    if (!std::isfinite(value)) return "";
    const auto shown = model::Decimal::fromString(model::Formatter::formatDecimal(value, 6));
    if (!shown || shown->isNaN()) return "";
    return shown->isZero() ? "0" : shown->toString();
}

std::string openStatusLine(const model::AccountStatementInfo& s, const KeyText& text) {
    if (s.loadFailed) return "";
    const auto totals = s.openTotals();
    return statusLine({{text("0027"), quantitySumText(totals.quantity)},
                       {text("0319"), moneyText(totals.profitOrLoss)},
                       {text("0275"), moneyText(totals.commission)},
                       {text("0432"), moneyText(totals.storage)}});
}

std::string settledStatusLine(const model::AccountStatementInfo& s, const KeyText& text) {
    if (s.loadFailed) return "";
    const auto totals = s.settledTotals();
    return statusLine({{text("0027"), quantitySumText(totals.quantity)},
                       {text("0152"), moneyText(totals.profitOrLoss)},
                       {text("0275"), moneyText(totals.commission)},
                       {text("0432"), moneyText(totals.storage)},
                       {"TDS", moneyText(totals.tds)}});
}

std::vector<SummaryRow> accountSummaryRows(const model::AccountStatementInfo& s, const KeyText& text) {
    if (!s.StartInfo || !s.EndInfo) return {};
    const model::AccountHistoryInfo& start = *s.StartInfo;
    const model::AccountHistoryInfo& end = *s.EndInfo;
    std::vector<SummaryRow> rows = {
        {text("0429"), moneyText(start.OpeningBalanceOfDay)},
        {text("0092"), moneyText(s.getDeposit())},
        {text("0112"), moneyText(s.getWithDrawal())},
        {text("0431"), moneyText(s.getAdjustments())},
        {text("0275"), moneyText(s.getCommission())},
        {text("0487"), moneyText(s.getRealizedStorage())},
        {text("0152"), moneyText(s.getSettledPL())},
        {text("0433"), moneyText(s.getTDS())},
    };
    if (s.isDailyTDSAvailable())
        rows.push_back({model::Formatter::fillIndexedText(text("90580"), {text("0201")}), moneyText(s.getDailyTDS())});
    if (s.isMonthlyTDSAvailable())
        rows.push_back({model::Formatter::fillIndexedText(text("90580"), {text("0202")}), moneyText(s.getMonthlyTDS())});
    rows.insert(rows.end(), {
                                {text("0430"), moneyText(end.Balance)},
                                {text("0440"), moneyText(end.AccumulatingStorage)},
                                {text("0139"), moneyText(end.UnrealisedPL)},
                                {text("0222"), moneyText(end.Equity)},
                                {text("0581"), moneyText(end.CollateralSecurity)},
                                {text("0015"), moneyText(end.UsedMargin)},
                                {text("0014"), moneyText(end.AvailableMargin)},
                                {text("0442"), moneyText(s.getMiscellaneous())},
                            });
    return rows;
}

std::vector<SummaryRow> orderSummaryRows(const model::AccountStatementInfo& s, const KeyText& text) {
    if (s.loadFailed) return {};
    return {{text("0260"), summaryQuantityText(s.getSettledQuantity())},
            {text("0103"), summaryQuantityText(s.getOpenQuantity())},
            {text("0261"), summaryQuantityText(s.getPendingQuantity())},
            {text("0088"), summaryQuantityText(s.getCancelledQuantity())}};
}

std::vector<SummaryRow> marginSummaryRows(const model::AccountStatementInfo& s, std::int32_t accountId,
                                          const KeyText& text) {
    if (accountId == 0 || s.loadFailed) return {};
    return {{text("0476"), std::to_string(s.getMarginCallCountForAccountId(accountId))}};
}

}  // namespace reports
