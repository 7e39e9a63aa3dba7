// Building the graph, the plot-space delegate, the data source, the crosshair
// and the price lines.
#include <QFontMetricsF>
#include <cmath>
#include <tuple>
#include <utility>

#include "charts/chart_controller.h"
#include "charts/core/chart_labels.h"
#include "charts/indicator_sub_graph.h"
#include "charts/plot/scatter_plot.h"
#include "charts/plot/trading_range_plot.h"
#include "state/session_view.h"
#include "kit/shown_text.h"

namespace charts {

namespace {
const QString kScatter = QStringLiteral("Scatter Plot");
const QString kOHLC = QStringLiteral("OHLC Plot");
const QString kCandlestick = QStringLiteral("Candlestick Plot");
const QString kBidPriceLine = QStringLiteral("Bid Price Line Plot");
const QString kAskPriceLine = QStringLiteral("Ask Price Line Plot");
const QString kSelection = QStringLiteral("Selection Plot");
const QString kBidLine = QStringLiteral("Bid Line Plot");
const QString kAskLine = QStringLiteral("Ask Line Plot");

constexpr double kFar = 50'000'000.0;
const QColor kBidLineColor(208, 51, 43);
const QColor kAskLineColor(40, 107, 158);
const QColor kLightGrey = QColor::fromRgbF(2.0 / 3, 2.0 / 3, 2.0 / 3);

// Green, red and blue that read on the theme's background.
QColor green(int theme) { return theme == 1 ? QColor::fromRgbF(0, 0.6, 0) : QColor(0, 255, 0); }
QColor red(int) { return QColor(255, 0, 0); }
QColor blue(int theme) { return theme == 1 ? QColor(0, 0, 255) : QColor(64, 140, 255); }

// 1 when the graph was made white: its axes and fills read on the background it is drawn on.
int drawnTheme(const plot::XYGraph& graph) { return graph.theme() == plot::GraphTheme::PlainWhite ? 1 : 0; }
}  // namespace

void ChartController::releaseChartObjects() {
    stopViewAnimation();
    if (!graph_) return;
    while (!graph_->plots().empty()) graph_->removePlot(graph_->plots().front()->identifier());
    overlayData_.clear();
    overlaysOn_.clear();
    std::vector<const plot::PlotSpaceAnnotation*> others;
    for (const auto& a : graph_->annotations())
        if (a.get() != bidTextAnnotation_ && a.get() != askTextAnnotation_) others.push_back(a.get());
    for (const auto* a : others) graph_->removeAnnotation(a);
    graph_->legend.reset();
    chartView_->update();
}

void ChartController::ConstructGraph() {
    mainGraphTitleLabel_->setText(title());
    mainGraphTitleLabel_->show();
    releaseChartObjects();
    if (!graph_) CreateGraph();
    window_.findHighLow(bars_);
    CreatePlotSpace();
    CreateAxis();
    SetAxis();
    if (window_.type == kBidAskChart) resetCrosshairToggle();
    graph_->defaultPlotSpace().allowsUserInteraction = interactionAllowed();
    addMainPlot();
    constructPriceLinePlot();
    startChartUpdateTimer();
    chartView_->update();
}

void ChartController::CreateGraph() {
    graph_ = std::make_unique<plot::XYGraph>(chartTheme_);
    graph_->padding = QMarginsF(0, 0, 0, 0);
    graph_->plotAreaPadding = QMarginsF(0, 0, 60, 20);  // left, top, right, bottom
    graph_->border = {Qt::gray, 0.6};
    chartView_->setHostedGraph(graph_.get());
}

void ChartController::CreatePlotSpace() {
    plot::PlotSpace& space = graph_->defaultPlotSpace();
    space.delegate = this;
    space.scrollsY = false;
    space.setXRange({static_cast<double>(window_.fromX), window_.lengthX});
    const AxisRange y = window_.yRange();
    space.setYRange({y.location, y.length});
}

void ChartController::CreateAxis() {
    const QColor text = drawnTheme(*graph_) == 1 ? QColor(Qt::black) : kLightGrey;
    for (plot::XYAxis* axis : {&graph_->xAxis, &graph_->yAxis}) {
        axis->axisLine = {text, 1.0};
        axis->tickLine = {text, 1.0};
        axis->labelColor = text;
        axis->majorTickLength = 3.0;
        axis->gridLines = true;
        axis->gridLine = {QColor::fromRgbF(0.196, 0.196, 0.196), 0.8, Qt::CustomDashLine};
    }
    graph_->yAxis.majorInterval = window_.span() / 6.0;
    graph_->yAxis.origin = window_.MinY;
    graph_->yAxis.maxDecimals = dotPosition_;
    graph_->yAxis.fixedDecimals = true;
    fitAxisFont();
}

void ChartController::fitAxisFont() {
    for (plot::XYAxis* axis : {&graph_->xAxis, &graph_->yAxis}) axis->labelFontSize = axisPoints_;
    for (plot::PlotSpaceAnnotation* a : {bidTextAnnotation_, askTextAnnotation_})
        if (a) a->fontSize = axisPoints_;
    // Room on the right for the longest price label (60 at least).
    QFont font;
    font.setPointSizeF(axisPoints_);
    const QString widest = kit::shownText(priceText(window_.MaxY + window_.span(), dotPosition_));
    const double needed = QFontMetricsF(font).horizontalAdvance(widest) + 14;
    graph_->plotAreaPadding.setRight(std::max(60.0, std::ceil(needed)));
    fitTimeLabelRoom();
}

void ChartController::fitTimeLabelRoom() {
    // Below for the x labels under their ticks (20 at least), as tall as the
    // tallest line they lay out ("09 12月 18:25" takes a taller font's line).
    QFont font;
    font.setPointSizeF(axisPoints_);
    const QFontMetricsF metrics(font, chartView_);
    double line = metrics.height();
    for (const auto& [x, label] : graph_->xAxis.explicitTicks)
        line = std::max(line, metrics.boundingRect(QRectF(0, 0, 1e4, 1e4), Qt::AlignLeft, label).height());
    const double below = line + graph_->xAxis.majorTickLength + graph_->xAxis.labelOffset + 1;
    graph_->plotAreaPadding.setBottom(std::max(20.0, std::ceil(below)));
}

int ChartController::leastGraphWidth() const {
    QFont font;
    font.setPointSizeF(axisPoints_);
    const QFontMetricsF metrics(font, chartView_);
    // A time label, which may reach under the price labels, and a little more.
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(QStringLiteral("09 Dec. 18:25")) + 30));
}

