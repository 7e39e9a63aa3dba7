#pragma once
// What a table sees of a dialog on one of its rows (close or cancel, modify or
// edit), opened by name through the window opener. Main thread.
#include <QDialog>
#include <cstdint>
#include <string>

namespace kit {

class RowDialog : public QDialog {
public:
    using QDialog::QDialog;
    // 0: an open position (close, or its bracket); 1: a pending order (cancel, or edit).
    virtual void setDialogMode(std::int32_t mode) = 0;
    // Under kRecordIdKey the value is the record's id (OpenPositionId or
    // PendingOrderId by the mode); under any other key the row index ("OrderIndex").
    static constexpr const char* kRecordIdKey = "OrderId";
    virtual void setValue(const std::string& value, const std::string& key) = 0;
    virtual void StartTimerandNotification() = 0;
    virtual void windowDidAppear() = 0;
    // False when the last setValue found no row (an index past the end of the
    // collection, no session): the opener then ends the dialog (reject()) and
    // shows no sheet.
    virtual bool hasRecord() const { return true; }
};


}  // namespace kit
