#include "funds/funds_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cstdint>
#include <vector>

#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"

namespace funds {

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = kit::plainLabel(parent);
    label->setProperty("tag", tag);
    return label;
}

QLineEdit* figureField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setMinimumWidth(140);
    return field;
}

QLineEdit* inputField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    kit::attachSeparatorGuard(field);
    field->setMinimumWidth(140);
    return field;
}

void alignLabelColumn(QWidget* page) {
    int widest = 0;
    const auto labels = page->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        label->setMinimumWidth(0);
        widest = std::max(widest, label->sizeHint().width());
    }
    for (QLabel* label : labels) {
        label->setMinimumWidth(widest);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

std::string accountKey(std::int32_t accountId) {
    return std::to_string(static_cast<std::uint64_t>(static_cast<std::int64_t>(accountId)));
}

void fillBox(QComboBox* box, const std::vector<std::string>& items) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& item : items) box->addItem(kit::shownText(item));
    if (!items.empty()) box->setCurrentIndex(0);
}

}  // namespace funds
