// The plot space: every range change goes through its delegate, vetoes hold,
// and with interaction off the pointer still reaches the delegate.
#include <gtest/gtest.h>

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

}  // namespace
// Removing plots by the identifier a plot in the graph holds (as a release does).
TEST(XYGraph, RemovesPlotsByTheirOwnIdentifier) {
    XYGraph graph(GraphTheme::PlainBlack);
    for (const char* id : {"Bid", "Ask", "Bid"}) graph.addPlot(std::make_unique<ScatterPlot>(id));
    ASSERT_EQ(graph.plots().size(), 2u);
    while (!graph.plots().empty()) graph.removePlot(graph.plots().front()->identifier());
    EXPECT_TRUE(graph.plots().empty());
}

}  // namespace charts::plot
