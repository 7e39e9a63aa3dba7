// Reading a table view into rows, the table's layout rules, and printing to PDF.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCursor>
#include <QTextTable>
#include <functional>

#include "kit/qt_test_app.h"
#include "platform/log.h"
#include "printing/consolidated_table_data.h"
#include "printing/print_operation.h"
#include "printing/print_text_view.h"
#include "printing/table_print.h"

namespace printing {
namespace {

// A table of `rows` rows over columns named by `ids`; cell (r, c) reads "r.c",
// except those `blank` leaves without a value.
struct TestTable {
    QStandardItemModel model;
    QTableView view;
    TestTable(const QStringList& ids, int rows, const std::function<bool(int, int)>& blank = nullptr)
        : model(rows, static_cast<int>(ids.size())) {
        for (int c = 0; c < ids.size(); ++c) model.setHeaderData(c, Qt::Horizontal, ids[c], kColumnIdentifierRole);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < ids.size(); ++c)
                if (!blank || !blank(r, c)) model.setItem(r, c, new QStandardItem(QString("%1.%2").arg(r).arg(c)));
        view.setModel(&model);
    }
};

QString laidOut(const TableRows& rows, const TablePrint& print = {}) {
    QTextDocument document;
    QTextCursor cursor(&document);
    print.attributedStringFromItems(rows, cursor);
    return document.toPlainText();
}

TEST(ConsolidatedTableData, ReadsVisibleColumnsInScreenOrderAndCapsTheRows) {
    struct Case {
        const char* name;
        std::function<void(QTableView&)> arrange;
        int rowCount;
        TableRows expected;
    };
    const Case cases[] = {
        {"keys padded", nullptr, 2, {{"Quantity", "Account", "12345"}, {"0.0", "0.1", "0.2"}, {"1.0", "", "1.2"}}},
        {"hidden column", [](QTableView& v) { v.setColumnHidden(1, true); }, 1,
         {{"Quantity", "12345"}, {"0.0", "0.2"}}},
        {"moved column", [](QTableView& v) { v.horizontalHeader()->moveSection(2, 0); }, 1,
         {{"12345", "Quantity", "Account"}, {"0.2", "0.0", "0.1"}}},
        {"count above the rows", nullptr, 1000,
         {{"Quantity", "Account", "12345"}, {"0.0", "0.1", "0.2"}, {"1.0", "", "1.2"}, {"2.0", "2.1", "2.2"}}},
        {"negative count", nullptr, -4, {{"Quantity", "Account", "12345"}}},
        {"no visible column",
         [](QTableView& v) {
             for (int c = 0; c < 3; ++c) v.setColumnHidden(c, true);
         },
         3, {{}, {}, {}, {}}},
    };
    for (const Case& c : cases) {
        TestTable table({"27", "12", "12345"}, 3, [](int r, int col) { return r == 1 && col == 1; });
        if (c.arrange) c.arrange(table.view);
        EXPECT_EQ(ConsolidatedTableData::getConsolidatedDataFromTableView(table.view, c.rowCount, 0), c.expected)
            << c.name;
    }
    EXPECT_EQ(laidOut({{}}), "\n\n");  // no columns: two line breaks
    EXPECT_EQ(laidOut({}), "\n\n");
}

// One letter per cell of a 7-row, 2-column table: its background (H header,
// A alternate, W row) and its text colour (h header, a alternate, . row).
struct Painted {
    std::string background[2];
    std::string text[2];
};

Painted paint(const TablePrint& print) {
    QTextDocument document;
    QTextCursor cursor(&document);
    TableRows rows(7, QStringList{"x", ""});
    print.attributedStringFromItems(rows, cursor);
    QTextTable* table = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) table = qobject_cast<QTextTable*>(frame);
    Painted out;
    if (!table) return out;
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 7; ++r) {
            const QTextTableCell cell = table->cellAt(r, c);
            const QColor bg = cell.format().background().color();
            out.background[c] += bg == print.headerColor ? 'H' : bg == print.alternateRowColor ? 'A' : 'W';
            const QColor fg = cell.firstCursorPosition().blockCharFormat().foreground().color();
            out.text[c] += fg == Qt::blue ? 'h' : fg == Qt::red ? 'a' : '.';
        }
    return out;
}

