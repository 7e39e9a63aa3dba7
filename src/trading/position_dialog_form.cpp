#include "trading/position_dialog_form.h"

#include <QDialogButtonBox>
#include <QFontDatabase>

#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/text_direction.h"
#include "model/language_string.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
// Language keys of the labelled fields.
constexpr const char* kAccountKey = "0012";
constexpr const char* kSymbolKey = "0011";
constexpr const char* kNameKey = "0021";
constexpr const char* kQuantityKey = "0350";
constexpr const char* kOrderTypeKey = "0351";
constexpr int kFieldWidth = 140;
constexpr int kWideFieldWidth = 220;
}  // namespace

DialogFrame buildDialogFrame(QDialog& dialog, const char* name) {
    dialog.setObjectName(name);
    dialog.setWindowModality(Qt::WindowModal);
    DialogFrame f;
    f.outer = new QVBoxLayout(&dialog);
    f.outer->setContentsMargins(10, 10, 10, 10);
    f.outer->setSpacing(6);
    f.box = new QGroupBox;
    f.layout = new QFormLayout(f.box);
    f.layout->setLabelAlignment(Qt::AlignRight);
    f.layout->setSpacing(6);
    f.form = std::make_unique<DialogForm>(f.layout);

    f.account = valueField(false);
    f.symbol = valueField(false);
    f.name = valueField(false);
    f.quantity = new kit::CustomComboBox;
    f.quantity->setInsertPolicy(QComboBox::NoInsert);
    numberField(f.quantity->lineEdit());
    f.quantityDescription = valueField(true);
    f.orderType = valueField(false);
    for (QWidget* w : std::initializer_list<QWidget*>{f.account, f.symbol, f.quantity}) w->setMinimumWidth(kFieldWidth);
    f.name->setMinimumWidth(kWideFieldWidth);
    f.quantityDescription->setMinimumWidth(kWideFieldWidth);

    f.form->addRow(kAccountKey, f.account);
    f.form->addRow(kSymbolKey, f.symbol);
    f.form->addRow(kNameKey, f.name);
    f.form->addRow(kQuantityKey, f.quantity);
    f.layout->addRow(QString(), f.quantityDescription);
    f.form->addRow(kOrderTypeKey, f.orderType);
    f.outer->addWidget(f.box);
    return f;
}

std::pair<QPushButton*, QPushButton*> addDialogButtons(const DialogFrame& frame) {
    auto* buttons = new QDialogButtonBox;
    QPushButton* send = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    QPushButton* dismiss = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    send->setDefault(true);
    frame.outer->addWidget(buttons);
    return {send, dismiss};
}

QLabel* DialogForm::label(const char* key) {
    auto* l = kit::plainLabel();
    l->setProperty("tag", std::atoi(key));
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
            l->setText(kit::shownText(text(model::LanguageString::setLanguageKey(std::to_string(tag)))));
    }
}

void numberField(QLineEdit* field) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const double size = field->font().pointSizeF();
    font.setPointSizeF(size > 0 ? size : 10);
    field->setFont(font);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    kit::keepLeftToRight(field);
}

QLineEdit* valueField(bool number) {
    auto* field = new QLineEdit;
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    if (number) numberField(field);
    return field;
}

}  // namespace trading
