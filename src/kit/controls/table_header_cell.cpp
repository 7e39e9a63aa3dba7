#include "kit/controls/table_header_cell.h"

#include "kit/core/input_filters.h"
#include "kit/core/kit_payloads.h"
#include "state/notification_payloads.h"
#include "kit/shown_text.h"

namespace kit {

TableHeaderCell::TableHeaderCell(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.isEmpty()) return;
        const QString cleaned = kit::shownText(headerCellText(text.toStdString()));
        if (cleaned != text) setText(cleaned);
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        platform::NotificationCenter::defaultCenter().post(
            kTableHeaderEditNotification, std::make_shared<state::TextPayload>(text().toStdString()));
    });
}

}  // namespace kit
