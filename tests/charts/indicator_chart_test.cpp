// Indicators on a chart: overlays that keep their own values, the stored bars
// only, the sub-graph that follows the chart and takes one indicator at a
// time, and refused periods that draw nothing.
#include <cmath>

#include "charts/chart_fixture.h"
#include "charts/indicator_settings.h"
#include "charts/indicator_sub_graph.h"
#include "charts/plot/scatter_plot.h"

namespace charts {
namespace {

using testing::minuteAnswer;

const QVariantMap kSettings = testing::indicatorSettings();

class IndicatorChartTest : public testing::ChartFixture {
protected:
    ChartController& loaded() {
        ChartController& ch = chart();
        ch.setValue("GOLD", "1#1");
        answer(minuteAnswer("GOLD^O", 200));
        return ch;
    }
    static const indicators::Series* subValues(ChartController& ch, const char* id) {
        return ch.indicatorView()->data().values(id);
    }
};

TEST_F(IndicatorChartTest, OverlaysKeepTheirOwnValuesAndCombine) {
    ChartController& ch = loaded();
    QVariantMap settings = kSettings;
    settings["LineColor"] = QColor(Qt::gray).toCmyk();  // another colour space stays grey
    ASSERT_FALSE(ch.loadSMA(settings));
    const indicators::Series sma = *ch.overlayData().values("SMA");
    const QImage before = render(ch);
    for (auto load : {&ChartController::loadMACD, &ChartController::loadCCI, &ChartController::loadStochastic})
        ASSERT_FALSE((ch.*load)(kSettings));
    EXPECT_EQ(*ch.overlayData().values("SMA"), sma);
    EXPECT_EQ(render(ch), before);
    const auto* line = dynamic_cast<plot::ScatterPlot*>(ch.graph()->plotWithIdentifier("SMA"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->line.color, QColor(Qt::gray).toRgb());
    EXPECT_EQ(line->line.width, 1.8);

    // Removing one overlay leaves the other; overlays leave the sub-graph's state alone.
    ASSERT_FALSE(ch.loadEMA(kSettings));
    ch.removeEMA();
    EXPECT_EQ(ch.graph()->plotWithIdentifier("EMA"), nullptr);
    EXPECT_NE(ch.graph()->plotWithIdentifier("SMA"), nullptr);
    EXPECT_TRUE(ch.isIndicatorPlot());
}

TEST_F(IndicatorChartTest, OnlyStoredBarsAreRead) {
    ChartController& ch = loaded();
    gold->Last += 3;  // a changed price at the end: DATAPOINTS reaches the newest row
    ch.newChartData();
    ASSERT_EQ(ch.window().DATAPOINTS, ch.window().lastArrIndexPtr + 1);
    for (auto load : {&ChartController::loadSMA, &ChartController::loadEMA, &ChartController::loadBollingerBands,
                      &ChartController::loadMACD})
        ASSERT_FALSE((ch.*load)(kSettings));
    const std::size_t datapoints = static_cast<std::size_t>(ch.window().DATAPOINTS);
    for (const char* id : {"SMA", "EMA", "bbUpperBandPlot"}) EXPECT_EQ(ch.overlayData().values(id)->size(), datapoints) << id;
    for (const char* id : {"MACDBarPlot", "MACDLinePlot", "MACDSignalLinePlot"})
        EXPECT_EQ(subValues(ch, id)->size(), datapoints) << id;
}

TEST_F(IndicatorChartTest, SubGraphFollowsTheChartAndShowsOneIndicator) {
    ChartController& ch = loaded();
    ch.loadAwesomeOscillator();
    EXPECT_EQ(ch.indicatorView()->titleLabel()->text(), "AO");
    ASSERT_FALSE(ch.loadRSI(kSettings));
    IndicatorSubGraph& sub = *ch.indicatorView();
    EXPECT_EQ(sub.titleLabel()->text(), "RSI");
    ASSERT_EQ(sub.graph()->plots().size(), 1u);
    EXPECT_EQ(sub.graph()->plots()[0]->identifier(), "RSILinePlot");
    EXPECT_EQ(sub.graph()->defaultPlotSpace().identifier(), "IndicatorGraph");
    EXPECT_FALSE(sub.graph()->defaultPlotSpace().allowsUserInteraction);

    plot::PlotSpace& main = ch.graph()->defaultPlotSpace();
    const QRectF area = ch.chartView()->plotArea();
    main.scaleBy(2.0, area.center(), area);
    main.pointerDown(area.center(), area);
    main.pointerDragged(area.center() + QPointF(150, 0), area);
    main.pointerUp(area.center() + QPointF(150, 0), area);
    ASSERT_FALSE(ch.window().isChartEnd);
    EXPECT_EQ(sub.graph()->defaultPlotSpace().xRange(), main.xRange());
    const auto hl = findIndicatorHighLow(*subValues(ch, "RSILinePlot"), ch.window());
    EXPECT_EQ(sub.highLow().min, hl.min);
    EXPECT_EQ(sub.highLow().max, hl.max);

    // Removing hides the title; a later scroll leaves the hidden sub-graph alone.
    ch.removeRSI();
    EXPECT_FALSE(ch.isIndicatorPlot());
    EXPECT_TRUE(sub.titleLabel()->isHidden());
    const auto kept = sub.graph()->defaultPlotSpace().xRange();
    ch.chartScrollToEnd();
    EXPECT_EQ(sub.graph()->defaultPlotSpace().xRange(), kept);
}

TEST_F(IndicatorChartTest, PeriodsBelowOneAreRefusedAndDrawNothing) {
    ChartController& ch = loaded();
    for (const char* text : {"0", "", "x"}) {
        QVariantMap settings = kSettings;
        settings["Period"] = text;
        for (auto which : {Indicator::SMA, Indicator::RSI, Indicator::ATR, Indicator::Aroon}) {
            const auto refusal = ch.loadIndicator(which, settings);
            ASSERT_TRUE(refusal) << text;
            EXPECT_EQ(refusal->titleKey, "10980");
            EXPECT_EQ(refusal->messageKey, "21090");
        }
    }
    EXPECT_EQ(ch.graph()->plotWithIdentifier("SMA"), nullptr);
    EXPECT_FALSE(ch.isIndicatorPlot());
    EXPECT_EQ(ch.indicatorView()->graph(), nullptr);
    // The refusal's message is in the language table.
    EXPECT_NE(state::viewOf(*session).text("21090"), "21090");
}

}  // namespace
}  // namespace charts