TEST(TablePrint, RowColoursAndStylesFollowTheirOrder) {
    struct Case {
        bool headerRow, headerColumn, alternateRows, alternateTextRows;
        Painted expected;
    };
    const Case cases[] = {
        {true, false, true, false, {{"HWAWAWA", "HWAWAWA"}, {"h......", "h......"}}},
        {false, false, true, false, {{"WAWAWAW", "WAWAWAW"}, {".......", "......."}}},
        {true, true, true, false, {{"HHHHHHH", "HWAWAWA"}, {"hhhhhhh", "h......"}}},
        {true, false, false, true, {{"HWWWWWW", "HWWWWWW"}, {"h.a.a.a", "h.a.a.a"}}},
        {false, true, true, true, {{"HHHHHHH", "WAWAWAW"}, {"hhhhhhh", ".a.a.a."}}},
    };
    for (const Case& c : cases) {
        TablePrint print;
        print.headerRow = c.headerRow;
        print.headerColumn = c.headerColumn;
        print.alternateRows = c.alternateRows;
        print.alternateTextRows = c.alternateTextRows;
        print.alternateRowColor = QColor(200, 220, 255);
        print.alternateRowTextStyle.setForeground(Qt::red);
        print.headerTextStyle.setForeground(Qt::blue);
        const Painted got = paint(print);
        for (int col = 0; col < 2; ++col) {
            EXPECT_EQ(got.background[col], c.expected.background[col]) << "column " << col << " case " << (&c - cases);
            EXPECT_EQ(got.text[col], c.expected.text[col]) << "column " << col << " case " << (&c - cases);
        }
    }
}

TEST(TablePrint, CellsHoldOneParagraphOfPlainTextAndEmptyCellsKeepTheirHeight) {
    QTextDocument document;
    QTextCursor cursor(&document);
    TablePrint print;
    print.attributedStringFromItems({{"<b>x</b>", ""}, {"a", ""}}, cursor);
    QTextTable* table = qobject_cast<QTextTable*>(document.rootFrame()->childFrames().value(0));
    ASSERT_TRUE(table);
    const auto block = [&](int r, int c) { return table->cellAt(r, c).firstCursorPosition().block(); };
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)  // one paragraph per cell
            EXPECT_EQ(table->cellAt(r, c).lastCursorPosition().block(), block(r, c)) << r << c;
    EXPECT_EQ(block(0, 0).text(), "<b>x</b>");
    EXPECT_EQ(document.toPlainText().count('\n'), 6);  // four cells, the closing break and the one after the table
    EXPECT_EQ(block(0, 0).charFormat().fontWeight(), QFont::Normal);  // never read as markup
    EXPECT_EQ(block(1, 0).charFormat().fontPointSize(), 8.0);
    const auto height = [&](int r, int c) { return document.documentLayout()->blockBoundingRect(block(r, c)).height(); };
    EXPECT_EQ(height(1, 1), height(1, 0));
    // Fixed layout: equal columns; a value other than 0 and 1 is ignored.
    print.setLayout(TablePrint::Fixed);
    print.setLayout(7);
    EXPECT_EQ(print.layout(), TablePrint::Fixed);
    QTextDocument fixed;
    QTextCursor at(&fixed);
    print.attributedStringFromItems({{"a", "b", "c", "d"}}, at);
    const auto widths = qobject_cast<QTextTable*>(fixed.rootFrame()->childFrames().value(0))->format().columnWidthConstraints();
    EXPECT_EQ(widths, QList<QTextLength>(4, QTextLength(QTextLength::PercentageLength, 25)));
}

// Print tests: a PDF file under the build folder, with no dialog.
class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override {
        target = std::make_shared<PdfPrintTarget>(path);
        PrintTarget::install(target);
        QFile::remove(path);
    }
    void TearDown() override {
        PrintTarget::install(nullptr);
        platform::Log::setSink(nullptr);
    }
    QByteArray pdf() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Pages at 100 dpi on A4's printable part.
    static std::vector<QImage> render(const PrintTextView& job) {
        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(3937);
        probe.setDotsPerMeterY(3937);
        const QSize size(744, 1070);
        const auto pages = job.paginate(probe, size);
        std::vector<QImage> out;
        for (int i = 0; i < pages->pageCount(); ++i) {
            QImage page(size, QImage::Format_RGB32);
            page.setDotsPerMeterX(3937);
            page.setDotsPerMeterY(3937);
            page.fill(Qt::white);
            QPainter painter(&page);
            pages->paintPage(painter, i);
            painter.end();
            out.push_back(page);
        }
        return out;
    }
    static bool inked(const QImage& page, int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) return true;
        return false;
    }

    QString path = QString(TC_BINARY_DIR) + "/printing_test.pdf";
    std::shared_ptr<PdfPrintTarget> target;
};

