#include "kit/controls/input_filter_fields.h"

#include <QValidator>

#include "kit/text_direction.h"

namespace kit {

namespace {

// Judges each edit against the text the field held before it.
class EditFilterValidator : public QValidator {
public:
    EditFilterValidator(InputFilter filter, QLineEdit* field) : QValidator(field), filter_(filter) {
        before_ = field->text();
        connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }

    State validate(QString& input, int&) const override {
        const auto edit = editBetween(before_.toStdString(), input.toStdString());
        return allowsEdit(filter_, edit) ? Acceptable : Invalid;
    }

private:
    InputFilter filter_;
    QString before_;
};

class SeparatorGuard : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return holdsSeparatorByte(input.toStdString()) ? Invalid : Acceptable;
    }
};

}  // namespace

void attachSeparatorGuard(QLineEdit* field) {
    if (field) field->setValidator(new SeparatorGuard(field));
}

void attachInputFilter(QLineEdit* field, InputFilter filter) {
    field->setValidator(new EditFilterValidator(filter, field));
}

CustomTextField::CustomTextField(QWidget* parent) : QLineEdit(parent) {
    attachInputFilter(this, InputFilter::Digits5);
    keepLeftToRight(this);
}

DecimalInputField::DecimalInputField(QWidget* parent) : QLineEdit(parent) {
    attachInputFilter(this, InputFilter::Decimal);
    keepLeftToRight(this);
}

DecimalTextField::DecimalTextField(QWidget* parent) : QLineEdit(parent) {
    attachInputFilter(this, InputFilter::DecimalTwoPlaces);
    keepLeftToRight(this);
}

CustomComboBox::CustomComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    attachInputFilter(lineEdit(), InputFilter::Decimal);
    keepLeftToRight(this);
}

}  // namespace kit
