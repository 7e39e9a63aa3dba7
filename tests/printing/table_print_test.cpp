// Reading a table view into rows, the table's layout rules, and printing to PDF.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextTable>
#include <climits>
#include <functional>

#include "kit/qt_test_app.h"
#include "platform/log.h"
#include "printing/consolidated_table_data.h"
#include "printing/painted_body.h"
#include "printing/print_operation.h"
#include "printing/print_text_view.h"
#include "printing/table_print.h"

namespace printing {
namespace {

// Columns named by `ids`; cell (r, c) reads "r.c", but (1, 1) has no value.
struct TestTable {
    QStandardItemModel model;
    QTableView view;
    TestTable(const QStringList& ids, int rows) : model(rows, static_cast<int>(ids.size())) {
        for (int c = 0; c < ids.size(); ++c) model.setHeaderData(c, Qt::Horizontal, ids[c], kColumnIdentifierRole);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < ids.size(); ++c)
                if (r != 1 || c != 1) model.setItem(r, c, new QStandardItem(QString("%1.%2").arg(r).arg(c)));
        view.setModel(&model);
    }
};

// The rows laid out in a new document; its table, if one was made.
QTextTable* layOut(QTextDocument& document, const TableRows& rows, const TablePrint& print = {}) {
    QTextCursor cursor(&document);
    print.attributedStringFromItems(rows, cursor);
    return qobject_cast<QTextTable*>(document.rootFrame()->childFrames().value(0));
}

TEST(ConsolidatedTableData, ReadsVisibleColumnsInScreenOrderAndCapsTheRows) {
    const QStringList header{"Quantity", "Account", "12345"};  // "27" and "12" are keys "0027" and "0012"
    const struct {
        std::function<void(QTableView&)> arrange;
        int rowCount;
        TableRows expected;
    } cases[] = {
        {nullptr, 2, {header, {"0.0", "0.1", "0.2"}, {"1.0", "", "1.2"}}},
        {[](QTableView& v) { v.setColumnHidden(1, true); }, 1, {{"Quantity", "12345"}, {"0.0", "0.2"}}},
        {[](QTableView& v) { v.horizontalHeader()->moveSection(2, 0); }, 1,
         {{"12345", "Quantity", "Account"}, {"0.2", "0.0", "0.1"}}},
        {nullptr, 1000, {header, {"0.0", "0.1", "0.2"}, {"1.0", "", "1.2"}, {"2.0", "2.1", "2.2"}}},
        {nullptr, -4, {header}},
        {[](QTableView& v) { for (int c = 0; c < 3; ++c) v.setColumnHidden(c, true); }, 3, {{}, {}, {}, {}}},
    };
    for (const auto& c : cases) {
        TestTable table({"27", "12", "12345"}, 3);
        if (c.arrange) c.arrange(table.view);
        EXPECT_EQ(ConsolidatedTableData::getConsolidatedDataFromTableView(table.view, c.rowCount, 0), c.expected)
            << "case " << (&c - cases);
    }
    QTextDocument none;
    EXPECT_FALSE(layOut(none, {{}, {}}));
    EXPECT_EQ(none.toPlainText(), "\n\n");  // no columns: two line breaks
}

TEST(TablePrint, RowColoursAndTextStylesFollowTheirOrder) {
    // One letter per cell of rows 0-6 of columns 0 and 1: background H header,
    // A alternate, W row; text colour h header, a alternate, . row.
    const struct {
        bool headerRow, headerColumn, alternateRows, alternateTextRows;
        const char* background[2];
        const char* text[2];
    } cases[] = {
        {true, false, true, false, {"HWAWAWA", "HWAWAWA"}, {"h......", "h......"}},
        {false, false, true, false, {"WAWAWAW", "WAWAWAW"}, {".......", "......."}},
        {true, true, true, false, {"HHHHHHH", "HWAWAWA"}, {"hhhhhhh", "h......"}},
        {true, false, false, true, {"HWWWWWW", "HWWWWWW"}, {"h.a.a.a", "h.a.a.a"}},
        {false, true, true, true, {"HHHHHHH", "WAWAWAW"}, {"hhhhhhh", ".a.a.a."}},
    };
    for (const auto& c : cases) {
        TablePrint print;
        print.headerRow = c.headerRow;
        print.headerColumn = c.headerColumn;
        print.alternateRows = c.alternateRows;
        print.alternateTextRows = c.alternateTextRows;
        print.alternateRowColor = QColor(200, 220, 255);
        print.alternateRowTextStyle.setForeground(Qt::red);
        print.headerTextStyle.setForeground(Qt::blue);
        QTextDocument document;
        QTextTable* table = layOut(document, TableRows(7, QStringList{"x", ""}), print);
        ASSERT_TRUE(table);
        for (int col = 0; col < 2; ++col) {
            std::string background, text;
            for (int r = 0; r < 7; ++r) {
                const QTextTableCell cell = table->cellAt(r, col);
                const QColor bg = cell.format().background().color();
                background += bg == print.headerColor ? 'H' : bg == print.alternateRowColor ? 'A' : 'W';
                const QColor fg = cell.firstCursorPosition().blockCharFormat().foreground().color();
                text += fg == Qt::blue ? 'h' : fg == Qt::red ? 'a' : '.';
            }
            EXPECT_EQ(background, c.background[col]) << "case " << (&c - cases) << " column " << col;
            EXPECT_EQ(text, c.text[col]) << "case " << (&c - cases) << " column " << col;
        }
    }
}

TEST(TablePrint, CellsHoldOneParagraphOfPlainTextAndEmptyCellsKeepTheirHeight) {
    QTextDocument document;
    QTextTable* table = layOut(document, {{"<b>x</b>", ""}, {"a", ""}});
    ASSERT_TRUE(table);
    const auto block = [&](int r, int c) { return table->cellAt(r, c).firstCursorPosition().block(); };
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(table->cellAt(r, c).lastCursorPosition().block(), block(r, c));
    EXPECT_EQ(block(0, 0).text(), "<b>x</b>");  // never read as markup
    EXPECT_EQ(block(1, 0).charFormat().fontPointSize(), 8.0);
    const auto height = [&](int r, int c) { return document.documentLayout()->blockBoundingRect(block(r, c)).height(); };
    EXPECT_EQ(height(1, 1), height(1, 0));
    EXPECT_EQ(document.toPlainText().count('\n'), 6);  // four cells, the closing break and the block after it
}

// A table too wide for the page splits into bands of columns, each led by
// column 0, at the text's own size; no cell text breaks.
TEST(TablePrint, ATableTooWideForThePageSplitsIntoBandsAtItsSize) {
    const struct {
        int columns;
        bool split;
    } cases[] = {{4, false}, {18, true}};
    for (const auto& c : cases) {
        QTextDocument document;
        QTextOption wrap = document.defaultTextOption();
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // as printed
        document.setDefaultTextOption(wrap);
        document.setPageSize(QSizeF(700, 1000));
        TableRows rows(2);
        for (int i = 0; i < c.columns; ++i) {
            rows[0] << QString("Column %1").arg(i);
            rows[1] << "-12345.00000";
        }
        QTextCursor cursor(&document);
        TablePrint().attributedStringFromItems(rows, cursor);
        document.documentLayout()->documentSize();
        std::vector<int> bands;
        for (QTextFrame* frame : document.rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            ASSERT_TRUE(table);
            bands.push_back(table->columns());
            EXPECT_EQ(table->cellAt(0, 0).firstCursorPosition().block().text(), "Column 0");
            for (int r = 0; r < 2; ++r)
                for (int col = 0; col < table->columns(); ++col) {
                    const QTextBlock block = table->cellAt(r, col).firstCursorPosition().block();
                    EXPECT_EQ(block.layout()->lineCount(), 1) << c.columns << " columns, cell " << r << "," << col;
                    EXPECT_EQ(block.charFormat().fontPointSize(), 8.0);
                }
        }
        EXPECT_EQ(bands.size() > 1, c.split) << c.columns;
        int columns = 1;  // column 0 once, the others in one band each
        for (int b : bands) columns += b - 1;
        EXPECT_EQ(columns, c.columns);
    }
}

TEST(TablePrint, ColumnBandsFitTheRoomLedByColumnZero) {
    using Bands = std::vector<std::vector<qsizetype>>;
    const auto room = [](double r) { return [r](qsizetype) { return r; }; };
    const struct {
        std::vector<double> widths;
        double room;
        Bands bands;
    } cases[] = {
        {{10, 20, 30}, 60, {{0, 1, 2}}},
        {{10, 20, 30}, 0, {{0, 1, 2}}},  // no page: nothing to split
        {{10, 20, 30}, 40, {{0, 1}, {0, 2}}},
        {{10, 50, 50}, 40, {{0, 1}, {0, 2}}},  // a column wider than the room goes alone
        {{10}, 5, {{0}}},
        {{}, 5, {{}}},
    };
    for (const auto& c : cases) EXPECT_EQ(columnBands(c.widths, c.room, room(c.room)), c.bands) << c.room;
}

class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(path);
        PrintTarget::install(target);
    }
    void TearDown() override {
        PrintTarget::install(nullptr);
        platform::Log::setSink(nullptr);
    }
    // The pages at 100 dpi on A4's printable part.
    static std::vector<QImage> render(PrintTextView& job) {
        QImage page(744, 1070, QImage::Format_RGB32);
        page.setDotsPerMeterX(3937);
        page.setDotsPerMeterY(3937);
        const auto pages = job.paginate(page, page.size());
        std::vector<QImage> out;
        for (int i = 0; i < pages->pageCount(); ++i) {
            page.fill(Qt::white);
            QPainter painter(&page);
            pages->paintPage(painter, i);
            painter.end();
            out.push_back(page.copy());
        }
        return out;
    }
    // Image lines in [top, bottom) where more than `least` pixels pass.
    static int lines(const QImage& page, int top, int bottom, const std::function<bool(QRgb)>& pass, int least) {
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            int hits = 0;
            for (int x = 0; x < page.width(); ++x) hits += pass(page.pixel(x, y));
            n += hits > least;
        }
        return n;
    }
    static bool dark(QRgb p) { return qGray(p) < 128; }

    QString path = QString(TC_BINARY_DIR) + "/printing_test.pdf";
    std::shared_ptr<PdfPrintTarget> target = std::make_shared<PdfPrintTarget>(path);
};

