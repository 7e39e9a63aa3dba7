#pragma once
// The graph under the price graph that shows one indicator at a time: plot
// space "IndicatorGraph" without interaction, the main graph's x range, a y
// range of its own from the visible values, its axes and the indicator's
// title. The chart keeps it in step with its scrolling and zooming.
#include <QColor>
#include <QLabel>
#include <QWidget>
#include <memory>
#include <vector>

#include "charts/core/indicator_range.h"
#include "charts/core/indicator_table.h"
#include "charts/indicator_plot_data.h"
#include "charts/plot/graph_hosting_view.h"
#include "charts/plot/xy_graph.h"

namespace charts {

class IndicatorSubGraph : public QWidget {
    Q_OBJECT
public:
    // `window` is the main chart's, which outlives this graph.
    explicit IndicatorSubGraph(const ChartWindow& window, QWidget* parent = nullptr);
    ~IndicatorSubGraph() override;

    // A new graph in `theme` over the main graph's x range `x`, with the
    // indicator's plots (one colour per plot) and title; `axisTheme` 1 draws
    // the axes black, 0 light grey.
    void showIndicator(const IndicatorDescription& indicator, const QString& title,
                       std::vector<indicators::Series> series, const std::vector<QColor>& colours,
                       plot::PlotRange x, plot::GraphTheme theme, int axisTheme, int decimals);
    // New values of the indicator shown (a live bar moved): its plots stay, the ranges follow `x` and the values.
    void replaceSeries(const IndicatorDescription& indicator, std::vector<indicators::Series> series, plot::PlotRange x);
    // The main graph's x range, then the y range and the ticks of the values now visible.
    void follow(plot::PlotRange x);
    // The title goes; the plots stay in the hidden graph until the next indicator.
    void hideTitle();

    plot::XYGraph* graph() const { return graph_.get(); }
    plot::GraphHostingView* view() const { return view_; }
    QLabel* titleLabel() const { return title_; }
    IndicatorHighLow highLow() const { return highLow_; }
    const IndicatorPlotData& data() const { return data_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createIndicatorGraph(plot::GraphTheme theme);
    void createIndicatorPlotSpace(plot::PlotRange x);
    void setupAxisforIndicatorPlot(int axisTheme, int decimals);
    void setXAxis();
    void keepRangeValues(const IndicatorDescription& indicator, const std::vector<indicators::Series>& series);

    const ChartWindow& window_;
    IndicatorPlotData data_;
    std::vector<PanePlotValues> range_;  // the values that set the y range: every plot's
    IndicatorHighLow highLow_;
    std::unique_ptr<plot::XYGraph> graph_;
    plot::GraphHostingView* view_ = nullptr;
    QLabel* title_ = nullptr;
};

}  // namespace charts
