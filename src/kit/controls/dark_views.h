#pragma once
// The dark button, the dark gradient background and the view that blocks clicks.
#include <QPushButton>
#include <QWidget>

namespace kit {

class DarkButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override;
};

class DarkBackgroundView : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Neither it nor anything inside it receives mouse events.
class DisableMouseEventsView : public QWidget {
public:
    explicit DisableMouseEventsView(QWidget* parent = nullptr);
};

}  // namespace kit
