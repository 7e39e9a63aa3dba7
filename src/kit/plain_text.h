#pragma once
// Text from the server, a chat partner or a file, shown as typed: tooltips that
// Qt never reads as markup, labels and message boxes in plain format that open
// no link.
#include <QLabel>
#include <QMessageBox>
#include <QString>

namespace kit {

// A tooltip that shows `text` as typed: unchanged unless Qt would take it for
// rich text, then escaped (line breaks kept).
QString plainToolTip(const QString& text);
// For a model's data(): the tooltip form for Qt::ToolTipRole, `text` for any other role.
QString plainToolTipFor(int role, const QString& text);

// A label that shows its text as typed and opens no link.
QLabel* plainLabel(QWidget* parent = nullptr);
QLabel* plainLabel(const QString& text, QWidget* parent = nullptr);
void makePlain(QLabel& label);

// A message box whose every label, the informative text included, is plain and
// opens no link.
QMessageBox* plainMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                             QWidget* parent = nullptr);
void setPlainInformativeText(QMessageBox& box, const QString& text);

}  // namespace kit
