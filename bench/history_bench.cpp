// The history tables: the settled totals label over 50,000 settlements against
// a plain loop summing the same doubles, and a full reload of the executed
// table with 10,000 rows, offscreen at 1600x900, against the repaint alone.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_book.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "offscreen_bench.h"
#include "silent_ui.h"
#include "support/order_book_test_access.h"
#include "table_bench.h"
#include "views/core/settled_totals.h"
#include "views/executed_position_table_controller.h"

namespace {

constexpr int kSettlements = 50000;
constexpr int kExecuted = 10000;
constexpr int kInstruments = 200;
constexpr int kAccounts = 20;
constexpr int kRounds = 30;

state::Orders settlements() {
    state::Orders out;
    for (int i = 0; i < kSettlements; ++i) {
        auto o = std::make_shared<model::Order>();
        o->setSettledQty(std::to_string(1 + i % 7) + ".5");
        o->setSettledPL(std::to_string((i % 201) - 100) + ".25");
        o->Commision = 0.5 * (i % 3);
        o->Storage = -0.1 * (i % 4);
        o->setOtherCharges(0.01 * (i % 5));
        out.push_back(std::move(o));
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);

    // Totals: the label's sums and text against the same sums of ready doubles.
    const state::Orders settled = settlements();
    std::vector<double> numbers;
    for (const auto& o : settled)
        numbers.insert(numbers.end(), {model::TextValue::doubleValue(o->SettledQty()),
                                       model::TextValue::doubleValue(o->SettledPL()), o->Commision,
                                       o->Storage, o->OtherCharges()});
    const auto text = [](const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); };
    std::string label;
    const double totals = bench::millisecondsPer(kRounds, [&](int) {
        label = views::settledTotalsText(views::settledTotals(settled), text).value_or("");
    });
    volatile double sink = 0;
    const double plain = bench::millisecondsPer(kRounds, [&](int) {
        std::array<double, 5> sums{};
        for (std::size_t i = 0; i < numbers.size(); ++i) sums[i % 5] += numbers[i];
        sink = sums[0] + sums[4];
    });

    bench::TableTimes times;
    int rows = 0;
    {
        bench::BenchPreferences preferences("history_bench");
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        const std::string group = bench::addGroupAndInstruments(*session, kInstruments);
        bench::addAccounts(*session, group, kAccounts, kInstruments);
        bench::addPositions(*session, kExecuted, kAccounts, kInstruments);
        for (const auto& p : state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)))
            p->TransactionDateTime = "12/07/2026 09:30:00";
        bench::TableContext context(session, ui, preferences.manager);
        views::ExecutedPositionTableController table(context.context);
        rows = table.rowCount();
        times = bench::timeTable(table, state::SessionTestAccess::referenceData(*session), kRounds,
                                 [&] { table.executedpositionTableUpdate(); });
    }

    std::printf("settled totals over %d settlements, mean of %d rounds\n", kSettlements, kRounds);
    std::printf("  totals label               %8.3f ms\n", totals);
    std::printf("  plain loop of the doubles  %8.3f ms  (baseline; the label %.1fx)\n", plain, totals / plain);
    std::printf("  %s\n", label.c_str());
    std::printf("executed positions %d rows, 1600x900, mean of %d rounds\n", rows, kRounds);
    std::printf("  repaint alone (baseline)   %8.3f ms\n", times.paint);
    std::printf("  full reload + repaint      %8.3f ms  (%.2fx the baseline)\n", times.reload, times.reload / times.paint);
    return sink > 0 ? 0 : 0;
}