TEST_F(PrintToPdf, ALongTablePrintsPagesWithHeaderAndFooterAndTheTitle) {
    TestTable table({"11", "27", "12"}, 500);
    QWidget window;
    printTableView(&window, table.view, 500, "Delivery Receipt", 0);
    ASSERT_EQ(target->printed(), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GT(pdf.count("/Type /Page\n"), 1);
    QByteArray title("\xFE\xFF", 2);  // the document name, in UTF-16
    for (const QChar ch : QString("Delivery Receipt")) title.append('\0').append(ch.toLatin1());
    EXPECT_TRUE(pdf.contains(title));
    // The owner's alone, as every file the client makes.
    EXPECT_EQ(file.permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    PrintTextView job("Delivery Receipt");
    QTextCursor cursor(&job.document());
    TablePrint().attributedStringFromItems(ConsolidatedTableData::getConsolidatedDataFromTableView(table.view, 500, 0),
                                           cursor);
    const QPalette screen = QApplication::palette();
    QPalette night = screen;
    night.setColor(QPalette::Text, Qt::white);  // a dark theme's text
    QApplication::setPalette(night);
    const std::vector<QImage> pages = render(job);
    QApplication::setPalette(screen);
    ASSERT_GT(pages.size(), 1u);
    for (const QImage& page : pages) {  // title and date; "Page n of m"
        EXPECT_GT(lines(page, 0, 15, dark, 0), 0);
        EXPECT_GT(lines(page, 1055, 1070, dark, 0), 0);
    }
    EXPECT_GT(lines(pages[1], 30, 1040, dark, 0), 100);  // the body in black on the paper
    // The light-grey header row at the top of every page the table runs on; white rows ruled by the cells' borders.
    const auto headerGrey = [](QRgb p) { return p == qRgb(170, 170, 170); };
    for (const QImage& page : pages) EXPECT_GT(lines(page, 0, 80, headerGrey, 670), 2);
    EXPECT_EQ(lines(pages[1], 80, 1070, headerGrey, 670), 0);
    EXPECT_GT(lines(pages[1], 0, 1070, [](QRgb p) { return qGray(p) < 255 && p != qRgb(170, 170, 170); }, 670), 50);
    QDir().mkpath(QString(TC_BINARY_DIR) + "/screenshots");
    EXPECT_TRUE(pages[0].save(QString(TC_BINARY_DIR) + "/screenshots/table_print-first-page.png"));
}

TEST_F(PrintToPdf, AHugeCellWrapsInItsColumnAndPrints) {
    auto job = std::make_shared<PrintTextView>("huge");
    QTextCursor cursor(&job->document());
    TablePrint().attributedStringFromItems({{"a", "b"}, {QString(100000, 'x'), "y"}}, cursor);
    EXPECT_EQ(render(*job).size(), 1u);  // cut to kMaxPrintedCellChars
    const QTextBlock cell = job->document().findBlock(job->document().toPlainText().indexOf('x'));
    EXPECT_GT(cell.layout()->lineCount(), 3);  // unbroken, it would be one line
    runPrintOperation(job, nullptr);
    EXPECT_EQ(target->printed(), 1);
}

TEST_F(PrintToPdf, AFailedPrintIsLoggedAndTheWindowStaysUsableAsWithoutATargetTheDialogIsModalOnIt) {
    std::vector<std::string> errors;
    platform::Log::setSink([&](platform::LogLevel level, const std::string& m) {
        if (level == platform::LogLevel::Error) errors.push_back(m);
    });
    auto refusing = std::make_shared<PdfPrintTarget>("/nonexistent-folder/x.pdf");
    PrintTarget::install(refusing);
    TestTable table({"11"}, 3);
    QWidget window;
    window.show();
    printTableView(&window, table.view, 3, "t", 0);
    EXPECT_EQ(refusing->failed(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Print failed"), std::string::npos);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(QApplication::activeModalWidget());

    PrintTarget::install(nullptr);
    printTableView(&window, table.view, 3, "Statement", 0);
    auto* dialog = window.findChild<QDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    dialog->reject();
    EXPECT_TRUE(kit::testing::runUntil([&] { return !window.findChild<QDialog*>(); }));
}

TEST_F(PrintToPdf, APaintedBodyBreaksItsRowsIntoPagesAndFitsWideTablesToTheWidth) {
    // 3001 rows of about 10 points (more with a taller default font) in about
    // 700 points a page; a text twenty times the page's width is elided, the
    // table keeps its size.
    const struct {
        int wideText;
        std::size_t fewest, most;
    } cases[] = {{8, 40, 60}, {2000, 40, 60}};
    for (const auto& c : cases) {
        TableRows rows{{"Id", "Text"}};
        for (int r = 0; r < 3000; ++r) rows.append({QString::number(r), QString(r == 7 ? c.wideText : 8, 'x')});
        auto body = std::make_shared<PaintedBody>();
        body->addText("Title\n", {20, Qt::darkGray, {}, true});
        body->addTable(rows, TablePrint());
        auto job = std::make_shared<PrintTextView>("painted");
        job->setPaintedBody(body);
        const std::vector<QImage> pages = render(*job);
        ASSERT_GE(pages.size(), c.fewest) << c.wideText;
        ASSERT_LE(pages.size(), c.most) << c.wideText;
        EXPECT_EQ(int(pages.size()), body->pageCount());
        const auto headerGrey = [](QRgb p) { return p == qRgb(170, 170, 170); };
        EXPECT_GT(lines(pages[0], 0, 1070, headerGrey, 600), 0);  // the header row across the width
        for (const QImage& page : {pages[1], pages.back()}) {  // again at the top of every further page
            EXPECT_GT(lines(page, 0, 60, headerGrey, 600), 0);
            EXPECT_EQ(lines(page, 60, 1070, headerGrey, 600), 0);
            EXPECT_GT(lines(page, 1055, 1070, dark, 0), 0);  // "Page n of m"
            EXPECT_GT(lines(page, 30, 100, [](QRgb p) { return qGray(p) < 250; }, 0), 5);  // rows from the top
        }
        QFile::remove(path);
        runPrintOperation(job, nullptr);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_GE(file.readAll().count("/Type /Page\n"), qsizetype(c.fewest) * 3 / 4);  // the printer's paper
        if (c.wideText == 8) {
            EXPECT_TRUE(pages[0].save(QString(TC_BINARY_DIR) + "/screenshots/painted_print-first-page.png"));
        }
    }
    EXPECT_EQ(target->printed(), 2);
}

// A paint device that keeps the texts painted on it.
class TextRecorder : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine_; }
    const QStringList& texts() const { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth: return 744;
            case PdmHeight: return 1070;
            case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 100;
            case PdmWidthMM: return 189;
            case PdmHeightMM: return 272;
            case PdmDepth: return 32;
            case PdmNumColors: return INT_MAX;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
            default: return 0;
        }
    }

private:
    struct Engine : QPaintEngine {
        QStringList texts;
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts.append(item.text()); }
        Type type() const override { return User; }
    };
    mutable Engine engine_;
};

