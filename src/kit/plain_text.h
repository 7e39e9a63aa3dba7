#pragma once
// Text from the server, a chat partner or a file, shown as typed: tooltips that
// Qt never reads as markup, labels and message boxes in plain format that open
// no link. Each text goes through the kit's rule (kit/shown_text.h) first.
#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <string_view>

namespace kit {

// A tooltip that shows `text` as typed: unchanged unless Qt would take it for
// rich text, then escaped (line breaks kept).
QString plainToolTip(const QString& text);
// For a model's data(): the tooltip form for Qt::ToolTipRole, the shown text for any other role.
QString plainToolTipFor(int role, const QString& text);

// A label that shows its text as typed and opens no link. A text set on it
// later from the server, a partner or a file is set with setShownText.
QLabel* plainLabel(QWidget* parent = nullptr);
QLabel* plainLabel(const QString& text, QWidget* parent = nullptr);
void makePlain(QLabel& label);
// The shown form of a text from the server, a partner or a file, set on `label`.
void setShownText(QLabel& label, const QString& text);
void setShownText(QLabel& label, std::string_view utf8);

// A message box whose every label, the informative text included, is plain and
// opens no link.
QMessageBox* plainMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                             QWidget* parent = nullptr);
void setPlainInformativeText(QMessageBox& box, const QString& text);

}  // namespace kit
