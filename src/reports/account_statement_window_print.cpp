// The printed statement: one document of the logo, the title, the account
// block of the last request and the eight tables as the window shows them,
// each under its heading. Built anew at every print.
#include <QFontDatabase>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <map>

#include "kit/window_context.h"
#include "model/language_string.h"
#include "platform/resource_bundle.h"
#include "printing/consolidated_table_data.h"
#include "printing/painted_body.h"
#include "printing/print_operation.h"
#include "printing/print_text_view.h"
#include "printing/table_print.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "reports/statement_table_view.h"
#include "state/session_view.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace reports {

namespace {

// The document's layout takes pixels at 96 per inch.
constexpr double kPointsPerLayoutUnit = 72.0 / 96.0;

QTextCharFormat textStyle(double points) {
    QTextCharFormat style;
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    style.setFont(font);
    return style;
}

QTextCharFormat titleStyle() {
    QTextCharFormat style = textStyle(20);
    style.setForeground(QColor(Qt::darkGray));
    style.setFontUnderline(true);
    return style;
}

// Headings and status lines keep the text colour, black on paper.
QTextCharFormat headingStyle() {
    QTextCharFormat style = textStyle(12);
    style.setBackground(QColor(158, 207, 224));
    return style;
}

QTextCharFormat statusStyle() {
    QTextCharFormat style = textStyle(10);
    style.setBackground(QColor(Qt::lightGray));
    return style;
}

void newLines(QTextCursor& cursor, int count) {
    for (int i = 0; i < count; ++i) cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
}

// The application image "Company_Logo", at half its pixels (drawn for 2x);
// without the image nothing is inserted and the rest prints.
QImage companyLogo() {
    const auto path = platform::ResourceBundle::pathForResource("images/Company_Logo", "png");
    return QImage(path ? kit::filePath(*path) : QString());
}

void insertLogo(QTextCursor& cursor, const QImage& logo) {
    if (logo.isNull()) return;
    const QUrl name(QStringLiteral("resource:Company_Logo"));
    cursor.document()->addResource(QTextDocument::ImageResource, name, logo);
    QTextImageFormat image;
    image.setName(name.toString());
    image.setWidth(logo.width() / 2.0);
    image.setHeight(logo.height() / 2.0);
    cursor.insertImage(image);
}

// The rows of the view as its cells show them: a date-time column narrower
// than the whole text prints the time only, as on screen.
printing::TableRows tableRows(const QTableView& view, int records, std::int64_t language) {
    printing::TableRows rows = printing::ConsolidatedTableData::getConsolidatedDataFromTableView(view, records, language);
    const QHeaderView* header = view.horizontalHeader();
    // The summaries' columns are named by word, not by key.
    static const std::map<QString, const char*> summaryTitleKeys{{QStringLiteral("Entity"), "90519"}, {QStringLiteral("Details"), "21301"}};
    int printed = 0;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || view.isColumnHidden(logical)) continue;
        const auto titleKey = summaryTitleKeys.find(
            view.model()->headerData(logical, Qt::Horizontal, printing::kColumnIdentifierRole).toString());
        // Each column under the title the window gives it (the settled positions' P/L is realised).
        const QString shown = view.model()->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
        if (titleKey != summaryTitleKeys.end() && !rows.isEmpty() && printed < rows[0].size())
            rows[0][printed] =
                kit::tableText(language, titleKey->second);
        else if (!shown.isEmpty() && !rows.isEmpty() && printed < rows[0].size())
            rows[0][printed] = shown;
        if (dynamic_cast<const DateTimeWidthDelegate*>(view.itemDelegateForColumn(logical)))
            for (qsizetype r = 1; r < rows.size(); ++r)
                rows[r][printed] =
                    kit::shownText(dateTimeCell(view.columnWidth(logical), rows[r][printed].toStdString()));
        ++printed;
    }
    return rows;
}

}  // namespace

