// Lays out and prints to PDF a table of 5,000 rows by 10 columns, against the
// same texts as plain paragraphs (no table) printed to PDF in the same run:
// the job a table print makes (painted above kPaintedTableRows rows), and the
// text-document road forced for the same rows. Three rounds; min and median.
// Offscreen.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTextCursor>
#include <cstdio>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "printing/print_operation.h"
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

// Makes a job, then prints it to a PDF file.
Timing run(const QString& path, const std::function<std::shared_ptr<printing::PrintTextView>()>& make) {
    QElapsedTimer timer;
    timer.start();
    const auto job = make();
    Timing out;
    out.layoutMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!job->printOn(printer)) std::fprintf(stderr, "print failed\n");
    out.printMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return out;
}

struct Rounds {
    std::vector<double> totals;
    double min() const { return *std::min_element(totals.begin(), totals.end()); }
    double median() const {
        auto v = totals;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const printing::TableRows rows = makeRows();
    const QString pdf = QDir::tempPath() + "/table_print_bench.pdf";

    const auto document = [&] {
        auto job = std::make_shared<printing::PrintTextView>("bench");
        QTextCursor cursor(&job->document());
        printing::TablePrint().attributedStringFromItems(rows, cursor);
        return job;
    };
    const auto printed = [&] { return printing::tableJob(rows, "bench"); };
    const auto plain = [&] {
        auto job = std::make_shared<printing::PrintTextView>("bench");
        QTextCursor cursor(&job->document());
        cursor.beginEditBlock();
        for (const QStringList& row : rows) {
            cursor.insertText(row.join("  "));
            cursor.insertBlock();
        }
        cursor.endEditBlock();
        return job;
    };
    constexpr int kRounds = 3;
    Rounds table, road, paragraphs;
    for (int round = 0; round < kRounds; ++round) {
        for (auto [make, into] : {std::pair{std::function(printed), &table}, std::pair{std::function(document), &road},
                                  std::pair{std::function(plain), &paragraphs}}) {
            const Timing t = run(pdf, make);
            into->totals.push_back(t.layoutMs + t.printMs);
        }
    }
    const auto report = [](const char* name, const Rounds& r) {
        std::printf("%-34s min %9.1f ms  median %9.1f ms   %9.0f rows/s (min)\n", name, r.min(), r.median(),
                    (kRows + 1) / (r.min() / 1000.0));
    };
    std::printf("table printing, %d rows x %d columns, to PDF, %d rounds\n", kRows, kColumns, kRounds);
    report("table print (tableJob: painted)", table);
    report("text-document road (TablePrint)", road);
    report("plain paragraphs (baseline)", paragraphs);
    std::printf("ratio table print / plain: min %.2f  median %.2f\n", table.min() / paragraphs.min(),
                table.median() / paragraphs.median());
    std::printf("ratio text-document road / plain: min %.2f  median %.2f\n", road.min() / paragraphs.min(),
                road.median() / paragraphs.median());
    QFile::remove(pdf);
    return 0;
}
