#pragma once
// The print recipe of the windows: a job goes to the print target, by default
// the print dialog, window-modal on the window; the job prints when the user
// accepts it and the outcome is not reported back. Main thread.
#include <QString>
#include <cstdint>
#include <memory>

#include "printing/consolidated_table_data.h"

class QPrinter;
class QTableView;
class QWidget;

namespace printing {

class PrintTextView;

class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual void print(std::shared_ptr<PrintTextView> job, QWidget* window) = 0;

    // Where runPrintOperation sends its jobs; null restores the print dialog.
    static void install(std::shared_ptr<PrintTarget> target);
};

// Prints each job to one PDF file, with no dialog.
class PdfPrintTarget : public PrintTarget {
public:
    explicit PdfPrintTarget(QString path) : path_(std::move(path)) {}
    void print(std::shared_ptr<PrintTextView> job, QWidget* window) override;
    int printed() const { return printed_; }
    int failed() const { return failed_; }

private:
    QString path_;
    int printed_ = 0;
    int failed_ = 0;
};

void runPrintOperation(std::shared_ptr<PrintTextView> job, QWidget* window);

// Prints the job on the printer page by page; a print that runs for more than
// half a second shows its progress, window-modal on `window`, with a cancel
// button that stops it (false, as a failed print).
bool printWithProgress(PrintTextView& job, QPrinter& printer, QWidget* window);

// A job of one table under its title: a table of more than kPaintedTableRows
// rows is painted page by page, a shorter one laid out as a text document.
std::shared_ptr<PrintTextView> tableJob(const TableRows& rows, const QString& jobTitle);

// The recipe for one table: the view's visible columns and `rowCount` rows,
// laid out with the table defaults, printed under the job title.
void printTableView(QWidget* window, const QTableView& view, int rowCount, const QString& jobTitle,
                    std::int64_t language);

}  // namespace printing
