#include "kit/controls/custom_drag_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "kit/core/chart_drop.h"
#include "kit/core/kit_payloads.h"
#include "platform/log.h"
#include "kit/own_text.h"

namespace kit {

CustomDragView::CustomDragView(QWidget* parent) : QWidget(parent) { setAcceptDrops(true); }

void CustomDragView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CustomDragView::dropEvent(QDropEvent* event) {
    if (!performDragOperation(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool CustomDragView::performDragOperation(const QMimeData* data) {
    std::string type;
    if (data->hasFormat(kit::identifierText(kPlainTextType))) type = kPlainTextType;
    else if (data->hasUrls()) type = "text/uri-list";
    std::optional<std::string> text;
    if (data->hasText()) text = data->text().toStdString();
    const auto drop = chartDrop(type, text, objectName().toStdString());
    if (!drop.accepted) {
        platform::Log::error(drop.error);
        return false;
    }
    platform::NotificationCenter::defaultCenter().post(kChartSymbolDragNotification,
                                                       std::make_shared<TextListPayload>(drop.object));
    return true;
}

}  // namespace kit
