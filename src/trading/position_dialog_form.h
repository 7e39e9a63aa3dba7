#pragma once
// The pieces both position dialogs are built of: labels carrying their
// language key as tag, read-only value fields, number fields in a tabular font.
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kit {
class CustomComboBox;
}

namespace trading {

class DialogForm {
public:
    explicit DialogForm(QFormLayout* layout) : layout_(layout) {}
    // A row whose label shows the text of `key`.
    QLabel* addRow(const char* key, QWidget* field);
    QLabel* addRow(const char* key, QLayout* fields);
    // Each label's key looked up again (the language may have changed).
    void applyTexts(const std::function<std::string(const std::string&)>& text) const;

private:
    QLabel* label(const char* key);
    QFormLayout* layout_;
    std::vector<QLabel*> tagged_;
};

// The frame both dialogs share: a titled box whose form starts with the
// account, symbol, name, quantity (an editable list) with its description and
// the order type; the send and dismiss buttons go under the box.
struct DialogFrame {
    QVBoxLayout* outer = nullptr;
    QGroupBox* box = nullptr;
    QFormLayout* layout = nullptr;
    std::unique_ptr<DialogForm> form;
    QLineEdit* account = nullptr;
    QLineEdit* symbol = nullptr;
    QLineEdit* name = nullptr;
    kit::CustomComboBox* quantity = nullptr;
    QLineEdit* quantityDescription = nullptr;
    QLineEdit* orderType = nullptr;
};
// Names the dialog, makes it window-modal and fills its first rows.
DialogFrame buildDialogFrame(QDialog& dialog, const char* name);
// The send button (default) and the dismiss button, under the box.
std::pair<QPushButton*, QPushButton*> addDialogButtons(const DialogFrame& frame);

// A field that shows a value; right-aligned in fixed-width digits when `number`.
QLineEdit* valueField(bool number);
// Right-aligned, fixed-width digits (prices, quantities).
void numberField(QLineEdit* field);

}  // namespace trading
