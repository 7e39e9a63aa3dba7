#pragma once
// What the benchmarks of the live tables share: a sheet host and a window
// opener that do nothing, and the timing of a table shown at 1600x900.
#include <QApplication>
#include <QTableView>
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

struct TableTimes {
    double paint = 0;   // a repaint alone: the baseline
    double tick = 0;    // prices moved, the tick, a repaint
    double reload = 0;  // prices moved, a whole-table reload, a repaint
};

// Shows the table at 1600x900 and times each, `rounds` times.
template <class Reload>
TableTimes timeTable(kit::TableControllerBase& table, state::ReferenceData& data, int rounds, Reload&& reload) {
    table.refreshTimer().stop();
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
    table.hide();
    return t;
}

inline void printTableTimes(const TableTimes& t, double tickBudget, double reloadBudget) {
    std::printf("  repaint alone (baseline)   %8.3f ms\n", t.paint);
    std::printf("  one tick + repaint         %8.3f ms  (%.2fx the baseline; budget %.0f ms)\n", t.tick,
                t.tick / t.paint, tickBudget);
    std::printf("  full reload + repaint      %8.3f ms  (%.2fx the baseline; budget %.0f ms)\n", t.reload,
                t.reload / t.paint, reloadBudget);
}

}  // namespace bench
