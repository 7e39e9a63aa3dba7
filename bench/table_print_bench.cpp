// Lays out and prints to PDF a table of 5,000 rows by 10 columns, against the
// same texts as plain paragraphs (no table) printed to PDF in the same run.
// Offscreen.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTextCursor>
#include <cstdio>
#include <functional>

#include "printing/print_text_view.h"
#include "printing/table_print.h"

namespace {

constexpr int kRows = 5000;
constexpr int kColumns = 10;

printing::TableRows makeRows() {
    printing::TableRows rows;
    QStringList header;
    for (int c = 0; c < kColumns; ++c) header << QString("Column %1").arg(c);
    rows << header;
    for (int r = 0; r < kRows; ++r) {
        QStringList row;
        for (int c = 0; c < kColumns; ++c) row << QString::number(1000.25 + r * 7 + c, 'f', 2);
        rows << row;
    }
    return rows;
}

struct Timing {
    double layoutMs = 0;
    double printMs = 0;
};

// Fills a job, then prints it to a PDF file.
Timing run(const QString& path, const std::function<void(QTextCursor&)>& fill) {
    QElapsedTimer timer;
    timer.start();
    printing::PrintTextView job("bench");
    QTextCursor cursor(&job.document());
    fill(cursor);
    Timing out;
    out.layoutMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!job.printOn(printer)) std::fprintf(stderr, "print failed\n");
    out.printMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const printing::TableRows rows = makeRows();
    const QString folder = QDir::tempPath();

    const Timing table = run(folder + "/table_print_bench_table.pdf", [&](QTextCursor& cursor) {
        printing::TablePrint().attributedStringFromItems(rows, cursor);
    });
    const Timing plain = run(folder + "/table_print_bench_plain.pdf", [&](QTextCursor& cursor) {
        cursor.beginEditBlock();
        for (const QStringList& row : rows) {
            cursor.insertText(row.join("  "));
            cursor.insertBlock();
        }
        cursor.endEditBlock();
    });
    const auto report = [](const char* name, const Timing& t) {
        const double total = t.layoutMs + t.printMs;
        std::printf("%-22s build %9.1f ms   layout+print %9.1f ms   total %9.1f ms   %9.0f rows/s\n", name,
                    t.layoutMs, t.printMs, total, (kRows + 1) / (total / 1000.0));
    };
    std::printf("table printing, %d rows x %d columns, to PDF\n", kRows, kColumns);
    report("table (TablePrint)", table);
    report("plain paragraphs", plain);
    std::printf("ratio table / plain: %.2f\n", (table.layoutMs + table.printMs) / (plain.layoutMs + plain.printMs));
    QFile::remove(folder + "/table_print_bench_table.pdf");
    QFile::remove(folder + "/table_print_bench_plain.pdf");
    return 0;
}
