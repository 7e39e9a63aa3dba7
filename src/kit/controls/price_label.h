#pragma once
// A price drawn with its significant figures enlarged and its last figures
// small and raised, centred (CustomLabelStyle's price highlight).
#include <QColor>
#include <QWidget>

namespace kit {

class PriceLabel : public QWidget {
public:
    explicit PriceLabel(QWidget* parent = nullptr);
    void setPrice(const QString& price, int mostSignificant, int leastSignificant);
    void setTextColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString price_;
    int most_ = 0;
    int least_ = 0;
    QColor color_;
};

}  // namespace kit
