#pragma once
// Text fields and the combo box whose edits pass the kit's input filters; they hold
// figures, so they stay left to right in a right-to-left window.
#include <QComboBox>
#include <QLineEdit>

#include "kit/core/input_filters.h"

namespace kit {

// Gives `field` the filter; edits it refuses leave the text as it was.
void attachInputFilter(QLineEdit* field, InputFilter filter);
// Refuses every edit, typed or pasted, that would leave a separator byte in
// `field` (for an editable combo box: its line edit).
void attachSeparatorGuard(QLineEdit* field);

// At most five digits (a port, a period).
class CustomTextField : public QLineEdit {
public:
    explicit CustomTextField(QWidget* parent = nullptr);
};

// Digits and one point, any number of decimals (prices of 4 and 5 decimals).
class DecimalInputField : public QLineEdit {
public:
    explicit DecimalInputField(QWidget* parent = nullptr);
};

// Digits and one point, at most two decimals.
class DecimalTextField : public QLineEdit {
public:
    explicit DecimalTextField(QWidget* parent = nullptr);
};

// An editable combo box with the decimal filter (quantities).
class CustomComboBox : public QComboBox {
public:
    explicit CustomComboBox(QWidget* parent = nullptr);
};

}  // namespace kit
