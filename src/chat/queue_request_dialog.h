#pragma once
// Asks for the first text of a request to a support queue: "Request Message",
// a field holding "Hi", "Request" and "Cancel", in the language of `text`. Opened as a sheet.
#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace chat {

class QueueRequestDialog : public QDialog {
public:
    QueueRequestDialog(QWidget* parent, const std::function<std::string(const std::string&)>& text);
    QLineEdit* field() const { return field_; }
    // The text as typed, empty allowed.
    QString requestText() const;
    // Asked on "Request": false keeps the dialog open with its text.
    std::function<bool()> mayRequest;
    void accept() override;

private:
    QLineEdit* field_ = nullptr;
};

}  // namespace chat
