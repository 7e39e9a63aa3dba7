#include "kit/plain_text.h"

#include <QTextDocument>

#include "kit/shown_text.h"

namespace kit {

QString plainToolTip(const QString& text) {
    const QString shown = shownText(text);
    if (!Qt::mightBeRichText(shown)) return shown;
    // Escaped, blanks, tabs and line breaks kept, long lines wrapped.
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown.toHtmlEscaped() + QStringLiteral("</p>");
}

QString plainToolTipFor(int role, const QString& text) {
    return role == Qt::ToolTipRole ? plainToolTip(text) : shownText(text);
}

void makePlain(QLabel& label) {
    label.setTextFormat(Qt::PlainText);
    label.setOpenExternalLinks(false);
}

QLabel* plainLabel(QWidget* parent) { return plainLabel(QString(), parent); }

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    makePlain(*label);
    label->setText(shownText(text));
    return label;
}

void setShownText(QLabel& label, const QString& text) { label.setText(shownText(text)); }

void setShownText(QLabel& label, std::string_view utf8) { label.setText(shownText(utf8)); }

namespace {

void makeLabelsPlain(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    for (QLabel* label : box.findChildren<QLabel*>()) makePlain(*label);
}

}  // namespace

QMessageBox* plainMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent) {
    auto* box = new QMessageBox(icon, title, QString(), QMessageBox::NoButton, parent);
    makeLabelsPlain(*box);
    box->setText(shownAlertText(text));
    return box;
}

void setPlainInformativeText(QMessageBox& box, const QString& text) {
    // The informative label is made on first use with a guessed format: plain
    // before the text reaches it.
    if (!box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) box.setInformativeText(QStringLiteral(" "));
    makeLabelsPlain(box);
    box.setInformativeText(shownAlertText(text));
}

}  // namespace kit
