#pragma once
// The button row at the foot of a sheet: cancel, then the default button, on the right.
class QBoxLayout;
class QPushButton;
class QWidget;

namespace kit {

struct SheetButtons {
    QPushButton* cancel = nullptr;
    QPushButton* confirm = nullptr;  // the default button
};

// Makes both buttons (children of `owner`) and appends their row to `column`.
SheetButtons addSheetButtons(QWidget* owner, QBoxLayout* column);

}  // namespace kit
