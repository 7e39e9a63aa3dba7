// Indicators: each of the 23 over 10,000 bars with period 50 (against one
// plain pass summing the closes, 23 times for all of them), a redraw of the
// sub-graph over 200 visible bars (against the price graph's 200
// candlesticks), and one live update with SMA and MACD shown, over 200 and
// 10,000 bars (against the plain full recompute: the update without
// indicators, then both removed and loaded again, the sub-graph rebuilt).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "charts/chart_controller.h"
#include "charts/core/chart_answer.h"
#include "charts/core/indicator_table.h"
#include "kit/qt_main_executor.h"
#include "model/message_checker.h"
#include "chart_bench_data.h"
#include "support/session_test_access.h"

namespace {

constexpr int kBars = 10000;
constexpr int kRuns = 20;

template <typename F>
double bestMs(F&& f) {
    return bench::bestMs(kRuns, f);
}

void line(const char* what, double ms, double baseline) {
    std::printf("%-44s %8.3f ms  baseline %8.3f ms  ratio %7.1f\n", what, ms, baseline, baseline > 0 ? ms / baseline : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto executor = kit::QtMainExecutor::install();

    charts::ChartBars bars;
    charts::ChartWindow window;
    window.fitAfterLoad(charts::parseChartAnswer(model::MessageChecker::removeTags(bench::chartAnswer("GOLD^T", kBars + 1)), bars));
    const auto prices = charts::indicators::pricesOf(bars, window);
    const charts::IndicatorParameters fifty{{50, 50, 50}, 2};

    volatile double sink = 0;
    auto onePass = [&] {
        double sum = 0;
        for (double c : prices.closes) sum += c;
        sink = sink + sum;
    };
    const double passMs = bestMs(onePass);
    double totalMs = 0;
    for (int i = 0; i < charts::kIndicatorCount; ++i) {
        const auto which = static_cast<charts::Indicator>(i);
        const double ms = bestMs([&] { sink = sink + charts::calculate(which, prices, fifty).front().back(); });
        totalMs += ms;
        const std::string what = std::string(charts::describe(which).title) + ", 10,000 bars";
        line(what.c_str(), ms, passMs);
    }
    line("all 23 indicators, 10,000 bars", totalMs, bestMs([&] {
             for (int i = 0; i < charts::kIndicatorCount; ++i) onePass();
         }));

    bench::SilentUi ui;
    const bench::ChartSession held = bench::chartSession(ui);
    const auto& session = held.session;
    state::SessionTestAccess::dataServiceAnswers(*session).storeChartData("GOLD^O", bench::chartAnswer("GOLD^O", 201));
    charts::ChartController chart(session, session);
    chart.resize(1600, 900);
    chart.setValue("GOLD", "1#3");
    chart.graph()->defaultPlotSpace().setXRange({0, 200});
    QVariantMap macd{{"FastPeriod", "12"}, {"SlowPeriod", "26"}, {"SignalPeriod", "9"}};
    chart.loadMACD(macd);
    QImage image(1600, 900, QImage::Format_RGB32);
    auto paint = [&](charts::plot::XYGraph* graph) {
        QPainter painter(&image);
        graph->render(painter, QRectF(0, 0, 1600, 900));
    };
    line("sub-graph redraw, MACD over 200 bars", bestMs([&] { paint(chart.indicatorView()->graph()); }),
         bestMs([&] { paint(chart.graph()); }));

    // A live update that changes the newest bar, with SMA and MACD shown.
    const QVariantMap sma{{"Period", "20"}, {"Color", QColor(Qt::yellow)}};
    for (const auto& [key, bars] : {std::pair{"GOLD^O", 201}, std::pair{"GOLD^O", kBars + 1}}) {
        state::SessionTestAccess::dataServiceAnswers(*session).storeChartData(key, bench::chartAnswer(key, bars));
        charts::ChartController shown(session, session), plain(session, session);
        for (auto* c : {&shown, &plain}) {
            c->resize(1600, 900);
            c->setValue("GOLD", "1#3");
        }
        shown.loadSMA(sma);
        shown.loadMACD(macd);
        int tick = 0;
        auto move = [&] {
            held.gold->Last = 1900 + (++tick % 2) * 0.25;
            held.gold->Bid = held.gold->Last - 0.25;
            held.gold->Ask = held.gold->Last + 0.25;
        };
        const double liveMs = bestMs([&] {
            move();
            shown.newChartData();
        });
        const double bareMs = bestMs([&] {
            move();
            plain.newChartData();
        });
        const double fullMs = bestMs([&] {
            move();
            plain.newChartData();
            plain.removeSMA();
            plain.loadSMA(sma);
            plain.removeMACD();
            plain.loadMACD(macd);
        });
        std::printf("live update, SMA + MACD, %5d bars: %8.3f ms (%8.0f /s)  baseline full recompute %8.3f ms (%8.0f /s)"
                    "  ratio %5.2f  (update alone %.3f ms)\n",
                    bars - 1, liveMs, liveMs > 0 ? 1000 / liveMs : 0.0, fullMs, fullMs > 0 ? 1000 / fullMs : 0.0,
                    fullMs > 0 ? liveMs / fullMs : 0.0, bareMs);
    }
    return sink == 0.5 ? 1 : 0;
}