std::shared_ptr<printing::PrintTextView> AccountStatementWindowController::printJob() {
    flushPendingFit();
    const model::AccountStatementInfo& statement = context_.view.accountStatement();
    const auto text = [this](const char* key) { return kit::tableText(context_, key); };
    auto job = std::make_shared<printing::PrintTextView>(
        kit::applicationName() + QStringLiteral(" - ") + text("0263"));
    job->setLanguage(context_.language);
    const auto account = context_.view.account(std::to_string(lastRequest_.accountId));
    const std::string block =
        accountDetailString(lastRequest_, statement, lastRequest_.accountId && account ? account->AccountName : "",
                            context_.text);
    const QString open = kit::shownText(openPositionHistoryTableController->getOpenStatusInfo(statement));
    const QString settled =
        kit::shownText(settledPositionHistoryTableController->getSettledStatusInfo(statement));

    // Row counts are the records behind each table; the reader caps them at the model's rows.
    const struct {
        const char* heading;
        const QTableView* view;
        std::size_t records;
        const QString* status;  // the line under the table, if any
        int linesAfter;
    } sections[] = {
        {"0700", tableViews[5], std::size_t(accountSummaryHistoryTableController->getAccountSummaryCount()), nullptr, 1},
        {"0701", tableViews[6], std::size_t(orderSummaryHistoryTableController->getOrderSummaryCount()), nullptr, 1},
        {"0702", tableViews[7], std::size_t(marginSummaryHistoryTableController->getMarginSummaryCount()), nullptr, 1},
        {"0276", tableViews[4], statement.InstrumentInfo.size(), nullptr, 1},
        {"21003", tableViews[2], statement.SettledPositionInfo.size(), &settled, 3},
        {"21001", tableViews[0], statement.OpenPositionInfo.size(), &open, 3},
        {"21002", tableViews[1], statement.PendingOrderInfo.size(), nullptr, 1},
        {"21004", tableViews[3], statement.cancelledOrderInfo.size(), nullptr, 0},
    };

    std::vector<printing::TableRows> rows;
    std::size_t total = 0;
    for (const auto& section : sections) {
        rows.push_back(tableRows(*section.view, int(std::min<std::size_t>(section.records, INT_MAX)), context_.language));
        total += std::size_t(rows.back().size());
    }
    const QImage logo = companyLogo();
    const printing::TablePrint tables;
    // Long tables lay out too slowly in a text document: painted page by page instead.
    if (total > std::size_t(printing::kPaintedTableRows)) {
        // Painted page by page, in the same order and styles.
        using Style = printing::PaintedBody::Style;
        const Style body{12, Qt::black, {}, false};
        const Style heading{12, Qt::black, QColor(158, 207, 224), false};
        const Style status{10, Qt::black, QColor(Qt::lightGray), false};
        auto painted = std::make_shared<printing::PaintedBody>();
        painted->addImage(logo, QSizeF(logo.size()) / 2.0 * kPointsPerLayoutUnit);
        painted->addText(text("0263"), Style{20, QColor(Qt::darkGray), {}, true});
        // The block's paragraphs after the title's own line break.
        painted->addText(kit::shownText(block).mid(1).chopped(1), body);
        for (std::size_t i = 0; i < std::size(sections); ++i) {
            painted->addText(text(sections[i].heading), heading);
            painted->addTable(rows[i], tables);
            painted->addText({}, body);
            if (sections[i].status) painted->addText(*sections[i].status, status);
            for (int n = 1; n < sections[i].linesAfter; ++n) painted->addText({}, body);
        }
        job->setPaintedBody(std::move(painted));
        return job;
    }

    QTextCursor cursor(&job->document());
    cursor.beginEditBlock();
    insertLogo(cursor, logo);
    newLines(cursor, 1);
    cursor.insertText(text("0263"), titleStyle());
    cursor.insertText(kit::shownText(block), textStyle(12));  // its server parts shown by accountDetailString
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        cursor.insertText(text(sections[i].heading), headingStyle());
        tables.attributedStringFromItems(rows[i], cursor);
        if (sections[i].status) cursor.insertText(*sections[i].status, statusStyle());
        newLines(cursor, sections[i].linesAfter);
    }
    cursor.endEditBlock();
    return job;
}

void AccountStatementWindowController::print() {
    // A statement that could not be loaded has nothing to print.
    if (context_.view.accountStatement().loadFailed) return;
    // The printer's own margins (PrintTextView prints inside them): a negative
    // margin has no meaning on a Qt page layout, so none is set.
    printing::runPrintOperation(printJob(), this);
}

}  // namespace reports
