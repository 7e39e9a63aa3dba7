#include "charts/plot/graph_hosting_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace charts::plot {

GraphHostingView::GraphHostingView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphHostingView::setHostedGraph(XYGraph* graph) {
    graph_ = graph;
    update();
}

QRectF GraphHostingView::plotArea() const { return graph_ ? graph_->plotArea(QRectF(rect())) : QRectF(); }

void GraphHostingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A painter takes the application's direction; the chart's texts follow the view's (left to right).
    painter.setLayoutDirection(layoutDirection());
    if (!graph_) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    graph_->render(painter, QRectF(rect()));
}

void GraphHostingView::mousePressEvent(QMouseEvent* e) {
    if (!graph_ || e->button() != Qt::LeftButton) return;
    pressed_ = true;
    graph_->defaultPlotSpace().pointerDown(e->position(), plotArea());
    update();
}

void GraphHostingView::mouseMoveEvent(QMouseEvent* e) {
    if (!graph_ || !pressed_) return;
    graph_->defaultPlotSpace().pointerDragged(e->position(), plotArea());
    update();
}

void GraphHostingView::mouseReleaseEvent(QMouseEvent* e) {
    if (!graph_ || !pressed_ || e->button() != Qt::LeftButton) return;
    pressed_ = false;
    graph_->defaultPlotSpace().pointerUp(e->position(), plotArea());
    update();
}

void GraphHostingView::wheelEvent(QWheelEvent* e) {
    if (!graph_) return;
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) return;
    graph_->defaultPlotSpace().scaleBy(std::pow(1.1, steps), e->position(), plotArea());
    update();
    e->accept();
}

}  // namespace charts::plot
