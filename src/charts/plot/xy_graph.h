#pragma once
// An XY graph: a plot area inside paddings, framed by a border, with an x
// axis at the bottom and a y axis on the right, plots, annotations and an
// optional legend. It paints into any QPaintDevice.
#include <QMarginsF>
#include <QPainter>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

#include "charts/plot/graph_theme.h"
#include "charts/plot/legend.h"
#include "charts/plot/plot.h"
#include "charts/plot/plot_space.h"
#include "charts/plot/plot_space_annotation.h"
#include "charts/plot/xy_axis.h"

namespace charts::plot {

// The direction an axis label is drawn in: its own ("09 ديسمبر 13:47" right to
// left), whatever the painter's; the graph itself stays left to right.
Qt::TextFlag textDirection(const QString& label);

class XYGraph {
public:
    // The default plot space is named `spaceIdentifier`.
    explicit XYGraph(GraphTheme theme, const QString& spaceIdentifier = QStringLiteral("Graph"));

    GraphTheme theme() const { return theme_; }
    QMarginsF padding;                // around the plot area frame
    QMarginsF plotAreaPadding;        // inside the frame, around the plot area
    LineStyle border{Qt::gray, 0.6};  // of the plot area frame
    XYAxis xAxis{Coordinate::X};
    XYAxis yAxis{Coordinate::Y};
    bool hasAxisSet = true;  // false: neither axes nor grid
    std::optional<Legend> legend;

    PlotSpace& defaultPlotSpace() { return *spaces_.front(); }

    // Plots draw in the order added; adding one with an identifier already held replaces it.
    Plot& addPlot(std::unique_ptr<Plot> plot);
    void removePlot(const QString& identifier);
    Plot* plotWithIdentifier(const QString& identifier) const;
    const std::vector<std::unique_ptr<Plot>>& plots() const { return plots_; }

    PlotSpaceAnnotation& addAnnotation(std::unique_ptr<PlotSpaceAnnotation> annotation);
    void removeAnnotation(const PlotSpaceAnnotation* annotation);
    const std::vector<std::unique_ptr<PlotSpaceAnnotation>>& annotations() const { return annotations_; }

    // The plot area inside `bounds`.
    QRectF plotArea(const QRectF& bounds) const;
    // The x labels drawn and where: one that would meet the one before is left out.
    std::vector<std::pair<QRectF, QString>> xLabels(const QRectF& area, QPaintDevice* device = nullptr) const;
    // The y labels drawn and where: those an annotation covers give way to it.
    std::vector<std::pair<QRectF, QString>> yLabels(const QRectF& bounds, const QRectF& area,
                                                    QPaintDevice* device = nullptr) const;
    // The y ticks in `area`: every k-th of the axis's, k the least that puts
    // them a label's height apart at the axis's font, so no label meets another.
    std::vector<std::pair<double, QString>> yTicks(const QRectF& area, QPaintDevice* device = nullptr) const;
    // Where each annotation is drawn, in their order; nothing for one without
    // text or plot space. Boxes that would overlap make room for each other,
    // the one wanted higher staying above, all level with the plot area.
    std::vector<std::optional<QRectF>> annotationBoxes(const QRectF& bounds, const QRectF& area,
                                                       QPaintDevice* device = nullptr) const;
    void render(QPainter& painter, const QRectF& bounds) const;

private:
    void drawGrid(QPainter& painter, const QRectF& area) const;
    void drawAxes(QPainter& painter, const QRectF& bounds, const QRectF& area) const;
    void drawAnnotations(QPainter& painter, const QRectF& bounds, const QRectF& area) const;
    void drawLegend(QPainter& painter, const QRectF& bounds, const QRectF& area) const;

    GraphTheme theme_;
    std::vector<std::unique_ptr<PlotSpace>> spaces_;
    std::vector<std::unique_ptr<Plot>> plots_;
    std::vector<std::unique_ptr<PlotSpaceAnnotation>> annotations_;
};

}  // namespace charts::plot
