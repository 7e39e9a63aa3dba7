#include "kit/control_texts_walk.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "kit/core/control_texts.h"
#include "kit/shown_text.h"

namespace kit {

namespace {

void relabel(QWidget* widget, std::int64_t language) {
    const auto text = controlText(widget->property("tag").toLongLong(), language);
    if (!text) return;
    const QString value = kit::shownText(*text);
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(value);
    else if (auto* field = qobject_cast<QLineEdit*>(widget)) field->setPlaceholderText(value);
    else if (widget->isWindow()) widget->setWindowTitle(value);
}

}  // namespace

void applyControlTexts(QWidget* root, std::int64_t language) {
    if (!root) return;
    relabel(root, language);
    for (QWidget* child : root->findChildren<QWidget*>()) relabel(child, language);
}

}  // namespace kit
