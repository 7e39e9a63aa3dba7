#include "printing/print_operation.h"

#include <QFile>
#include <QPointer>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPrinter>
#include <QTextCursor>

#include "model/language_string.h"
#include "printing/consolidated_table_data.h"
#include "printing/painted_body.h"
#include "printing/print_text_view.h"
#include "printing/table_print.h"
#include "kit/own_text.h"

namespace printing {

namespace {

class DialogPrintTarget : public PrintTarget {
public:
    void print(std::shared_ptr<PrintTextView> job, QWidget* window) override {
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer->setDocName(job->printJobTitle());
        auto* dialog = new QPrintDialog(printer.get(), window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(job->printJobTitle());
        // The printer goes with the dialog's connection, after the dialog.
        QObject::connect(dialog, &QDialog::accepted, dialog, [job, printer, window = QPointer<QWidget>(window)] {
            printWithProgress(*job, *printer, window);
        });
        dialog->open();
    }
};

std::shared_ptr<PrintTarget>& installed() {
    static std::shared_ptr<PrintTarget> target;
    return target;
}

}  // namespace

void PrintTarget::install(std::shared_ptr<PrintTarget> target) { installed() = std::move(target); }

void PdfPrintTarget::print(std::shared_ptr<PrintTextView> job, QWidget* window) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    ++(printWithProgress(*job, printer, window) ? printed_ : failed_);
}

void runPrintOperation(std::shared_ptr<PrintTextView> job, QWidget* window) {
    if (!job) return;
    if (std::shared_ptr<PrintTarget> target = installed()) {
        target->print(std::move(job), window);
        return;
    }
    DialogPrintTarget().print(std::move(job), window);
}

bool printWithProgress(PrintTextView& job, QPrinter& printer, QWidget* window) {
    const auto text = [&](const char* key) {
        return kit::tableText(job.language(), key);
    };
    QProgressDialog progress(text("90400"), text("90401"), 0, 1, window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setWindowTitle(job.printJobTitle());
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setValue(0);
    // A file the print makes is its owner's alone, as every file the client
    // makes: made empty with that mode before the printer writes into it.
    QFile file(printer.outputFileName());
    const bool madeHere = !file.fileName().isEmpty() && !file.exists() && file.open(QIODevice::WriteOnly) &&
                          file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.close();
    const bool printed = job.printOn(printer, [&progress](int done, int total) {
        if (progress.maximum() != total) progress.setMaximum(total);
        progress.setValue(done);  // shows the dialog once the print runs long, and lets it be used
        return !progress.wasCanceled();
    });
    if (madeHere && !printed) file.remove();
    progress.reset();
    return printed;
}

std::shared_ptr<PrintTextView> tableJob(const TableRows& rows, const QString& jobTitle) {
    auto job = std::make_shared<PrintTextView>(jobTitle);
    const TablePrint table;
    if (rows.size() > kPaintedTableRows) {
        auto body = std::make_shared<PaintedBody>();
        body->addTable(rows, table);
        job->setPaintedBody(std::move(body));
        return job;
    }
    QTextCursor cursor(&job->document());
    table.attributedStringFromItems(rows, cursor);
    return job;
}

void printTableView(QWidget* window, const QTableView& view, int rowCount, const QString& jobTitle,
                    std::int64_t language) {
    auto job = tableJob(ConsolidatedTableData::getConsolidatedDataFromTableView(view, rowCount, language), jobTitle);
    job->setLanguage(language);
    runPrintOperation(std::move(job), window);
}

}  // namespace printing
