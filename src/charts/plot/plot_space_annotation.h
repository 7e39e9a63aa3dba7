#pragma once
// A text in a rounded box, anchored at a plot point and displaced in pixels
// (positive y upwards); kept inside the graph.
#include <QColor>
#include <QString>

namespace charts::plot {

class PlotSpace;

class PlotSpaceAnnotation {
public:
    PlotSpaceAnnotation(PlotSpace* space, double x, double y) : plotSpace(space), anchorX(x), anchorY(y) {}

    PlotSpace* plotSpace;
    double anchorX;
    double anchorY;
    double displacementX = 0;
    double displacementY = 0;
    QString text;
    QColor textColor = Qt::white;
    double fontSize = 12.0;
    QColor fill = Qt::transparent;
    double cornerRadius = 0;
};

}  // namespace charts::plot
