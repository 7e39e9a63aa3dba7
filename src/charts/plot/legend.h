#pragma once
// The titles of the graph's plots in one row, each after a swatch of its colour.
#include <QColor>

namespace charts::plot {

class Legend {
public:
    QColor textColor = Qt::gray;
    QColor fill = Qt::transparent;
    double fontSize = 12.0;
    double margin = 6.0;  // from the top-left corner of the plot area
};

}  // namespace charts::plot
