// The statement window's column fit, spread over event-loop turns: each
// column fitted by Qt in a turn of its own (over the rows its header's
// precision reads), then each date-time column widened to its whole texts a
// block of rows a turn. Every table at once would hold the main thread for a
// tenth of a second.
#include <QTableView>
#include <QStyle>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/main_executor.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "kit/shown_text.h"

namespace reports {

namespace {

// Above the 135-point rule: the whole date and time.
constexpr int kDateTimeWidth = 150;
// Texts measured per turn in a date-time column.
constexpr int kRowsPerStep = 500;
// A date with its time in any format is shorter: a longer server text is
// measured only this far, so that it neither costs a turn nor widens the column.
constexpr qsizetype kLongestDateTime = 64;

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
    QTableView* view = tableViews[table];
    for (int c = 0; c < view->model()->columnCount(); ++c)
        fitSteps_.push_back([view, c] {
            if (!view->isColumnHidden(c)) view->resizeColumnToContents(c);
        });
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
                    *widest = std::max(*widest,
                                       metrics.horizontalAdvance(kit::shownText(detail->text(r, c), kLongestDateTime)) + margins);
            });
        fitSteps_.push_back([view, c, widest] { view->setColumnWidth(c, std::max(view->columnWidth(c), *widest)); });
    }
    fitSteps_.push_back([this, table] { std::erase(fitting_, table); });
}

void AccountStatementWindowController::restartPendingFit() {
    if (fitSteps_.empty()) return;
    fitSteps_.clear();
    for (const std::size_t table : fitting_) fitted_[table] = false;
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
