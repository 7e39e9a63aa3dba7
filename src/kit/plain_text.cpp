#include "kit/plain_text.h"

#include <QTextDocument>

#include "kit/shown_text.h"

namespace kit {

namespace {

// A label that cuts a text longer than the shown length before it measures or
// paints it, whoever set the text.
class PlainLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override {
        cut();
        return QLabel::sizeHint();
    }
    QSize minimumSizeHint() const override {
        cut();
        return QLabel::minimumSizeHint();
    }
    int heightForWidth(int width) const override {
        cut();
        return QLabel::heightForWidth(width);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        cut();
        QLabel::paintEvent(event);
    }

private:
    // Cut and marks bounded, controls kept: the label's own texts may hold
    // isolates (labelledFigure); a server text is set with setShownText.
    void cut() const {
        if (QString bounded = boundedText(text()); bounded != text())
            const_cast<PlainLabel*>(this)->setText(bounded);
    }
};

}  // namespace

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
    auto* label = new PlainLabel(parent);
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
    if (!box.findChild<QLabel*>("qt_msgbox_informativelabel")) box.setInformativeText(" ");
    makeLabelsPlain(box);
    box.setInformativeText(shownAlertText(text));
}

}  // namespace kit
