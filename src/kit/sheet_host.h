#pragma once
// Where a window shows a sheet: the main window. Sheets are window-modal and
// open without blocking.
class QDialog;

namespace kit {

class SheetHost {
public:
    virtual ~SheetHost() = default;
    virtual void showCustomSheet(QDialog* sheet) = 0;
    virtual bool isSheetAttached() const = 0;
};

}  // namespace kit
