// Reading a table view into rows, the table's layout rules, and printing to PDF.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextTable>
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

TEST(TablePrint, ATableTooWideForThePageIsPrintedSmallerSoNoTextBreaksInItsCell) {
    const struct {
        int columns;
        bool smaller;
    } cases[] = {{4, false}, {17, true}};
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
        QTextTable* table = layOut(document, rows);
        ASSERT_TRUE(table);
        document.documentLayout()->documentSize();
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < c.columns; ++col) {
                const QTextBlock block = table->cellAt(r, col).firstCursorPosition().block();
                EXPECT_EQ(block.layout()->lineCount(), 1) << c.columns << " columns, cell " << r << "," << col;
                EXPECT_EQ(block.charFormat().fontPointSize() < 8.0, c.smaller);
                EXPECT_GE(block.charFormat().fontPointSize(), 3.0);
            }
    }
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
    // The light-grey header row on the first page only; white rows ruled by the cells' borders.
    const auto headerGrey = [](QRgb p) { return p == qRgb(170, 170, 170); };
    EXPECT_GT(lines(pages[0], 0, 1070, headerGrey, 670), 2);
    EXPECT_EQ(lines(pages[1], 0, 1070, headerGrey, 670), 0);
    EXPECT_GT(lines(pages[1], 0, 1070, [](QRgb p) { return qGray(p) < 255 && p != qRgb(170, 170, 170); }, 670), 50);
    QDir().mkpath(QString(TC_BINARY_DIR) + "/screenshots");
    EXPECT_TRUE(pages[0].save(QString(TC_BINARY_DIR) + "/screenshots/table_print-first-page.png"));
}

TEST_F(PrintToPdf, AHugeCellWrapsInItsColumnAndPrints) {
    auto job = std::make_shared<PrintTextView>("huge");
    QTextCursor cursor(&job->document());
    TablePrint().attributedStringFromItems({{"a", "b"}, {QString(100000, 'x'), "y"}}, cursor);
    EXPECT_GT(render(*job).size(), 2u);  // unbroken, it would be one line
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
    // 3001 rows of about 10 points in about 700 points a page; a text twenty
    // times the page's width scales the whole table down to it.
    const struct {
        int wideText;
        std::size_t fewest, most;
    } cases[] = {{8, 40, 50}, {2000, 2, 6}};
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
        EXPECT_EQ(lines(pages[1], 0, 1070, headerGrey, 600), 0);
        for (const QImage& page : {pages[1], pages.back()}) {
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

}  // namespace
}  // namespace printing
