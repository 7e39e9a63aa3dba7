// The chart hosts' second: four main-window panes and two chart windows (each
// with an overlay and a sub-graph indicator, computed again with each live bar)
// take a live update and repaint; mean and worst of 60 ticks, against the six
// repaints alone.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "charts/chart_view_controller.h"
#include "kit/qt_main_executor.h"
#include "chart_bench_data.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTicks = 60;

struct Figures {
    double mean = 0, worst = 0;
};

template <typename F>
Figures ticks(F&& f) {
    Figures out;
    for (int i = 0; i < kTicks; ++i) {
        const auto start = Clock::now();
        f(i);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        out.mean += ms / kTicks;
        out.worst = std::max(out.worst, ms);
    }
    return out;
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
    auto& answers = state::SessionTestAccess::dataServiceAnswers(*session);
    for (const char* interval : {"O", "5", "1", "15"}) answers.storeChartData(std::string("GOLD^") + interval, bench::chartAnswer(std::string("GOLD^") + interval, 201));

    // Four panes of 360 x 240 and two windows of 900 x 430 over a sub-graph of 900 x 190.
    std::vector<std::unique_ptr<charts::ChartViewController>> panes;
    for (int i = 1; i <= 4; ++i) {
        panes.push_back(std::make_unique<charts::ChartViewController>(session, session, nullptr));
        panes.back()->awakeFromNib();
        panes.back()->resize(360, 260);
        panes.back()->setValue({{"ItemDetails", "GOLD"}, {"ChartIntervalType", i}, {"ChartType", 3}}, "Chart");
    }
    std::vector<std::unique_ptr<charts::ChartController>> windows;
    const QVariantMap settings{{"Period", "20"}, {"LineColor", QColor(255, 165, 0)}, {"FastPeriod", "12"},
                               {"SlowPeriod", "26"}, {"SignalPeriod", "9"}};
    for (int i = 0; i < 2; ++i) {
        windows.push_back(std::make_unique<charts::ChartController>(session, session));
        windows.back()->resize(900, 430);
        windows.back()->setValue("GOLD", "1#3");
        windows.back()->loadSMA(settings);
        windows.back()->loadMACD(settings);
    }
    QImage pane(360, 240, QImage::Format_RGB32), window(900, 430, QImage::Format_RGB32), sub(900, 190, QImage::Format_RGB32);
    auto paint = [](QImage& image, charts::plot::XYGraph* graph) {
        if (!graph) return;
        QPainter painter(&image);
        graph->render(painter, QRectF(image.rect()));
    };
    auto repaintAll = [&] {
        for (auto& p : panes) paint(pane, p->chartController()->graph());
        for (auto& w : windows) {
            paint(window, w->graph());
            paint(sub, w->indicatorView()->graph());
        }
    };
    for (int i = 0; i < 5; ++i) repaintAll();  // fonts and caches warm
    const Figures baseline = ticks([&](int) { repaintAll(); });
    const Figures second = ticks([&](int i) {
        gold->Last = 1850 + (i % 2) * 0.25;
        gold->Bid = gold->Last - 0.25;
        gold->Ask = gold->Last + 0.25;
        for (auto& p : panes) p->chartController()->newChartData();
        for (auto& w : windows) w->newChartData();
        repaintAll();
    });
    std::printf("%-52s mean %7.3f ms  worst %7.3f ms\n", "one second of six charts: live update and repaint", second.mean,
                second.worst);
    std::printf("%-52s mean %7.3f ms  worst %7.3f ms  ratio %5.2f\n", "baseline: the six repaints alone", baseline.mean,
                baseline.worst, baseline.mean > 0 ? second.mean / baseline.mean : 0.0);
    return 0;
}
