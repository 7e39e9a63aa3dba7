// The plot space: every range change goes through its delegate, vetoes hold,
// and with interaction off the pointer still reaches the delegate. A line
// plot looks like the round-joined path through its points.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainterPath>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "charts/plot/plot_space.h"
#include "charts/plot/scatter_plot.h"
#include "charts/plot/xy_graph.h"

namespace charts::plot {
namespace {

struct Recorder : PlotSpaceDelegate {
    PlotRange willChangePlotRange(PlotSpace&, PlotRange asked, Coordinate c) override {
        calls.push_back(c == Coordinate::X ? "will x" : "will y");
        if (asked.location < 0) asked.location = 0;
        return asked;
    }
    void didChangePlotRange(PlotSpace&, Coordinate c) override { calls.push_back(c == Coordinate::X ? "did x" : "did y"); }
    bool shouldDisplace(PlotSpace&, QPointF) override { return displace; }
    bool pointerDown(PlotSpace&, QPointF p) override {
        calls.push_back("down " + std::to_string(static_cast<int>(p.x())));
        return true;
    }
    std::vector<std::string> calls;
    bool displace = true;
};

TEST(PlotSpace, RangesPointerAndVetoes) {
    PlotSpace space("Graph");
    Recorder r;
    space.delegate = &r;
    space.scrollsY = false;
    const QRectF area(0, 0, 100, 100);
    space.setXRange({-5, 10});  // the owner's own change is clamped too
    space.setYRange({0, 10});
    EXPECT_EQ(space.xRange(), (PlotRange{0, 10}));
    EXPECT_EQ(r.calls, (std::vector<std::string>{"will x", "did x", "will y", "did y"}));
    EXPECT_EQ(space.toPlot(space.toView(3, 7, area), area), QPointF(3, 7));

    // A drag of 50 px to the left shows 5 units further on.
    space.pointerDown({60, 50}, area);
    space.pointerDragged({10, 50}, area);
    EXPECT_EQ(space.xRange(), (PlotRange{5, 10}));
    r.displace = false;
    space.pointerDragged({0, 50}, area);
    EXPECT_EQ(space.xRange(), (PlotRange{5, 10}));
    space.pointerUp({0, 50}, area);
    space.scaleBy(2.0, {50, 50}, area);  // about x = 10
    EXPECT_EQ(space.xRange(), (PlotRange{7.5, 5}));

    // Interaction off: no scroll or zoom, the pointer still reaches the delegate.
    space.allowsUserInteraction = false;
    r.calls.clear();
    r.displace = true;
    space.pointerDown({40, 50}, area);
    space.pointerDragged({0, 50}, area);
    space.scaleBy(2.0, {50, 50}, area);
    EXPECT_EQ(space.xRange(), (PlotRange{7.5, 5}));
    EXPECT_EQ(r.calls, (std::vector<std::string>{"down 9"}));
}

struct Points : PlotDataSource {
    std::vector<std::optional<double>> ys;
    int numberOfRecords(const Plot&) override { return static_cast<int>(ys.size()); }
    std::optional<double> number(const Plot&, Field f, int r) override {
        return f == Field::X ? std::optional<double>(r) : ys[r];
    }
};

// The largest difference of one colour channel between two images.
int largestDifference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

TEST(ScatterPlot, LooksLikeTheRoundJoinedPath) {
    const std::optional<double> gap;
    const std::vector<std::vector<std::optional<double>>> cases = {
        {0, 10, 0, 10, 0, 10, 0, 10, 0, 10, 0},  // full-height zigzag, sharp joins
        {2, 3, 9, 1, 1, 8, 4, 6, 5, 0.5, 7},
        {1, 9, gap, 5, gap, 2, 8, 3, gap, gap, 6},  // a lone point draws nothing
    };
    const QRectF area(0, 0, 200, 120);
    for (const auto& ys : cases) {
        PlotSpace space("Graph");
        space.setXRange({0, 10});
        space.setYRange({0, 10});
        Points points;
        points.ys = ys;
        ScatterPlot plot("Line");
        plot.dataSource = &points;
        plot.plotSpace = &space;
        plot.line = {QColor(30, 90, 200), 1.8};
        QImage drawn(area.size().toSize(), QImage::Format_RGB32), expected = drawn;
        drawn.fill(Qt::white);
        expected.fill(Qt::white);
        {
            QPainter painter(&drawn);
            plot.draw(painter, area);
        }
        QPainterPath path;
        bool open = false;
        for (std::size_t r = 0; r < ys.size(); ++r) {
            if (!ys[r]) {
                open = false;
                continue;
            }
            const QPointF p = space.toView(static_cast<double>(r), *ys[r], area);
            open ? path.lineTo(p) : path.moveTo(p);
            open = true;
        }
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(plot.line.pen());
        painter.drawPath(path);
        painter.end();
        // Only the edge pixels where two pieces overlap blend a little darker.
        EXPECT_LE(largestDifference(drawn, expected), 64) << "case " << &ys - cases.data();
    }
}

}  // namespace
// Removing plots by the identifier a plot in the graph holds (as a release does).
TEST(XYGraph, RemovesPlotsByTheirOwnIdentifier) {
    XYGraph graph(GraphTheme::PlainBlack);
    for (const char* id : {"Bid", "Ask", "Bid"}) graph.addPlot(std::make_unique<ScatterPlot>(id));
    ASSERT_EQ(graph.plots().size(), 2u);
    while (!graph.plots().empty()) graph.removePlot(graph.plots().front()->identifier());
    EXPECT_TRUE(graph.plots().empty());
}

// Price boxes in the label column hide the y labels under them, never others.
TEST(XYGraph, YLabelsGiveWayToTheBoxesOverThem) {
    const struct {
        double price;
        const char* text;
        double displacementX;
        std::vector<QString> hidden;
    } cases[] = {
        {50, "50.00", 30, {"50"}},
        {100, "100.00", 30, {"100"}},  // held level with the plot area's top
        {55, "55.00", 30, {}},           // between two labels
        {50, "", 30, {}},                // no text, no box
        {50, "50.00", -200, {}},         // inside the plot area
    };
    for (const auto& c : cases) {
        XYGraph graph(GraphTheme::PlainBlack);
        graph.plotAreaPadding = QMarginsF(0, 0, 60, 20);
        graph.defaultPlotSpace().setXRange({0, 10});
        graph.defaultPlotSpace().setYRange({0, 100});
        graph.yAxis.majorInterval = 10;
        auto box = std::make_unique<PlotSpaceAnnotation>(&graph.defaultPlotSpace(), 10, c.price);
        box->text = c.text;
        box->displacementX = c.displacementX;
        graph.addAnnotation(std::move(box));
        const QRectF bounds(0, 0, 400, 600);
        std::vector<QString> shown;
        for (const auto& [rect, label] : graph.yLabels(bounds, graph.plotArea(bounds))) shown.push_back(label);
        std::vector<QString> all;
        for (const auto& [v, label] : graph.yAxis.ticks(graph.defaultPlotSpace().yRange())) all.push_back(label);
        std::vector<QString> hidden;
        for (const QString& l : all)
            if (std::find(shown.begin(), shown.end(), l) == shown.end()) hidden.push_back(l);
        EXPECT_EQ(hidden, c.hidden) << c.price << " " << c.text;
    }
}

// At every pane height and font size, the price labels stand a label's
// height apart (every k-th of the axis's ticks) and the time labels end inside
// the graph.
TEST(XYGraph, LabelsNeverMeetAnotherOrTheGraphsEdge) {
    const struct {
        double height;
        double points;
    } cases[] = {{90, 10}, {120, 12}, {160, 12}, {160, 20}, {260, 16}, {600, 20}};
    for (const auto& c : cases) {
        XYGraph graph(GraphTheme::PlainBlack);
        graph.plotAreaPadding = QMarginsF(0, 0, 80, 40);
        graph.defaultPlotSpace().setXRange({0, 10});
        graph.defaultPlotSpace().setYRange({2030, 16});
        graph.yAxis.majorInterval = 2;  // the span's eighth
        graph.yAxis.origin = 2030;
        graph.yAxis.labelFontSize = graph.xAxis.labelFontSize = c.points;
        for (int x = 1; x <= 10; ++x) graph.xAxis.explicitTicks.emplace_back(x, "09 Dec 18:25");
        const QRectF bounds(0, 0, 300, c.height);
        const auto labels = graph.yLabels(bounds, graph.plotArea(bounds));
        EXPECT_GE(labels.size(), 2u) << c.height << " at " << c.points;
        for (std::size_t i = 1; i < labels.size(); ++i)
            EXPECT_FALSE(labels[i].first.intersects(labels[i - 1].first)) << c.height << " at " << c.points;
        for (const auto& [box, label] : graph.xLabels(graph.plotArea(bounds)))
            EXPECT_LE(box.right(), bounds.right()) << c.height << " at " << c.points;
    }
}

}  // namespace charts::plot
