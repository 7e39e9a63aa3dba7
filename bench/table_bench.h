#pragma once
// What the benchmarks of the live tables share: a sheet host and a window
// opener that do nothing, and the timing of a table shown at 1600x900 against
// a plain QTableView of the same rows, widths and font.
#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QVector>
#include <algorithm>
#include <chrono>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>
#include <cstdio>
#include <string>

#include "kit/core/preference_manager.h"
#include "kit/live_ticker.h"
#include "kit/sheet_host.h"
#include "kit/window_context.h"
#include "kit/window_opener.h"
#include "orders/order_mananger.h"
#include "state/business_base.h"
#include "support/session_test_access.h"
#include "bench_book.h"
#include "state/reference_data.h"
#include "kit/table_controller_base.h"

namespace bench {

struct NoSheets : kit::SheetHost {
    void showCustomSheet(QDialog*) override {}
    bool isSheetAttached() const override { return false; }
};

struct NoWindows : kit::WindowOpener {
    bool openWindow(const std::string&, const kit::OpenRequest&) override { return false; }
};

// A login's window context over the session, with the hosts above, a ticker
// that is not started and these preferences.
struct TableContext {
    TableContext(const std::shared_ptr<state::BusinessBase>& session, state::UiServices& ui,
                 kit::PreferenceManager& preferences)
        : manager(state::viewOf(*session), state::servicesOf(*session), state::SessionTestAccess::referenceData(*session),
                  state::SessionTestAccess::orderBook(*session), state::commandsOf(*session)),
          ticker([] {}),
          context{*session, *session, manager, 0, nullptr, nullptr, ui, sheets, windows, ticker, preferences, session} {}
    orders::OrderMananger manager;
    NoSheets sheets;
    NoWindows windows;
    kit::LiveTicker ticker;
    kit::WindowContext context;
};

// The texts of a model's cells, two versions of every row: the plain view's data.
class PlainModel : public QAbstractTableModel {
public:
    using Rows = QVector<QVector<QString>>;
    PlainModel(Rows first, Rows second, QStringList headers)
        : rows_{std::move(first), std::move(second)}, headers_(std::move(headers)) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_[shown_].size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(headers_.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return rows_[shown_][index.row()][index.column()];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return headers_.value(section);
    }
    // Shows the other version of every row, as a tick of every row would.
    void flip() {
        shown_ ^= 1;
        emit dataChanged(index(0, 0), index(rowCount({}) - 1, columnCount({}) - 1));
    }
    static Rows textsOf(const QAbstractItemModel& model) {
        Rows rows(model.rowCount());
        for (int r = 0; r < model.rowCount(); ++r)
            for (int c = 0; c < model.columnCount(); ++c) rows[r].push_back(model.index(r, c).data().toString());
        return rows;
    }

private:
    Rows rows_[2];
    QStringList headers_;
    int shown_ = 0;
};

struct TableTimes {
    double paint = 0;   // a repaint alone: the baseline
    double tick = 0;    // prices moved, the tick, a repaint
    double reload = 0;  // prices moved, a whole-table reload, a repaint
    double tickMedian = 0;  // the tick, timed in turn with the plain view's
    double plain = 0;       // a plain view of the same geometry: every row changed, a repaint
};

// A plain QTableView over the texts of `real` before and after a tick, with
// the same rows, column widths, row height, font and size.
class PlainView {
public:
    template <class Tick>
    PlainView(QTableView& real, Tick&& tick) {
        const QAbstractItemModel& source = *real.model();
        PlainModel::Rows before = PlainModel::textsOf(source);
        tick();
        QStringList headers;
        for (int c = 0; c < source.columnCount(); ++c) headers << source.headerData(c, Qt::Horizontal).toString();
        model_ = std::make_unique<PlainModel>(std::move(before), PlainModel::textsOf(source), headers);
        view_.setModel(model_.get());
        const QVariant font = source.index(0, 0).data(Qt::FontRole);
        view_.setFont(font.isValid() ? font.value<QFont>() : real.font());
        view_.setWordWrap(false);
        view_.setAlternatingRowColors(real.alternatingRowColors());
        view_.setSelectionBehavior(QAbstractItemView::SelectRows);
        view_.verticalHeader()->setVisible(real.verticalHeader()->isVisible());
        view_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view_.verticalHeader()->setDefaultSectionSize(real.verticalHeader()->defaultSectionSize());
        for (int c = 0; c < source.columnCount(); ++c) {
            view_.setColumnHidden(c, real.isColumnHidden(c));
            view_.setColumnWidth(c, real.columnWidth(c));
        }
        view_.resize(real.size());
        view_.show();
        QApplication::processEvents();
    }
    // Every row changed, then the repaint.
    void tick() {
        model_->flip();
        view_.viewport()->repaint();
    }

private:
    std::unique_ptr<PlainModel> model_;
    QTableView view_;
};

// Median milliseconds of each of two steps timed in turn, round by round, so
// that a loaded machine slows both alike.
template <class A, class B>
std::pair<double, double> interleavedMedians(int rounds, A&& a, B&& b) {
    std::vector<double> first, second;
    auto time = [](auto&& f, int r) {
        const auto t0 = std::chrono::steady_clock::now();
        f(r);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    };
    for (int r = 0; r < rounds; ++r) {
        first.push_back(time(a, r));
        second.push_back(time(b, r));
    }
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    return {first[first.size() / 2], second[second.size() / 2]};
}

// Shows the table at 1600x900 and times each, `rounds` times.
template <class Reload>
TableTimes timeTable(kit::TableControllerBase& table, state::ReferenceData& data, int rounds, Reload&& reload) {
    table.resize(1600, 900);
    table.show();
    QApplication::processEvents();
    QWidget* viewport = table.tableView()->viewport();
    TableTimes t;
    t.paint = millisecondsPer(rounds, [&](int) { viewport->repaint(); });
    t.tick = millisecondsPer(rounds, [&](int r) {
        movePrices(data, r);
        table.RefreshTableview();
        viewport->repaint();
    });
    t.reload = millisecondsPer(rounds, [&](int r) {
        movePrices(data, r);
        reload();
        viewport->repaint();
    });
    PlainView plain(*table.tableView(), [&] {
        movePrices(data, rounds);
        table.RefreshTableview();
    });
    std::tie(t.tickMedian, t.plain) = interleavedMedians(
        rounds,
        [&](int r) {
            movePrices(data, r);
            table.RefreshTableview();
            viewport->repaint();
        },
        [&](int) { plain.tick(); });
    table.hide();
    return t;
}

inline void printTableTimes(const TableTimes& t, double tickBudget, double reloadBudget) {
    std::printf("  repaint alone (baseline)   %8.3f ms\n", t.paint);
    std::printf("  one tick + repaint         %8.3f ms  (%.2fx the baseline; budget %.0f ms)\n", t.tick,
                t.tick / t.paint, tickBudget);
    std::printf("  tick vs plain QTableView   %8.3f / %.3f ms medians, in turn  (%.2fx; target 1.2x)\n",
                t.tickMedian, t.plain, t.tickMedian / t.plain);
    std::printf("  full reload + repaint      %8.3f ms  (%.2fx the baseline; budget %.0f ms)\n", t.reload,
                t.reload / t.paint, reloadBudget);
}

}  // namespace bench
