#pragma once
// A widget that shows a graph and hands the pointer to its default plot space:
// press, drag and release; the wheel zooms.
#include <QWidget>

#include "charts/plot/xy_graph.h"

namespace charts::plot {

class GraphHostingView : public QWidget {
    Q_OBJECT
public:
    explicit GraphHostingView(QWidget* parent = nullptr);
    // Not owned; nothing shows while it is null.
    void setHostedGraph(XYGraph* graph);
    XYGraph* hostedGraph() const { return graph_; }
    QRectF plotArea() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    XYGraph* graph_ = nullptr;
    bool pressed_ = false;
};

}  // namespace charts::plot