int ChartController::leastGraphHeight() const {
    QFont font;
    font.setPointSizeF(axisPoints_);
    // The time labels' room and four price labels.
    return static_cast<int>(std::ceil(5 * QFontMetricsF(font, chartView_).height() * 1.25 + 6));
}

void ChartController::setAxisFontSize(double points) {
    if (!(points > 0) || points == axisPoints_) return;
    axisPoints_ = points;
    if (!graph_) return;
    fitAxisFont();
    setPriceTextAnnotationAnchorPlotPoint();
    chartView_->update();
}

void ChartController::SetAxis() {
    if (!graph_) return;
    std::vector<std::pair<double, QString>> ticks;
    for (int r : window_.labelRows(window_.fromX - 1, static_cast<int>(window_.fromX + window_.lengthX)))
        ticks.emplace_back(r + 1, kit::shownText(DateandTimeFormatting(
                                      ChartBars::text(bars_.date, r), ChartBars::text(bars_.time, r), chartInterval_, words_)));
    graph_->xAxis.explicitTicks = std::move(ticks);
    fitTimeLabelRoom();
}

void ChartController::addMainPlot() {
    const int theme = drawnTheme(*graph_);
    auto make = [&](auto plot) {
        plot->dataSource = this;
        graph_->addPlot(std::move(plot));
    };
    switch (window_.type) {
        case kOHLCChart:
        case kCandlestickChart: {
            const bool candle = window_.type == kCandlestickChart;
            auto p = std::make_unique<plot::TradingRangePlot>(candle ? kCandlestick : kOHLC);
            p->style = candle ? plot::TradingRangePlot::Style::Candlestick : plot::TradingRangePlot::Style::OHLC;
            p->line = {green(theme), 1.5};
            p->stickLength = 6.0;
            p->barWidth = 7.0;
            p->outline = {kLightGrey, 1.5};
            p->increaseLine = {green(theme), 1.0};
            p->increaseFill = theme == 1 ? QColor(Qt::white) : QColor(Qt::black);
            const QColor fall = theme == 1 ? red(theme) : kLightGrey;
            p->decreaseLine = {fall, 1.0};
            p->decreaseFill = fall;
            make(std::move(p));
            break;
        }
        case kBidAskChart: {
            auto bid = std::make_unique<plot::ScatterPlot>(kBidPriceLine);
            bid->line = {red(theme), 1.5};
            bid->title = languageText("0192", "Bid");
            make(std::move(bid));
            auto ask = std::make_unique<plot::ScatterPlot>(kAskPriceLine);
            ask->line = {blue(theme), 1.5};
            ask->title = languageText("0193", "Ask");
            make(std::move(ask));
            graph_->legend = plot::Legend{};
            // Readable on either background.
            graph_->legend->textColor = theme == 1 ? QColor(64, 64, 64) : QColor(200, 200, 200);
            // On the graph's own background, so that no grid line runs through it.
            graph_->legend->fill = theme == 1 ? QColor(Qt::white) : QColor(Qt::black);
            break;
        }
        default: {
            auto line = std::make_unique<plot::ScatterPlot>(kScatter);
            line->line = {green(theme), 1.5};
            make(std::move(line));
        }
    }
}

