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
#include "silent_ui.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBars = 10000;
constexpr int kRuns = 20;

std::string answer(const std::string& key, int n) {
    std::string d, t, c, h, l, o;
    double price = 1800;
    for (int i = 0; i < n; ++i) {
        const char* sep = i ? "," : "";
        const double open = price;
        price += (i * 7919 % 13 - 6) * 0.25;
        char tt[16];
        std::snprintf(tt, sizeof tt, "%02d:%02d:00", i / 60 % 24, i % 60);
        d.append(sep).append("03/09/26");
        t.append(sep).append(tt);
        c.append(sep).append(std::to_string(price));
        h.append(sep).append(std::to_string(std::max(open, price) + 0.75));
        l.append(sep).append(std::to_string(std::min(open, price) - 0.5));
        o.append(sep).append(std::to_string(open));
    }
    return "<1041~" + key + "~" + std::to_string(n) + ">" + d + "#" + t + "#" + c + "#" + h + "#" + l + "#" + o + "<END>";
}

template <typename F>
double bestMs(F&& f) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
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
    state::SessionParts parts;
    parts.outgoing = [](const protocol::RequestMessage&) { return true; };
    auto session = state::BusinessBase::create(ui, ui, std::move(parts));
    auto gold = std::make_shared<model::ItemDetails>();
    gold->Code = "GOLD";
    gold->DecimalPlaces = 2;
    gold->UpdateTime = "03/09/2026 10:00:00";
    state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set("GOLD", gold);

    const std::string big = answer("GOLD^T", kBars + 1);
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
    state::SessionTestAccess::dataServiceAnswers(*session).storeChartData("GOLD^O", answer("GOLD^O", 201));
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
