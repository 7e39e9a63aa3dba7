#pragma once
// The legend rows of the graph's plots, each after a swatch of its colour:
// in one row at the top left, or in one column at the right or at the bottom.
#include <QColor>
#include <QPointF>

namespace charts::plot {

class Legend {
public:
    enum class Layout { TopLeftRow, RightColumn, BottomColumn };
    Layout layout = Layout::TopLeftRow;
    QColor textColor = Qt::gray;
    QColor fill = Qt::transparent;
    double fontSize = 12.0;
    bool boldFont = false;
    double swatchSize = 0;  // 0: from the font
    double margin = 6.0;    // from the top-left corner of the plot area
    // Of a column, from the graph's right edge and vertical centre (right), or
    // from its horizontal centre and bottom edge (bottom).
    QPointF displacement;
};

}  // namespace charts::plot