QString ChartController::languageText(const std::string& key, const char* missing) const {
    // A key the language table lacks comes back as itself: the word shows instead.
    const auto session = session_.lock();
    const std::string text = session ? session->text(key) : key;
    return kit::shownText(text == key || text.empty() ? missing : text);
}

void ChartController::constructPriceLinePlot() {
    for (const QString& id : {kBidLine, kAskLine}) {
        auto line = std::make_unique<plot::ScatterPlot>(id);
        line->line = {id == kBidLine ? kBidLineColor : kAskLineColor, 1.2};
        line->drawsAllRecords = true;
        line->antialiased = false;
        line->dataSource = this;
        graph_->addPlot(std::move(line));
    }
    plot::PlotSpace* space = &graph_->defaultPlotSpace();
    for (auto** a : {&bidTextAnnotation_, &askTextAnnotation_}) {
        if (*a) continue;
        auto annotation = std::make_unique<plot::PlotSpaceAnnotation>(space, 0, 0);
        annotation->fill = a == &bidTextAnnotation_ ? kBidLineColor : kAskLineColor;
        annotation->textColor = Qt::white;
        annotation->fontSize = axisPoints_;
        annotation->cornerRadius = 2.0;
        annotation->displacementX = 30.0;
        *a = &graph_->addAnnotation(std::move(annotation));
    }
    setPriceTextAnnotationAnchorPlotPoint();
}

