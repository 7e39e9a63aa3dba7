#pragma once
// A print target for window tests: each job goes to a PDF file; the job's
// title, text, table row counts and first page (100 dpi, A4) are kept.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextFrame>
#include <QTextTable>
#include <memory>

#include "printing/print_operation.h"
#include "printing/print_text_view.h"

namespace funds::testing {

class PdfCapture : public printing::PdfPrintTarget {
public:
    explicit PdfCapture(const QString& path) : PdfPrintTarget(path), path_(path) {}
    ~PdfCapture() override { QFile::remove(path_); }

    void print(std::shared_ptr<printing::PrintTextView> job, QWidget* window) override {
        PdfPrintTarget::print(job, window);
        jobTitle = job->printJobTitle();
        text = job->document().toPlainText();
        tableRows.clear();
        for (QTextFrame* frame : job->document().rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame)) tableRows.push_back(table->rows());
        firstPage = QImage(744, 1070, QImage::Format_RGB32);
        firstPage.setDotsPerMeterX(3937);
        firstPage.setDotsPerMeterY(3937);
        firstPage.fill(Qt::white);
        const auto pages = job->paginate(firstPage, firstPage.size());
        QPainter painter(&firstPage);
        if (pages->pageCount() > 0) pages->paintPage(painter, 0);
    }
    QByteArray bytes() const {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int pageCount() const { return int(bytes().count("/Type /Page\n")); }

    QString jobTitle, text;
    std::vector<int> tableRows;
    QImage firstPage;

private:
    QString path_;
};

}  // namespace funds::testing
