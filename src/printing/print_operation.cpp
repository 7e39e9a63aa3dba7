#include "printing/print_operation.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>

#include "printing/consolidated_table_data.h"
#include "printing/print_text_view.h"
#include "printing/table_print.h"

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
        QObject::connect(dialog, &QDialog::accepted, dialog, [job, printer] { job->printOn(*printer); });
        dialog->open();
    }
};

std::shared_ptr<PrintTarget>& installed() {
    static std::shared_ptr<PrintTarget> target;
    return target;
}

}  // namespace

void PrintTarget::install(std::shared_ptr<PrintTarget> target) { installed() = std::move(target); }

void PdfPrintTarget::print(std::shared_ptr<PrintTextView> job, QWidget*) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    ++(job->printOn(printer) ? printed_ : failed_);
}

void runPrintOperation(std::shared_ptr<PrintTextView> job, QWidget* window) {
    if (!job) return;
    if (std::shared_ptr<PrintTarget> target = installed()) {
        target->print(std::move(job), window);
        return;
    }
    DialogPrintTarget().print(std::move(job), window);
}

void printTableView(QWidget* window, const QTableView& view, int rowCount, const QString& jobTitle,
                    std::int64_t language) {
    auto job = std::make_shared<PrintTextView>(jobTitle);
    QTextCursor cursor(&job->document());
    TablePrint().attributedStringFromItems(ConsolidatedTableData::getConsolidatedDataFromTableView(view, rowCount, language),
                                           cursor);
    runPrintOperation(std::move(job), window);
}

}  // namespace printing