bool ChartController::setPriceTextAnnotationAnchorPlotPoint() {
    if (!bidTextAnnotation_ || !askTextAnnotation_) return false;
    auto state = [](const plot::PlotSpaceAnnotation& a) { return std::tuple(a.anchorX, a.anchorY, a.displacementY, a.text); };
    const auto before = std::pair(state(*bidTextAnnotation_), state(*askTextAnnotation_));
    auto session = session_.lock();
    const auto item = session ? session->instrument(symbolName_) : nullptr;
    const double x = std::floor(window_.fromX + window_.lengthX);
    const struct {
        plot::PlotSpaceAnnotation* label;
        const std::vector<double>& row;
        std::optional<double> price;
    } labels[] = {
        {bidTextAnnotation_, bars_.biddata, item ? std::optional(item->Bid) : std::nullopt},
        {askTextAnnotation_, bars_.askdata, item ? std::optional(item->Ask) : std::nullopt},
    };
    for (const auto& l : labels) {
        const auto p = ChartBars::value(l.row, window_.lastArrIndexPtr);
        l.label->anchorX = x;
        l.label->anchorY = p.value_or(0);
        l.label->displacementY = 0;
        // No stored row, no label.
        l.label->text = p && l.price ? kit::shownText(priceText(*l.price, dotPosition_)) : QString();
    }
    // Labels closer than their height part: the ask above, the bid below.
    const plot::PlotRange y = graph_->defaultPlotSpace().yRange();
    const double pixelsPerUnit = y.length > 0 ? chartView_->plotArea().height() / y.length : 0;
    QFont font;
    font.setPointSizeF(axisPoints_);
    const double height = QFontMetricsF(font).height() + 3;
    const double apart = (askTextAnnotation_->anchorY - bidTextAnnotation_->anchorY) * pixelsPerUnit;
    if (std::abs(apart) < height) {
        const double push = (height - std::abs(apart)) / 2;
        const double up = apart >= 0 ? push : -push;
        askTextAnnotation_->displacementY = up;
        bidTextAnnotation_->displacementY = -up;
    }
    return before != std::pair(state(*bidTextAnnotation_), state(*askTextAnnotation_));
}

void ChartController::showWindowRanges() {
    if (!graph_) return;
    // Through the delegate: it fits the high and low, the y range and the labels.
    graph_->defaultPlotSpace().setXRange({static_cast<double>(window_.fromX), window_.lengthX});
}

// ---------------------------------------------------------------- delegate

plot::PlotRange ChartController::willChangePlotRange(plot::PlotSpace&, plot::PlotRange asked, plot::Coordinate c) {
    if (c == plot::Coordinate::Y) {
        const AxisRange r = ChartWindow::clampStart({asked.location, asked.length});
        return {r.location, r.length};
    }
    const AxisRange r = window_.willChangeX({asked.location, asked.length});
    return {r.location, window_.lengthX};
}

void ChartController::didChangePlotRange(plot::PlotSpace& space, plot::Coordinate c) {
    if (c == plot::Coordinate::Y) {
        graph_->yAxis.origin = window_.MinY;
        return;
    }
    window_.findHighLow(bars_);
    const AxisRange y = window_.yRange();
    space.setYRange({y.location, y.length});
    graph_->yAxis.majorInterval = window_.span() * 0.125;
    SetAxis();
    setPriceTextAnnotationAnchorPlotPoint();
    if (isIndicatorPlot_ && indicatorView_) indicatorView_->follow(space.xRange());
}

bool ChartController::shouldDisplace(plot::PlotSpace&, QPointF) { return window_.canDisplace() && interactionAllowed(); }

bool ChartController::shouldScale(plot::PlotSpace&, double, QPointF) { return interactionAllowed(); }

bool ChartController::pointerDown(plot::PlotSpace&, QPointF point) {
    if (crosshairToggle_ && window_.type != kBidAskChart) selectAt(point.x());
    return true;
}

bool ChartController::pointerDragged(plot::PlotSpace&, QPointF point) {
    if (crosshairToggle_ && selectedIndex_ >= 0) {
        const auto row = window_.crosshairRow(point.x(), bars_);
        if (row && *row != selectedIndex_) selectAt(point.x());
    }
    return true;
}

bool ChartController::pointerUp(plot::PlotSpace&, QPointF) {
    stopViewAnimation();
    return true;
}

