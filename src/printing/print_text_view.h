#pragma once
// The document that is printed and its job title, which names the print job
// (the printer's document name). Pages carry our own header (job title and
// date) and footer ("Page n of m"); the body fits the page width.
#include <QDateTime>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace printing {

class PaintedBody;

class PrintTextView {
public:
    explicit PrintTextView(QString printJobTitle = {});
    ~PrintTextView();

    QTextDocument& document() { return document_; }
    const QTextDocument& document() const { return document_; }
    const QString& printJobTitle() const { return printJobTitle_; }
    void setPrintJobTitle(const QString& title) { printJobTitle_ = title; }
    // Long prints: this body is painted page by page in place of the document.
    void setPaintedBody(std::shared_ptr<PaintedBody> body) { painted_ = std::move(body); }
    const PaintedBody* paintedBody() const { return painted_.get(); }

    // The document is laid out from the start for the pages of a default
    // printer (high resolution, PDF), so that printing there lays it out no
    // more (each change of page lays a long table out again). Pages of
    // another size are laid out anew; another resolution is scaled to.
    // The pages read the document itself, which must stay unchanged while
    // they are used: a copy of a long table costs more than its layout.
    class Pages {
    public:
        int pageCount() const;
        // Header, the page's part of the body in black on the paper, footer.
        void paintPage(QPainter& painter, int page) const;

    private:
        friend class PrintTextView;
        QTextDocument* body_ = nullptr;
        PaintedBody* painted_ = nullptr;  // painted in place of body_ when set
        QString title_;
        QString date_;
        QSizeF page_;
        double band_ = 0;   // height of the header and of the footer
        double scale_ = 1;  // device units per layout unit
    };
    std::unique_ptr<Pages> paginate(QPaintDevice& device, const QSizeF& pageSize,
                                    const QDateTime& printed = QDateTime::currentDateTime());

    // Prints every page on the printer, named after the job title. False (and
    // logged) when the printer does not open. `progress` hears of each page
    // before it prints (pages done, page count); its false stops the print
    // (the printer aborted), which is false too.
    bool printOn(QPrinter& printer, const std::function<bool(int done, int total)>& progress = {});

    // The language of the texts the print shows of its own (its progress).
    std::int64_t language() const { return language_; }
    void setLanguage(std::int64_t language) { language_ = language; }

private:
    // The body's page size, in layout units, on `device`'s `pageSize`.
    QSizeF bodySize(QPaintDevice& device, const QSizeF& pageSize) const;
    // A table that fits on a page but runs past the end of the one it starts
    // on starts the next page: the text layout draws the last row before such
    // a break twice as tall and without its bottom border.
    void keepTablesOnOnePage();

    QString printJobTitle_;
    std::unique_ptr<QPrinter> layoutPrinter_;  // never printed on
    QTextDocument document_;
    std::shared_ptr<PaintedBody> painted_;
    std::int64_t language_ = 0;
};

}  // namespace printing
