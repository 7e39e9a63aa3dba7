#include "kit/plain_text.h"
#include "shell/placeholder_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace shell {

PlaceholderWindow::PlaceholderWindow(const QString& title, QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName("PlaceholderWindow");
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    auto* label = kit::plainLabel(title, this);
    label->setAlignment(Qt::AlignCenter);
    QFont big = label->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    label->setFont(big);
    label->setEnabled(false);
    column->addWidget(label, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(480, 300);
}

}  // namespace shell
