#include "kit/controls/sheet_buttons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace kit {

SheetButtons addSheetButtons(QWidget* owner, QBoxLayout* column) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    SheetButtons buttons{new QPushButton(owner), new QPushButton(owner)};
    buttons.confirm->setDefault(true);
    row->addWidget(buttons.cancel);
    row->addWidget(buttons.confirm);
    column->addLayout(row);
    return buttons;
}

}  // namespace kit
