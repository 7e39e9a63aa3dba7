#pragma once
// A print target for window tests: each job goes to a PDF file, and the job's
// title, its document's tables and its first page (as an image) are kept.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <memory>

#include "printing/print_operation.h"
#include "printing/print_text_view.h"

namespace funds::testing {

class PdfCapture : public printing::PrintTarget {
public:
    explicit PdfCapture(QString path) : path_(path), pdf_(std::make_shared<printing::PdfPrintTarget>(path)) {}
    ~PdfCapture() override { QFile::remove(path_); }

    void print(std::shared_ptr<printing::PrintTextView> job, QWidget* window) override {
        pdf_->print(job, window);
        jobTitle = job->printJobTitle();
        tableRows.clear();
        for (QTextFrame* frame : job->document().rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame)) tableRows.push_back(table->rows());
        text = job->document().toPlainText();
        // The first page at 100 dpi on A4's printable part.
        firstPage = QImage(744, 1070, QImage::Format_RGB32);
        firstPage.setDotsPerMeterX(3937);
        firstPage.setDotsPerMeterY(3937);
        firstPage.fill(Qt::white);
        const auto pages = job->paginate(firstPage, firstPage.size());
        QPainter painter(&firstPage);
        if (pages->pageCount() > 0) pages->paintPage(painter, 0);
    }

    int printed() const { return pdf_->printed(); }
    QByteArray bytes() const {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The page objects in the file.
    int pageCount() const { return int(bytes().count("/Type /Page\n")); }

    QString jobTitle;
    QString text;
    std::vector<int> tableRows;  // the rows of each table of the document
    QImage firstPage;

private:
    QString path_;
    std::shared_ptr<printing::PdfPrintTarget> pdf_;
};

}  // namespace funds::testing