QStringList printedTexts(PrintTextView& job, const QDateTime& at = QDateTime::currentDateTime()) {
    TextRecorder device;
    const auto pages = job.paginate(device, QSizeF(744, 1070), at);
    QPainter painter(&device);
    for (int i = 0; i < pages->pageCount(); ++i) pages->paintPage(painter, i);
    return device.texts();
}

// Edge rows through both roads: the first, one with an empty cell, markup
// and entities, one past a page break, the last.
TEST(TablePrint, ThePaintedAndTheDocumentRoadsPrintTheSameCellTexts) {
    TableRows rows{{"Time", "Code", "Amount"}};
    for (int r = 1; r <= 150; ++r) rows.append({QString("09:%1").arg(r), QString("C%1").arg(r), QString::number(r * 1.25, 'f', 2)});
    rows[2] = {"<b>bold</b>", "", "&amp; <a href=\"file:///x\">x</a>"};
    rows[3] = {"\u00dcml\u00e4ut \u20ac", "-0.00", "1,234.50"};
    PrintTextView document("doc");
    QTextCursor cursor(&document.document());
    TablePrint().attributedStringFromItems(rows, cursor);
    PrintTextView painted("painted");
    auto body = std::make_shared<PaintedBody>();
    body->addTable(rows, TablePrint());
    painted.setPaintedBody(body);
    // A fixed clock: the page header's time must not read "..:09:..".
    const QDateTime at(QDate(2026, 12, 9), QTime(14, 5, 7));
    const QStringList byDocument = printedTexts(document, at), byPainting = printedTexts(painted, at);
    for (int r : {0, 1, 2, 3, 60, 61, 62, 149, 150})
        for (const QString& cell : rows[r]) {
            if (cell.isEmpty()) continue;
            EXPECT_TRUE(byDocument.contains(cell)) << r << " " << cell.toStdString();
            EXPECT_TRUE(byPainting.contains(cell)) << r << " " << cell.toStdString();
        }
    EXPECT_EQ(byPainting.filter("09:").size(), 148);
    EXPECT_EQ(byDocument.filter("09:").size(), 148);
    // The header again on each further page; the page header's date as the prints' dates read.
    for (const QStringList* texts : {&byDocument, &byPainting}) EXPECT_GT(texts->count("Amount"), 1);
    EXPECT_TRUE(byPainting.contains("12/09/2026 14:05:07"));
}

