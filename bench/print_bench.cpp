// The printed account statement of 10,000 open positions and 1,000 rows in
// each other detail table, offscreen to PDF (painted page by page, being
// long): the build and the output, with the process's peak memory, against the same texts printed as
// plain paragraphs (one per table row) in the same run. The baseline runs
// first, so the peak after it is its own.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTableView>
#include <QTextCursor>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>

#include "kit/core/preference_manager.h"
#include "kit/qt_main_executor.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "printing/consolidated_table_data.h"
#include "printing/painted_body.h"
#include "printing/print_text_view.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "silent_ui.h"
#include "statement_bench_data.h"
#include "state/data_service_answers.h"
#include "state/session_view.h"
#include "support/session_test_access.h"
#include "table_bench.h"

namespace {

constexpr int kOpen = 10000;
constexpr int kOther = 1000;

// Instruments, open positions, pending orders and settled positions.
std::string statementXml() {
    std::string xml = "<NewDataSet>";
    for (int i = 1; i <= kOther; ++i) xml += bench::statementInstrument(i);
    for (int i = 0; i < kOpen; ++i) xml += bench::statementOpenPosition(i, 1 + i % kOther);
    for (int i = 0; i < kOther; ++i) {
        using bench::element;
        xml += "<Table2>" + element("PendingOrderId", bench::text("P", i + 1)) + element("AccountId", "1001") +
               element("InstrumentId", std::to_string(1 + i)) + element("OrderQty", "2") +
               element("LimitPrice", "1790.5") + element("OrderDate", "2026-11-06T09:00:00") + "</Table2>";
        xml += bench::statementSettledPosition(i, 1 + i);
    }
    return xml + "</NewDataSet>";
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Figures {
    double buildMs = 0;
    double outputMs = 0;
    int pages = 0;
    double peakMb = 0;
    qint64 bytes = 0;
};

Figures printToPdf(const std::function<std::shared_ptr<printing::PrintTextView>()>& build, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<printing::PrintTextView> job = build();
    Figures out;
    out.buildMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!job->printOn(printer)) std::fprintf(stderr, "print failed\n");
    out.outputMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    out.pages = job->paintedBody() ? job->paintedBody()->pageCount() : job->document().pageCount();
    out.peakMb = peakMegabytes();
    out.bytes = QFile(path).size();
    QFile::remove(path);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setStyle("Fusion");
    QApplication application(argc, argv);
    auto executor = kit::QtMainExecutor::install();
    const std::string prefsPath = (std::filesystem::temp_directory_path() / "print_bench_prefs").string();
    {
        platform::Preferences store(prefsPath);
        kit::PreferenceManager preferences(store);
        bench::SilentUi ui;
        state::SessionParts parts;
        parts.outgoing = [](const protocol::RequestMessage&) { return true; };
        auto session = state::BusinessBase::create(ui, ui, std::move(parts));
        bench::TableContext tables(session, ui, preferences);
        kit::WindowContext& context = tables.context;
        context.text = [](const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); };
        context.theme = [] { return std::int64_t{0}; };

        reports::AccountStatementWindowController window(context);
        window.windowDidAppear();
        state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
            statementXml(), std::nullopt, "getdsaccountstatement", protocol::RequestKind{1023, "getdsaccountstatement", 0, 0});
        // The cancelled orders come with another answer, which needs the
        // session's accounts: the bench writes them straight into the record.
        auto& statement = const_cast<model::AccountStatementInfo&>(context.view.accountStatement());
        for (int i = 0; i < kOther; ++i) {
            auto order = std::make_shared<model::Order>();
            order->setCancelledOrderId("C" + std::to_string(i + 1));
            order->ItemCode = "I" + std::to_string(1 + i);
            order->OrderQty = "3";
            statement.cancelledOrderInfo.push_back(std::move(order));
        }
        window.accountStatementUpdate();
        window.flushPendingFit();  // the column fit, spread over turns on screen, ends before the timing
        QApplication::processEvents();
        const double loadedMb = peakMegabytes();

        // The baseline: every table's texts, a paragraph per row, cells two blanks apart.
        const auto plain = [&] {
            auto job = std::make_shared<printing::PrintTextView>("plain");
            QTextCursor cursor(&job->document());
            cursor.beginEditBlock();
            for (const QTableView* view : window.tableViews)
                for (const QStringList& row :
                     printing::ConsolidatedTableData::getConsolidatedDataFromTableView(*view, view->model()->rowCount(), 0)) {
                    cursor.insertText(row.join("  "));
                    cursor.insertBlock();
                }
            cursor.endEditBlock();
            return job;
        };
        const QString folder = QDir::tempPath();
        const Figures base = printToPdf(plain, folder + "/print_bench_plain.pdf");
        const Figures printed = printToPdf([&] { return window.printJob(); }, folder + "/print_bench_statement.pdf");

        std::printf("printed statement: %d open positions, %d rows in each other detail table, to PDF (offscreen)\n",
                    window.openPositionHistoryTableController->rowCount(), kOther);
        std::printf("  peak memory with the statement loaded: %8.1f MB\n", loadedMb);
        const auto report = [](const char* name, const Figures& f) {
            std::printf("  %-20s build %9.1f ms   output %9.1f ms   total %9.1f ms   %5d pages  %7.1f MB pdf  peak %7.1f MB\n",
                        name, f.buildMs, f.outputMs, f.buildMs + f.outputMs, f.pages, f.bytes / 1048576.0, f.peakMb);
        };
        report("plain paragraphs", base);
        report("statement", printed);
        std::printf("  ratio statement / plain: %.2f (time)\n",
                    (printed.buildMs + printed.outputMs) / (base.buildMs + base.outputMs));
        // Page one at 100 dpi, for a look.
        QImage page(744, 1070, QImage::Format_RGB32);
        page.setDotsPerMeterX(3937);
        page.setDotsPerMeterY(3937);
        page.fill(Qt::white);
        QPainter painter(&page);
        window.printJob()->paginate(page, page.size())->paintPage(painter, 0);
        painter.end();
        const QString png = folder + "/print_bench_page1.png";
        if (page.save(png)) std::printf("  page one: %s\n", qPrintable(png));
    }
    std::filesystem::remove(prefsPath);
    platform::MainExecutor::install(nullptr);
    return 0;
}
