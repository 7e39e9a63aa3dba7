#include "trading/position_dialog_form.h"

#include <QFontDatabase>

#include "model/language_string.h"

namespace trading {

QLabel* DialogForm::label(const char* key) {
    auto* l = new QLabel;
    l->setProperty("tag", QString::fromLatin1(key).toInt());
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tagged_.push_back(l);
    return l;
}

QLabel* DialogForm::addRow(const char* key, QWidget* field) {
    QLabel* l = label(key);
    layout_->addRow(l, field);
    return l;
}

QLabel* DialogForm::addRow(const char* key, QLayout* fields) {
    QLabel* l = label(key);
    layout_->addRow(l, fields);
    return l;
}

void DialogForm::applyTexts(const std::function<std::string(const std::string&)>& text) const {
    for (QLabel* l : tagged_) {
        const int tag = l->property("tag").toInt();
        if (tag > 0)
            l->setText(QString::fromStdString(text(model::LanguageString::setLanguageKey(std::to_string(tag)))));
    }
}

void numberField(QLineEdit* field) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const double size = field->font().pointSizeF();
    font.setPointSizeF(size > 0 ? size : 10);
    field->setFont(font);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QLineEdit* valueField(bool number) {
    auto* field = new QLineEdit;
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    if (number) numberField(field);
    return field;
}

}  // namespace trading
