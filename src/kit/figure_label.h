#pragma once
// A label of a figure that the tick changes (a total, an account figure, the
// server time). Its size is fixed, as wide as the widest text it expects, so
// a new text asks no layout again. It paints no backdrop: the pane under it
// fills its own background, so a new text repaints the label and that pane,
// none of the pane's parents. A text wider than the reserve widens the label
// once. Plain text.
#include <QLabel>

namespace kit {

class FigureLabel : public QLabel {
public:
    // `widest`: the widest text expected (e.g. ": -999,999,999.99").
    explicit FigureLabel(const QString& widest, QWidget* parent = nullptr);

    // Shows `text`; nothing happens when it is the text shown.
    void setFigure(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    // Fixes the size for the widest text and the one shown.
    void reserve();
    int widthFor(const QString& text) const;

    QString widest_;
};

}  // namespace kit
