// Switching indicators on and off: overlays in the price graph, the others in
// the sub-graph.
#include "charts/chart_controller.h"
#include "charts/indicator_sub_graph.h"
#include "charts/plot/scatter_plot.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace charts {

namespace {

// Any colour as opaque RGB (a grey stays grey); no colour is black.
QColor indicatorColor(const QVariant& value) {
    QColor c = value.canConvert<QColor>() ? value.value<QColor>() : QColor();
    if (!c.isValid()) return Qt::black;
    c = c.toRgb();
    c.setAlphaF(1.0);
    return c;
}

std::vector<QColor> plotColours(const IndicatorDescription& d, const QVariantMap& parameters) {
    std::vector<QColor> colours;
    for (const IndicatorPlot& p : d.plots)
        colours.push_back(p.colourKey ? indicatorColor(parameters.value(kit::identifierText(p.colourKey)))
                                      : QColor(p.colour.red, p.colour.green, p.colour.blue));
    return colours;
}

}  // namespace

ChartController::LoadResult ChartController::loadIndicator(Indicator which, const QVariantMap& parameters) {
    IndicatorParameters read;
    const auto text = [&](const std::string& key) { return parameters.value(kit::identifierText(key)).toString().toStdString(); };
    if (auto refusal = readParameters(which, text, read)) return refusal;
    const IndicatorDescription& d = describe(which);
    auto series = calculate(which, indicators::pricesOf(bars_, window_), read);
    const auto colours = plotColours(d, parameters);
    if (!d.overlay) {
        if (!indicatorView_) return std::nullopt;
        isIndicatorPlot_ = true;
        subOn_.emplace(which, Shown{parameters, read});
        const plot::PlotRange x = graph_ ? graph_->defaultPlotSpace().xRange()
                                         : plot::PlotRange{static_cast<double>(window_.fromX), window_.lengthX};
        const QString title = d.titleKey ? languageText(d.titleKey, d.title) : kit::identifierText(d.title);
        indicatorView_->showIndicator(d, title, std::move(series), colours, x, chartTheme_, myChartTheme_,
                                      dotPosition_);
        // Bars line up with the price graph's above.
        if (graph_) indicatorView_->graph()->plotAreaPadding.setRight(graph_->plotAreaPadding.right());
        return std::nullopt;
    }
    if (!graph_) return std::nullopt;
    overlaysOn_[which] = Shown{parameters, read};
    for (std::size_t i = 0; i < d.plots.size() && i < series.size(); ++i) {
        const QString id = kit::identifierText(d.plots[i].identifier);
        overlayData_.set(id, std::move(series[i]));
        auto line = std::make_unique<plot::ScatterPlot>(id);
        line->line = {colours[i], 1.8};
        line->dataSource = &overlayData_;
        graph_->addPlot(std::move(line));
    }
    chartView_->update();
    return std::nullopt;
}

void ChartController::refreshIndicators() {
    if (overlaysOn_.empty() && !(isIndicatorPlot_ && subOn_)) return;
    const auto prices = indicators::pricesOf(bars_, window_);
    for (const auto& [which, shown] : overlaysOn_) {
        auto series = calculate(which, prices, shown.parameters);
        const IndicatorDescription& d = describe(which);
        for (std::size_t i = 0; i < d.plots.size() && i < series.size(); ++i)
            overlayData_.set(kit::identifierText(d.plots[i].identifier), std::move(series[i]));
    }
    if (isIndicatorPlot_ && subOn_ && indicatorView_) {
        const plot::PlotRange x = graph_ ? graph_->defaultPlotSpace().xRange()
                                         : plot::PlotRange{static_cast<double>(window_.fromX), window_.lengthX};
        indicatorView_->replaceSeries(describe(subOn_->first), calculate(subOn_->first, prices, subOn_->second.parameters), x);
    }
}

void ChartController::removeIndicator(Indicator which) {
    const IndicatorDescription& d = describe(which);
    if (!d.overlay) {
        isIndicatorPlot_ = false;
        subOn_.reset();
        if (indicatorView_) indicatorView_->hideTitle();
        return;
    }
    for (const IndicatorPlot& p : d.plots) {
        const QString id = kit::identifierText(p.identifier);
        if (graph_) graph_->removePlot(id);
        overlayData_.erase(id);
    }
    overlaysOn_.erase(which);
    chartView_->update();
}

}  // namespace charts
