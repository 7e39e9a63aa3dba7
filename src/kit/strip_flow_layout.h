#pragma once
// Lays its items out in one row while they fit and wraps them into more rows
// (each as wide as its size hint) when they do not: the strip never holds its
// window wider than its widest item. The last item keeps to the end of its row.
// Mirrors in a right-to-left window.
#include <QLayout>
#include <QList>

namespace kit {

class StripFlowLayout : public QLayout {
public:
    // `spacing` between the items of a row, `rowSpacing` between rows.
    StripFlowLayout(QWidget* parent, int spacing, int rowSpacing);
    ~StripFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

    // The rows the items take at `width` (the layout's own width, margins included).
    int rowsAt(int width) const;

private:
    // Places the items in `rect` (when `apply`); the height the rows take.
    int layOut(const QRect& rect, bool apply, int* rows = nullptr) const;

    QList<QLayoutItem*> items_;
    int spacing_;
    int rowSpacing_;
};

}  // namespace kit
