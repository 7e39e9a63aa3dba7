// Charts: parsing a 10,000-bar answer (against a memchr count of its values),
// painting 10,000 and 200 candlesticks into a 1600x900 image (against painting
// the same number of plain rectangles), and one live update with its redraw.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "kit/qt_main_executor.h"
#include "charts/chart_controller.h"
#include "charts/core/chart_answer.h"
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

void line(const char* what, double ms, double baseline, double limit) {
    std::printf("%-44s %8.3f ms  baseline %8.3f ms  ratio %6.1f  (target < %.0f ms)\n", what, ms, baseline,
                baseline > 0 ? ms / baseline : 0.0, limit);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto executor = kit::QtMainExecutor::install();
    bench::SilentUi ui;
    const bench::ChartSession held = bench::chartSession(ui);
    const auto& session = held.session;
    const auto& gold = held.gold;

    const std::string big = bench::chartAnswer("GOLD^T", kBars + 1);
    const std::string stripped = model::MessageChecker::removeTags(big);
    charts::ChartBars bars;
    const double parseMs = bestMs([&] { charts::parseChartAnswer(stripped, bars); });
    const double scanMs = bestMs([&] {
        std::size_t commas = 0;
        for (const char* p = stripped.data(); (p = static_cast<const char*>(
                                                   std::memchr(p, ',', stripped.data() + stripped.size() - p)));
             ++p)
            ++commas;
        if (commas == 0) std::puts("");
    });
    line("parse a 10,000-bar answer", parseMs, scanMs, 10);

    state::SessionTestAccess::dataServiceAnswers(*session).storeChartData("GOLD^T", big);
    state::SessionTestAccess::dataServiceAnswers(*session).storeChartData("GOLD^O", bench::chartAnswer("GOLD^O", 201));
    charts::ChartController all(session, session);
    all.resize(1600, 900);
    all.setValue("GOLD", "0#3");
    all.graph()->defaultPlotSpace().setXRange({0, static_cast<double>(kBars)});
    QImage image(1600, 900, QImage::Format_RGB32);
    auto paint = [&](charts::ChartController& c) {
        QPainter painter(&image);
        c.graph()->render(painter, QRectF(0, 0, 1600, 900));
    };
    auto rects = [&](int n) {
        QPainter painter(&image);
        painter.setBrush(Qt::gray);
        for (int i = 0; i < n; ++i) painter.drawRect(QRectF(i * 1580.0 / n, 100 + i % 500, 3, 200));
    };
    line("paint 10,000 candlesticks, 1600x900", bestMs([&] { paint(all); }), bestMs([&] { rects(kBars); }), 50);

    charts::ChartController few(session, session);
    few.resize(1600, 900);
    few.setValue("GOLD", "1#3");
    few.graph()->defaultPlotSpace().setXRange({0, 200});
    line("paint 200 candlesticks, 1600x900", bestMs([&] { paint(few); }), bestMs([&] { rects(200); }), 5);

    few.chartScrollToEnd();
    int tick = 0;
    const double liveMs = bestMs([&] {
        gold->Last = 1850 + (++tick % 2) * 0.25;
        gold->Bid = gold->Last - 0.25;
        gold->Ask = gold->Last + 0.25;
        few.newChartData();
        paint(few);
    });
    line("one live update with its redraw (35 bars)", liveMs, bestMs([&] { paint(few); }), 5);
    return 0;
}
