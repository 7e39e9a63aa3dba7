#pragma once
// The pieces both position dialogs are built of: labels carrying their
// language key as tag, read-only value fields, number fields in a tabular font.
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// A field that shows a value; right-aligned in fixed-width digits when `number`.
QLineEdit* valueField(bool number);
// Right-aligned, fixed-width digits (prices, quantities).
void numberField(QLineEdit* field);

}  // namespace trading
