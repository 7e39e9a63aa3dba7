#pragma once
// A chart pane that takes a symbol dragged as plain text and posts
// "ChartSymbolDragNotification" with [symbol, its object name].
#include <QWidget>

class QMimeData;

namespace kit {

class CustomDragView : public QWidget {
public:
    explicit CustomDragView(QWidget* parent = nullptr);
    // Takes plain text only; posts and answers true when it took the drop.
    bool performDragOperation(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace kit
