#pragma once
// A label of words and closing figures (the ticket's quote line "Low : 2035.39",
// a line of the chart's crosshair box): its words drawn in the label's own font,
// whose letters join in every script (a monospaced font lacks some Pashto
// letters, and letters taken from two fonts do not join), and its figures apart
// in a monospaced font of the same size, so that the digits keep their places as
// the prices tick. Each line of the text ("\n") is drawn so. Plain text only.
#include <QLabel>

namespace kit {

class QuoteLineLabel : public QLabel {
public:
    explicit QuoteLineLabel(QWidget* parent = nullptr);
    // The monospaced font of the figures, at the label's size.
    QFont figureFont() const;
    // The text's end of figures ("2035.39", "14:30:05") and the words before it ("Low : ").
    QString figuresText() const;
    QString wordsText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kit
