#include "trading/ticket_stepper.h"

#include <QVBoxLayout>
#include <algorithm>

namespace trading {

TicketStepper::TicketStepper(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up = new QToolButton(this);
    down = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(18, 12);
        b->setAutoRepeat(true);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
}

void TicketStepper::step(int direction) {
    value_ = std::max(0.0, value_ + direction * increment_);
    if (stepped) stepped();
}

}  // namespace trading
