#pragma once
// The editor of an editable column header: keeps digits and one point, and
// posts "TableHeaderEditNotification" with its text when the edit ends.
#include <QLineEdit>

namespace kit {

class TableHeaderCell : public QLineEdit {
public:
    explicit TableHeaderCell(QWidget* parent = nullptr);
};

}  // namespace kit
