// The statement window's column fit, spread over event-loop turns: ten
// thousand rows measured at once would hold the main thread for a tenth of
// a second. The result is the one fit in a single pass would give.
#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/main_executor.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "reports/statement_table_view.h"

namespace reports {

namespace {

// Above the 135-point rule: the whole date and time.
constexpr int kDateTimeWidth = 150;
// Cells measured through the delegate per turn (about 10 us each).
constexpr int kMeasuredPerStep = 150;
// Whole texts measured per turn in a date-time column.
constexpr int kRowsPerStep = 500;

}  // namespace

void AccountStatementWindowController::fitColumnsOnce() {
    fitted_.resize(tableViews.size());
    for (std::size_t i = 0; i < tableViews.size(); ++i) {
        if (fitted_[i] || tableViews[i]->model()->rowCount() == 0) continue;
        fitted_[i] = true;
        fitting_.push_back(i);
        scheduleFit(i);
    }
    if (!fitSteps_.empty()) postFitStep();
}

void AccountStatementWindowController::scheduleFit(std::size_t table) {
    auto* view = dynamic_cast<StatementTableView*>(tableViews[table]);
    if (!view) return;
    // A column's rows are measured a part a turn, the rows chosen at its first part.
    const int rows = view->model()->rowCount();
    const int precision = view->horizontalHeader()->resizeContentsPrecision();
    const int measured = precision < 0 ? rows : std::min(rows, precision);
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        auto chosen = std::make_shared<std::vector<int>>();
        for (int from = 0; from == 0 || from < measured; from += kMeasuredPerStep)
            fitSteps_.push_back([view, c, chosen, from] {
                if (view->isColumnHidden(c)) return;
                if (from == 0) *chosen = view->rowsToMeasure();
                view->measureRows(c, *chosen, std::size_t(from), std::size_t(from + kMeasuredPerStep));
            });
    }
    fitSteps_.push_back([view] { view->fitMeasuredColumns(); });
    // Wide enough for the date with the time in the view's font: the fit
    // measured what the narrow column showed.
    const auto* detail = dynamic_cast<const DetailHistoryTableController*>(view->model());
    for (int c = 0; detail && c < detail->columnCount(); ++c) {
        if (!isDateTimeColumn(detail->table(), detail->identifiers()[std::size_t(c)])) continue;
        auto widest = std::make_shared<int>(kDateTimeWidth);
        for (int from = 0; from < detail->rowCount(); from += kRowsPerStep)
            fitSteps_.push_back([view, detail, c, from, widest] {
                const QFontMetrics metrics(view->font());
                const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 6;
                const int to = std::min(detail->rowCount(), from + kRowsPerStep);
                for (int r = from; r < to; ++r)
                    *widest = std::max(*widest, metrics.horizontalAdvance(detail->text(r, c)) + margins);
            });
        fitSteps_.push_back([view, c, widest] { view->setColumnWidth(c, std::max(view->columnWidth(c), *widest)); });
    }
    fitSteps_.push_back([this, table] { std::erase(fitting_, table); });
}

void AccountStatementWindowController::restartPendingFit() {
    if (fitSteps_.empty()) return;
    fitSteps_.clear();
    for (const std::size_t table : fitting_) {
        fitted_[table] = false;
        if (auto* view = dynamic_cast<StatementTableView*>(tableViews[table])) view->forgetMeasures();
    }
    fitting_.clear();
}

void AccountStatementWindowController::postFitStep() {
    if (fitPosted_) return;
    fitPosted_ = true;
    platform::MainExecutor::post([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.lock()) return;
        fitPosted_ = false;
        if (fitSteps_.empty()) return;
        const std::function<void()> step = std::move(fitSteps_.front());
        fitSteps_.pop_front();
        step();
        if (!fitSteps_.empty()) postFitStep();
    });
}

void AccountStatementWindowController::flushPendingFit() {
    while (!fitSteps_.empty()) {
        const std::function<void()> step = std::move(fitSteps_.front());
        fitSteps_.pop_front();
        step();
    }
}

}  // namespace reports
