// Open position rows of the data service made into orders: 100,000 rows,
// each with three wire times, then their times alone. Baseline: the same
// times through the date formatters, as the rows read them before. Then the
// same conversions named by their patterns beside those made formatters.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/formatter.h"
#include "model/text_pool.h"
#include "state/history_orders.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRounds = 5;  // the fastest round of each counts

using Clock = std::chrono::steady_clock;

template <typename Work>
double fastestNsPerRow(Work&& work) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kRows);
    }
    return best;
}

}  // namespace

int main() {
    std::vector<model::OpenOrderHD> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        char time[32];
        std::snprintf(time, sizeof time, "2026%02d%02d%02d%02d%02d", 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60);
        rows[std::size_t(i)].PositionId = std::to_string(70000 + i);
        rows[std::size_t(i)].PositionDate = time;
        rows[std::size_t(i)].ValueDate = std::string(time, 8) + "000000";
        rows[std::size_t(i)].ExpiryDate = i % 3 ? std::string(model::Formatter::kNullDate) : std::string(time, 8) + "235959";
    }
    const state::HistoryOrders::ItemCodeOf code = [](std::int32_t) { return std::string("GOLD"); };
    std::size_t sink = 0;
    const double orders = fastestNsPerRow([&] {
        model::TextPool repeated;  // one a fill, as the answer's fill holds it
        for (const auto& row : rows) sink += state::HistoryOrders::openOrder(row, code, repeated)->TransactionDateTime.size();
    });
    const double times = fastestNsPerRow([&] {
        for (const auto& row : rows)
            sink += state::HistoryOrders::dateTime(row.PositionDate).size() + state::HistoryOrders::date(row.ValueDate).size() +
                    state::HistoryOrders::date(row.ExpiryDate).size();
    });
    const model::DateFormatter wire(model::Formatter::kWireFormat), display(model::Formatter::kDisplayFormat),
        day(model::Formatter::kDateFormat);
    const auto through = [&](const std::string& text, const model::DateFormatter& to) {
        return model::Formatter::formatDateandTimeFromString(text, wire, to).value_or(std::string()).size();
    };
    const double formatters = fastestNsPerRow([&] {
        for (const auto& row : rows)
            sink += through(row.PositionDate, display) + through(row.ValueDate, day) + through(row.ExpiryDate, day);
    });
    // The same conversions named by their patterns, as most callers name them.
    const double named = fastestNsPerRow([&] {
        for (const auto& row : rows)
            sink += model::Formatter::formatDateandTimeFromString(row.PositionDate, model::Formatter::kWireFormat,
                                                                  model::Formatter::kDisplayFormat).value_or(std::string()).size() +
                    model::Formatter::formatDateandTimeFromString(row.ValueDate, model::Formatter::kWireFormat,
                                                                  model::Formatter::kDateFormat).value_or(std::string()).size() +
                    model::Formatter::formatDateandTimeFromString(row.ExpiryDate, model::Formatter::kWireFormat,
                                                                  model::Formatter::kDateFormat).value_or(std::string()).size();
    });
    std::printf("history_orders_bench: %d open position rows, fastest of %d rounds (%zu)\n", kRows, kRounds, sink % 10);
    std::printf("  row to order          %6.0f ns a row\n", orders);
    std::printf("  its three times       %6.0f ns a row; through the date formatters %6.0f ns (ratio %.2f)\n", times,
                formatters, formatters > 0 ? times / formatters : 0);
    std::printf("  by pattern names      %6.0f ns a row; through made formatters     %6.0f ns (ratio %.2f)\n", named,
                formatters, formatters > 0 ? named / formatters : 0);
    return 0;
}