bool ChartController::pointerCancelled(plot::PlotSpace&) {
    stopViewAnimation();
    return true;
}

void ChartController::crosshairToggleSelection() {
    crosshairToggle_ = !crosshairToggle_;
    if (graph_) graph_->defaultPlotSpace().allowsUserInteraction = interactionAllowed();
}

void ChartController::resetCrosshairToggle() {
    crosshairToggle_ = false;
    if (graph_) graph_->defaultPlotSpace().allowsUserInteraction = interactionAllowed();
}

void ChartController::selectAt(double x) {
    const auto row = window_.crosshairRow(x, bars_);
    if (!row || !graph_) return;
    selectedIndex_ = *row;
    auto selection = std::make_unique<plot::ScatterPlot>(kSelection);
    const QColor color = QColor(40, 107, 158);
    selection->line = {color, 2.0};
    selection->symbolSize = 5.0;
    selection->symbolFill = color;
    selection->drawsAllRecords = true;
    selection->antialiased = false;
    selection->dataSource = this;
    graph_->addPlot(std::move(selection));
    const QString box = kit::shownText(crosshairText(bars_, selectedIndex_, dotPosition_, chartInterval_, words_));
    chartOverlayLabel_->setText(box);
    // Words in the language's direction, figures left to right (the chart itself is left to right).
    chartOverlayLabel_->setLayoutDirection(box.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    chartOverlayLabel_->adjustSize();
    const QRectF area = chartView_->plotArea();
    chartOverlayLabel_->move(static_cast<int>(area.left()) + 8, static_cast<int>(area.top()) + 8);
    chartOverlayLabel_->show();
    chartOverlayLabel_->raise();
    chartView_->update();
}

void ChartController::stopViewAnimation() {
    selectedIndex_ = -1;
    if (chartOverlayLabel_) chartOverlayLabel_->hide();
    if (graph_) graph_->removePlot(kSelection);
    if (chartView_) chartView_->update();
}

// ---------------------------------------------------------------- data source

int ChartController::numberOfRecords(const plot::Plot& plot) {
    const QString& id = plot.identifier();
    if (id == kSelection) return selectedIndex_ < 0 ? 0 : 5;
    if (id == kBidLine || id == kAskLine) return 2;
    return std::max(0, std::min(window_.DATAPOINTS, static_cast<int>(bars_.Symdata.size())));
}

std::optional<double> ChartController::number(const plot::Plot& plot, plot::Field field, int r) {
    const QString& id = plot.identifier();
    if (id == kSelection) {
        const auto c = ChartBars::value(bars_.Symdata, selectedIndex_);
        if (!c) return std::nullopt;
        const double s = static_cast<double>(selectedIndex_ + 1);
        const double xs[] = {-10, kFar, s, s, s};
        const double ys[] = {*c, *c, *c, kFar, -10};
        if (r < 0 || r > 4) return std::nullopt;
        return field == plot::Field::X ? xs[r] : ys[r];
    }
    if (id == kBidLine || id == kAskLine) {
        const auto p = ChartBars::value(id == kBidLine ? bars_.biddata : bars_.askdata, window_.lastArrIndexPtr);
        if (!p) return std::nullopt;
        return field == plot::Field::X ? (r == 0 ? -10.0 : kFar) : *p;
    }
    if (r < 0 || r >= window_.DATAPOINTS) return std::nullopt;
    if (field == plot::Field::X) return r + 1.0;
    const std::vector<double>* column = &bars_.Symdata;
    if (id == kBidPriceLine) column = &bars_.bidPriceData;
    else if (id == kAskPriceLine) column = &bars_.askPriceData;
    else if (field == plot::Field::Open) column = &bars_.open;
    else if (field == plot::Field::High) column = &bars_.high;
    else if (field == plot::Field::Low) column = &bars_.low;
    return ChartBars::value(*column, r);
}

}  // namespace charts