TEST_F(PrintToPdf, LongTablesArePaintedLongCellsCutAndAPrintStopsWhenCancelled) {
    const auto table = [](int records, int cellChars) {
        TableRows rows{{"Id", "Text"}};
        for (int r = 0; r < records; ++r) rows.append({QString::number(r), QString(r == 0 ? cellChars : 4, 'x')});
        return rows;
    };
    EXPECT_FALSE(tableJob(table(kPaintedTableRows - 1, 4), "t")->paintedBody());
    EXPECT_TRUE(tableJob(table(kPaintedTableRows, 4), "t")->paintedBody());

    // A cell longer than a page of text is cut on the document road ...
    auto shortJob = tableJob(table(3, 100000), "t");
    const QString kept = shortJob->document().toPlainText();
    EXPECT_LT(kept.size(), kMaxPrintedCellChars + 100);
    EXPECT_TRUE(kept.contains(QString(kMaxPrintedCellChars - 1, 'x') + QChar(0x2026)));
    // ... and 100,000 rows with it on the painted road lay out in pages, the
    // long cell elided to half the page, the other rows at their size.
    auto longJob = tableJob(table(100000, 100000), "t");
    ASSERT_TRUE(longJob->paintedBody());
    const std::vector<QImage> none;
    TextRecorder device;
    const auto pages = longJob->paginate(device, QSizeF(744, 1070));
    EXPECT_GT(pages->pageCount(), 1000);
    EXPECT_LT(pages->pageCount(), 2500);

    // Cancelled at its second page, a print stops and reports it.
    std::vector<int> heard;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    EXPECT_FALSE(longJob->printOn(printer, [&](int done, int) {
        heard.push_back(done);
        return done < 1;
    }));
    EXPECT_EQ(heard, (std::vector<int>{0, 1}));
    auto small = tableJob(table(3, 4), "small");
    heard.clear();
    QPrinter other(QPrinter::HighResolution);
    other.setOutputFormat(QPrinter::PdfFormat);
    other.setOutputFileName(path);
    EXPECT_TRUE(small->printOn(other, [&](int done, int total) {
        heard.push_back(done * 10 + total);
        return true;
    }));
    EXPECT_EQ(heard, (std::vector<int>{1, 11}));
}

}  // namespace
}  // namespace printing
