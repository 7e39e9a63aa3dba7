#pragma once
// The small up/down control beside a price field: a value stepped by an increment.
#include <QToolButton>
#include <QWidget>
#include <functional>

namespace trading {

class TicketStepper : public QWidget {
public:
    explicit TicketStepper(QWidget* parent = nullptr);
    double value() const { return value_; }
    void setValue(double value) { value_ = value; }
    void setIncrement(double increment) { increment_ = increment; }
    double increment() const { return increment_; }
    // Runs after each step.
    std::function<void()> stepped;
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;

private:
    void step(int direction);
    double value_ = 0;
    double increment_ = 1;
};

}  // namespace trading
