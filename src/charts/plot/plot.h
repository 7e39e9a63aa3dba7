#pragma once
// A plot draws the records its data source gives, in one plot space.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace charts::plot {

class Plot;
class PlotSpace;

enum class Field { X, Y, Open, High, Low, Close, SliceWidth };

class PlotDataSource {
public:
    virtual ~PlotDataSource() = default;
    virtual int numberOfRecords(const Plot& plot) = 0;
    // Nothing for a value the record does not have: that record is not drawn.
    virtual std::optional<double> number(const Plot& plot, Field field, int record) = 0;
    // The fill of one bar of a bar plot; nothing keeps the plot's own.
    virtual std::optional<QColor> barFill(const Plot&, int) { return std::nullopt; }
    // The fill of one slice of a pie; nothing takes the pie's own.
    virtual std::optional<QColor> sliceFill(const Plot&, int) { return std::nullopt; }
    // The legend text of one record of a plot that lists its records.
    virtual QString legendTitle(const Plot&, int) { return {}; }
};

// One row of a legend: a swatch and its text.
struct LegendEntry {
    QColor color;
    QString title;
    bool hatched = false;  // the swatch of a negative slice, hatched as the slice is
};

// Diagonal lines across `shape`, filled with `fill` before: dark on a light
// fill, light on a dark one, a third of the area.
void drawHatch(QPainter& painter, const QPainterPath& shape, const QColor& fill);

struct LineStyle {
    QColor color = Qt::black;
    double width = 1.0;
    Qt::PenStyle style = Qt::SolidLine;  // Qt::CustomDashLine: 3 on, 3 off
    QPen pen() const;
};

class Plot {
public:
    explicit Plot(QString identifier) : identifier_(std::move(identifier)) {}
    virtual ~Plot() = default;
    const QString& identifier() const { return identifier_; }

    QString title;  // shown by the legend when not empty
    PlotDataSource* dataSource = nullptr;
    PlotSpace* plotSpace = nullptr;

    // Draws into `area` (the plot area, in device coordinates).
    virtual void draw(QPainter& painter, const QRectF& area) = 0;
    // The colour that stands for the plot in the legend.
    virtual QColor legendColor() const = 0;
    // The rows it adds to the legend: its title when it has one.
    virtual std::vector<LegendEntry> legendEntries() const;

protected:
    // The records whose x lies in the plot space's x range, one more on each side.
    struct Visible {
        int first = 0;
        int last = -1;
    };
    Visible visibleRecords() const;

private:
    QString identifier_;
};

}  // namespace charts::plot
