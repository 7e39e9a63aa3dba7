#include "charts/pie_chart_controller.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

namespace charts {

namespace {

const std::array<QColor, PieChartController::kColourCount> kSliceColors = {QColor(246, 155, 0), QColor(129, 195, 29), QColor(62, 173, 219),
                                            QColor(229, 66, 115), QColor(148, 141, 139)};
constexpr double kLegendFontSize = 11;
constexpr double kLegendSwatch = 12;
constexpr double kLegendRightGap = 5;
// Legend titles measured a slice; the legend widens as the rest follow.
constexpr std::size_t kLegendTitlesPerSlice = 200;

// The longest "%.2f" of a double: 309 digits, a sign, a point and two places.
constexpr std::size_t kTwoPlacesLength = 320;
constexpr int kPlaces = 2;

// "%.2f" of the value (nothing finite reads as 0) and the number that text reads as.
std::pair<QString, double> twoPlaces(double value) {
    if (!std::isfinite(value)) value = 0;
    char text[kTwoPlacesLength];
    const char* const end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kPlaces).ptr;
    double read = 0;
    std::from_chars(text, end, read);
    // Digits, sign and point: each is its UTF-16 unit.
    QString shown(end - text, Qt::Uninitialized);
    QChar* unit = shown.data();
    for (const char* c = text; c != end; ++c) *unit++ = QChar(char16_t(*c));
    return {std::move(shown), read};
}

}  // namespace

PieChartController::PieChartController(QWidget* parent) : QWidget(parent) {
    setObjectName("pieChartController");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    titleLabel_ = kit::plainLabel(this);
    titleLabel_->setObjectName("titleLabel");
    titleLabel_->setAlignment(Qt::AlignCenter);
    column->addWidget(titleLabel_);
    hostingView_ = new plot::GraphHostingView(this);
    hostingView_->setObjectName("pieChartView");
    hostingView_->setMinimumSize(160, 120);
    column->addWidget(hostingView_, 1);
    constructGraph();
}

PieChartController::~PieChartController() { hostingView_->setHostedGraph(nullptr); }

void PieChartController::constructGraph() {
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    auto graph = std::make_unique<plot::XYGraph>(dark ? plot::GraphTheme::PlainBlack : plot::GraphTheme::PlainWhite);
    graph->hasAxisSet = false;
    graph->padding = QMarginsF(1, 1, 1, 1);  // the frame's right and bottom lines inside the view
    graph->border = plot::LineStyle{QColor::fromRgbF(0.5, 0.5, 0.5), 1.0};
    auto pie = std::make_unique<plot::PieChart>(QStringLiteral("Pie PLot"));
    pie->dataSource = this;
    pie->startAngle = std::numbers::pi / 4;
    pie->sliceDirection = plot::PieChart::Direction::CounterClockwise;
    pie->borderLine = plot::LineStyle{Qt::transparent, 0.5};
    pie_ = static_cast<plot::PieChart*>(&graph->addPlot(std::move(pie)));
    plot::Legend legend;
    legend.layout = plot::Legend::Layout::RightColumn;
    // The window's text colour: grey on white did not read.
    legend.textColor = palette().color(QPalette::WindowText);
    legend.fontSize = kLegendFontSize;
    legend.boldFont = true;
    legend.swatchSize = kLegendSwatch;
    legend.displacement = QPointF(-kLegendRightGap, 0);
    graph->legend = legend;
    hostingView_->setHostedGraph(graph.get());
    graph_ = std::move(graph);
    layOutLegend();
}

// The legend at the pie's right, or below it in a pane taller than wide; the
// plot area, and so the pie, ends where the legend begins.
void PieChartController::layOutLegend() {
    const int rows = static_cast<int>(plotData_.size());
    QFont font;
    font.setPointSizeF(kLegendFontSize);
    font.setBold(true);
    const double widest = legendWidths_.widest(font, plotDataTitle_, plotDataValue_, kLegendTitlesPerSlice);
    if (!legendWidths_.complete() && !std::exchange(layOutQueued_, true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                layOutQueued_ = false;
                if (graph_) layOutLegend();
            },
            Qt::QueuedConnection);
    const double lineHeight = QFontMetricsF(font).height();
    const bool below = hostingView_->height() > hostingView_->width() * 6 / 5;
    if (below) {
        const double height = rows * (std::max(lineHeight, kLegendSwatch) + 2) + kLegendRightGap;
        graph_->legend->layout = plot::Legend::Layout::BottomColumn;
        graph_->legend->displacement = QPointF(0, kLegendRightGap);
        graph_->plotAreaPadding = QMarginsF(0, 0, 0, rows ? height + 6 : 0);
    } else {
        const double width = widest > 0 ? kLegendSwatch + 4 + widest + 1 + kLegendRightGap : 0;
        graph_->legend->layout = plot::Legend::Layout::RightColumn;
        graph_->legend->displacement = QPointF(-kLegendRightGap, 0);
        graph_->plotAreaPadding = QMarginsF(0, 0, std::max(60.0, width + 6), 0);
    }
    hostingView_->update();
}

void PieChartController::setPieChartData(const model::PieChartDictionary& data, std::vector<std::size_t> colours) {
    colours_ = std::move(colours);
    plotData_.clear();
    plotDataValue_.clear();
    for (double value : data.PieChartData) {
        auto [text, read] = twoPlaces(value);
        plotData_.push_back(read);
        plotDataValue_.push_back(std::move(text));
    }
    // Titles stay from tick to tick: made again only when they change.
    if (titlesRead_ != data.PieChartTitle) {
        titlesRead_ = data.PieChartTitle;
        plotDataTitle_.clear();
        for (const std::string& title : titlesRead_) plotDataTitle_.push_back(kit::shownText(title));
    }
    layOutLegend();
}

void PieChartController::setTitle(const std::string& title) { titleLabel_->setText(kit::shownText(title)); }

std::vector<plot::LegendEntry> PieChartController::legendEntries() const { return pie_->legendEntries(); }

void PieChartController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutLegend();
}

void PieChartController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The legend's font follows the application's.
    if (event->type() == QEvent::FontChange) legendWidths_ = LegendWidths();
    if (event->type() == QEvent::PaletteChange) constructGraph();
}

int PieChartController::numberOfRecords(const plot::Plot&) { return static_cast<int>(plotData_.size()); }

std::optional<double> PieChartController::number(const plot::Plot&, plot::Field field, int record) {
    if (record < 0 || record >= static_cast<int>(plotData_.size())) return std::nullopt;
    if (field == plot::Field::SliceWidth) return plotData_[static_cast<std::size_t>(record)];
    return static_cast<double>(record);
}

std::optional<QColor> PieChartController::sliceFill(const plot::Plot&, int record) {
    if (record < 0) return std::nullopt;
    const auto at = static_cast<std::size_t>(record);
    return kSliceColors[(at < colours_.size() ? colours_[at] : at) % kSliceColors.size()];
}

// "title: value"; a value without a title shows with an empty one.
QString PieChartController::legendTitle(const plot::Plot&, int record) {
    if (record < 0 || record >= static_cast<int>(plotDataValue_.size())) return {};
    const auto at = static_cast<std::size_t>(record);
    const QString title = at < plotDataTitle_.size() ? plotDataTitle_[at] : QString();
    return QStringLiteral("%1: %2").arg(title, plotDataValue_[at]);
}

}  // namespace charts
