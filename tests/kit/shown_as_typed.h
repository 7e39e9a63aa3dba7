#pragma once
// What Qt shows for a text handed to a label or tooltip, read the way Qt reads
// it (plain, or markup where the label's format or its guess says so), and the
// resources that showing it asked for (an image's file).
#include <QLabel>
#include <QStringList>
#include <QTextDocument>

namespace kit::testing {

struct Shown {
    QString text;
    QStringList loaded;
};

class ResourceRecordingDocument : public QTextDocument {
public:
    QStringList loaded;

protected:
    QVariant loadResource(int, const QUrl& name) override {
        loaded << name.toString();
        return {};
    }
};

inline Shown shownAs(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    if (!rich) return {text, {}};
    ResourceRecordingDocument document;
    document.setHtml(text);
    document.setTextWidth(400);
    (void)document.size();  // laid out: images are asked for here
    return {document.toPlainText(), document.loaded};
}

inline Shown shownBy(const QLabel& label) {
    Shown shown = shownAs(label.text(), label.textFormat());
    if (label.openExternalLinks()) shown.loaded << "external links on";
    return shown;
}

// Markup a server, a partner or a file may send.
inline const QStringList& markupTexts() {
    static const QStringList texts = {"<img src=/dev/zero>", "<a href=\"file:///x\">x</a>",
                                      "<b>bold</b>\nnext\tline  two", "plain EURUSD"};
    return texts;
}

}  // namespace kit::testing
