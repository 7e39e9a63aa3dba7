#include "charts/indicator_sub_graph.h"

#include <QVBoxLayout>

#include "charts/plot/bar_plot.h"
#include "charts/plot/scatter_plot.h"
#include "kit/plain_text.h"
#include "kit/own_text.h"

namespace charts {

IndicatorSubGraph::IndicatorSubGraph(const ChartWindow& window, QWidget* parent)
    : QWidget(parent), window_(window), data_(window) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new plot::GraphHostingView(this);
    view_->setMinimumSize(240, 80);
    layout->addWidget(view_);
    title_ = kit::plainLabel(view_);
    title_->move(6, 4);
    title_->hide();
}

IndicatorSubGraph::~IndicatorSubGraph() { view_->setHostedGraph(nullptr); }

void IndicatorSubGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    title_->raise();
}

void IndicatorSubGraph::showIndicator(const IndicatorDescription& indicator, const QString& title,
                                      std::vector<indicators::Series> series,
                                      const std::vector<QColor>& colours, plot::PlotRange x, plot::GraphTheme theme,
                                      int axisTheme, int decimals) {
    keepRangeValues(indicator, series);
    createIndicatorGraph(theme);
    const QColor text = axisTheme == 1 ? QColor(Qt::black) : QColor::fromRgbF(2.0 / 3, 2.0 / 3, 2.0 / 3);
    title_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(text.name()));
    title_->setText(title);
    title_->adjustSize();
    title_->show();
    title_->raise();
    createIndicatorPlotSpace(x);
    setupAxisforIndicatorPlot(axisTheme, decimals);
    data_.clear();
    for (std::size_t i = 0; i < indicator.plots.size() && i < series.size(); ++i) {
        const IndicatorPlot& p = indicator.plots[i];
        const QString id = kit::identifierText(p.identifier);
        const QColor colour = i < colours.size() ? colours[i] : QColor(Qt::black);
        data_.set(id, std::move(series[i]), p.fill == IndicatorPlot::Fill::Direction);
        if (p.kind == IndicatorPlot::Kind::Bars) {
            auto bars = std::make_unique<plot::BarPlot>(id);
            bars->baseValue = 0;
            bars->barOffset = -0.25;
            bars->barWidth = 0.3;
            bars->fill = colour;
            bars->outline = {Qt::transparent, 0};
            bars->dataSource = &data_;
            graph_->addPlot(std::move(bars));
        } else {
            auto line = std::make_unique<plot::ScatterPlot>(id);
            line->line = {colour, 1.8, p.dashed ? Qt::CustomDashLine : Qt::SolidLine};
            line->dataSource = &data_;
            graph_->addPlot(std::move(line));
        }
    }
    view_->update();
}

void IndicatorSubGraph::createIndicatorGraph(plot::GraphTheme theme) {
    // The new graph replaces the previous one and with it the previous indicator's plots.
    auto graph = std::make_unique<plot::XYGraph>(theme, QStringLiteral("IndicatorGraph"));
    graph->padding = QMarginsF(0, 0, 0, 0);
    graph->plotAreaPadding = QMarginsF(0, 0, 60, 20);  // left, top, right, bottom
    graph->border = {Qt::gray, 0.6};
    view_->setHostedGraph(graph.get());
    graph_ = std::move(graph);
}

void IndicatorSubGraph::createIndicatorPlotSpace(plot::PlotRange x) {
    plot::PlotSpace& space = graph_->defaultPlotSpace();
    space.allowsUserInteraction = false;
    space.scrollsY = false;
    space.setXRange(x);
    highLow_ = findPaneHighLow(range_, window_);
    const AxisRange y = indicatorYRange(highLow_);
    space.setYRange({y.location, y.length});
}

void IndicatorSubGraph::setupAxisforIndicatorPlot(int axisTheme, int decimals) {
    const QColor text = axisTheme == 1   ? QColor(Qt::black)
                        : axisTheme == 0 ? QColor::fromRgbF(2.0 / 3, 2.0 / 3, 2.0 / 3)
                                         : QColor(Qt::transparent);
    const plot::LineStyle grid{QColor(50, 50, 50), 0.8, Qt::CustomDashLine};
    graph_->xAxis.axisLine = {Qt::gray, 1.0};
    graph_->xAxis.tickLine = {Qt::gray, 1.0};
    graph_->xAxis.gridLine = grid;
    graph_->xAxis.labelColor = text;
    graph_->yAxis.axisLine = {text, 1.0};
    graph_->yAxis.tickLine = {text, 1.0};
    graph_->yAxis.gridLine = grid;
    graph_->yAxis.labelColor = text;
    graph_->yAxis.majorTickLength = 3.0;
    graph_->yAxis.maxDecimals = decimals;
    graph_->yAxis.majorInterval = indicatorMajorInterval(highLow_);
    graph_->yAxis.origin = highLow_.min;
    setXAxis();
}

void IndicatorSubGraph::setXAxis() {
    std::vector<std::pair<double, QString>> ticks;
    for (int bar : indicatorTickBars(window_)) ticks.emplace_back(bar, QString());
    graph_->xAxis.explicitTicks = std::move(ticks);
}

void IndicatorSubGraph::replaceSeries(const IndicatorDescription& indicator, std::vector<indicators::Series> series,
                                      plot::PlotRange x) {
    if (!graph_) return;
    keepRangeValues(indicator, series);
    for (std::size_t i = 0; i < indicator.plots.size() && i < series.size(); ++i) {
        const IndicatorPlot& p = indicator.plots[i];
        data_.set(kit::identifierText(p.identifier), std::move(series[i]), p.fill == IndicatorPlot::Fill::Direction);
    }
    follow(x);
}

void IndicatorSubGraph::follow(plot::PlotRange x) {
    if (!graph_) return;
    graph_->defaultPlotSpace().setXRange(x);
    highLow_ = findPaneHighLow(range_, window_);
    const AxisRange y = indicatorYRange(highLow_);
    graph_->defaultPlotSpace().setYRange({y.location, y.length});
    graph_->yAxis.majorInterval = indicatorMajorInterval(highLow_);
    graph_->yAxis.origin = highLow_.min;
    setXAxis();
    view_->update();
}

void IndicatorSubGraph::keepRangeValues(const IndicatorDescription& indicator,
                                        const std::vector<indicators::Series>& series) {
    range_.clear();
    for (std::size_t i = 0; i < indicator.plots.size() && i < series.size(); ++i)
        range_.push_back({series[i], indicator.plots[i].kind == IndicatorPlot::Kind::Bars});
}

void IndicatorSubGraph::hideTitle() { title_->hide(); }

}  // namespace charts