TEST_F(PrintToPdf, ALongTablePrintsPagesWithHeaderAndFooterAndTheTitle) {
    TestTable table({"11", "27", "12"}, 500);
    QWidget window;
    printTableView(&window, table.view, 500, "Delivery Receipt", 0);
    ASSERT_EQ(target->printed(), 1);
    const QByteArray bytes = pdf();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GT(bytes.count("/Type /Page\n"), 1);
    // The document name, as the PDF writes its strings (UTF-16, big end first).
    QByteArray title("\xFE\xFF", 2);
    for (const QChar ch : QString("Delivery Receipt")) title.append('\0').append(ch.toLatin1());
    EXPECT_TRUE(bytes.contains(title));

    PrintTextView job("Delivery Receipt");
    QTextCursor cursor(&job.document());
    TablePrint().attributedStringFromItems(ConsolidatedTableData::getConsolidatedDataFromTableView(table.view, 500, 0),
                                           cursor);
    const std::vector<QImage> pages = render(job);
    ASSERT_GT(pages.size(), 1u);
    for (const QImage& page : pages) {
        EXPECT_TRUE(inked(page, 0, 15));                               // title and date
        EXPECT_TRUE(inked(page, page.height() - 15, page.height()));  // "Page n of m"
    }
    // The light-grey header row on the first page only, white rows ruled by the cells' borders.
    const auto lines = [](const QImage& page, const std::function<bool(QRgb)>& inLine) {
        int n = 0;
        for (int y = 0; y < page.height(); ++y) {
            int hits = 0;
            for (int x = 0; x < page.width(); ++x) hits += inLine(page.pixel(x, y));
            n += hits > page.width() * 9 / 10;
        }
        return n;
    };
    const auto headerGrey = [](QRgb p) { return p == qRgb(170, 170, 170); };
    const auto rule = [](QRgb p) { return qGray(p) < 255 && p != qRgb(170, 170, 170); };
    EXPECT_GT(lines(pages[0], headerGrey), 2);
    EXPECT_EQ(lines(pages[1], headerGrey), 0);
    EXPECT_GT(lines(pages[1], rule), 50);
    const QString shots = QString(TC_BINARY_DIR) + "/screenshots";
    QDir().mkpath(shots);
    EXPECT_TRUE(pages[0].save(shots + "/table_print-first-page.png"));
}

TEST_F(PrintToPdf, AHugeCellWrapsInItsColumnAndPrints) {
    PrintTextView job("huge");
    QTextCursor cursor(&job.document());
    TablePrint().attributedStringFromItems({{"a", "b"}, {QString(100000, 'x'), "y"}}, cursor);
    EXPECT_GT(render(job).size(), 2u);  // one line would fit one page
    runPrintOperation(std::make_shared<PrintTextView>(job.printJobTitle()), nullptr);
    EXPECT_EQ(target->printed(), 1);
}

TEST_F(PrintToPdf, AFailedPrintIsLoggedAndTheWindowStaysUsable) {
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
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    PrintTarget::install(target);
    printTableView(&window, table.view, 3, "t", 0);
    EXPECT_EQ(target->printed(), 1);
}

TEST_F(PrintToPdf, WithoutATargetTheDialogOpensModalOnTheWindow) {
    PrintTarget::install(nullptr);
    TestTable table({"11"}, 3);
    QWidget window;
    window.show();
    printTableView(&window, table.view, 3, "Statement", 0);
    auto* dialog = window.findChild<QDialog*>();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    dialog->reject();
    EXPECT_TRUE(kit::testing::runUntil([&] { return !window.findChild<QDialog*>(); }));
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace printing
