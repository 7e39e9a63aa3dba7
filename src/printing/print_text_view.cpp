#include "printing/print_text_view.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <algorithm>
#include <cmath>

#include "model/formatter.h"
#include "platform/log.h"
#include "printing/painted_body.h"
#include "kit/own_text.h"

namespace printing {

namespace {

// Marks a table that keepTablesOnOnePage moved to a new page.
constexpr int kMovedProperty = QTextFormat::UserProperty + 1;

QFont bandFont(QPaintDevice& device) {
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont), &device);
    font.setPointSizeF(8.0);
    return font;
}

}  // namespace

PrintTextView::PrintTextView(QString printJobTitle)
    : printJobTitle_(std::move(printJobTitle)), layoutPrinter_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    layoutPrinter_->setOutputFormat(QPrinter::PdfFormat);
    // Set while the document is empty, where they cost no layout: long words
    // break where they must, the body starts at the printable area's edge.
    QTextOption wrap = document_.defaultTextOption();
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document_.setDefaultTextOption(wrap);
    document_.setDocumentMargin(0);
    document_.documentLayout()->setPaintDevice(layoutPrinter_.get());
    document_.setPageSize(
        bodySize(*layoutPrinter_, layoutPrinter_->pageLayout().paintRectPixels(layoutPrinter_->resolution()).size()));
}

PrintTextView::~PrintTextView() = default;

QSizeF PrintTextView::bodySize(QPaintDevice& device, const QSizeF& pageSize) const {
    const double scale = device.logicalDpiY() / static_cast<double>(layoutPrinter_->logicalDpiY());
    const double band = 2 * QFontMetricsF(bandFont(device), &device).height();
    return QSizeF(pageSize.width(), std::max(1.0, pageSize.height() - 2 * band)) / scale;
}

int PrintTextView::Pages::pageCount() const {
    return painted_ ? painted_->pageCount() : std::max(1, body_->pageCount());
}

void PrintTextView::Pages::paintPage(QPainter& painter, int page) const {
    painter.save();
    QFont font = bandFont(*painter.device());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double width = page_.width();
    const QRectF header(0, 0, width, band_ / 2);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title_);
    painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, date_);
    const QRectF footer(0, page_.height() - band_ / 2, width, band_ / 2);
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount()));

    if (painted_) {
        // Points scaled to the device below the header.
        const double dots = painter.device()->logicalDpiY() / 72.0;
        painter.setClipRect(QRectF(0, band_, width, page_.height() - 2 * band_));
        painter.translate(0, band_);
        painter.scale(dots, dots);
        painted_->paintPage(painter, page);
        painter.restore();
        return;
    }
    // The body's page, in layout units, scaled to the device below the header.
    const QSizeF body = body_->pageSize();
    const QRectF shown(0, page * body.height(), body.width(), body.height());
    painter.setClipRect(QRectF(0, band_, width, body.height() * scale_));
    painter.translate(0, band_);
    painter.scale(scale_, scale_);
    painter.translate(0, -shown.top());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = shown;
    // Paper is white whatever the screen's theme.
    context.palette.setColor(QPalette::Text, Qt::black);
    body_->documentLayout()->draw(&painter, context);
    painter.restore();
}

std::unique_ptr<PrintTextView::Pages> PrintTextView::paginate(QPaintDevice& device, const QSizeF& pageSize,
                                                              const QDateTime& printed) {
    auto pages = std::unique_ptr<Pages>(new Pages);
    pages->title_ = printJobTitle_;
    // The date and time as every date of the prints reads.
    pages->date_ = printed.toString(kit::displayDateFormat());
    pages->page_ = pageSize;
    pages->band_ = 2 * QFontMetricsF(bandFont(device), &device).height();
    pages->body_ = &document_;
    if (painted_) {
        const double dots = device.logicalDpiY() / 72.0;
        pages->painted_ = painted_.get();
        painted_->paginate(QSizeF(pageSize.width(), std::max(1.0, pageSize.height() - 2 * pages->band_)) / dots);
        return pages;
    }
    pages->scale_ = device.logicalDpiY() / static_cast<double>(layoutPrinter_->logicalDpiY());
    const QSizeF body = bodySize(device, pageSize);
    if (document_.pageSize() != body) document_.setPageSize(body);
    keepTablesOnOnePage();
    return pages;
}

void PrintTextView::keepTablesOnOnePage() {
    // Those of another page size first.
    for (QTextFrame* frame : document_.rootFrame()->childFrames()) {
        QTextFrameFormat format = frame->frameFormat();
        if (format.pageBreakPolicy() != QTextFormat::PageBreak_AlwaysBefore || !format.hasProperty(kMovedProperty))
            continue;
        format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        format.clearProperty(kMovedProperty);
        frame->setFrameFormat(format);
    }
    const double page = document_.pageSize().height();
    QAbstractTextDocumentLayout* layout = document_.documentLayout();
    // From the top down: a table moved moves those after it.
    for (QTextFrame* frame : document_.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        const QRectF box = layout->frameBoundingRect(table);
        const double pageTop = std::floor(box.top() / page) * page;
        if (box.bottom() <= pageTop + page || box.height() >= page || box.top() <= pageTop + 1) continue;
        QTextFrameFormat format = table->frameFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        format.setProperty(kMovedProperty, true);
        table->setFrameFormat(format);
    }
}

bool PrintTextView::printOn(QPrinter& printer, const std::function<bool(int done, int total)>& progress) {
    printer.setDocName(printJobTitle_);
    printer.setFullPage(false);
    QPainter painter;
    if (!painter.begin(&printer)) {
        platform::Log::error("Print failed: the printer did not open for \"" + printJobTitle_.toStdString() + "\"");
        return false;
    }
    const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const std::unique_ptr<Pages> pages = paginate(printer, page);
    for (int i = 0; i < pages->pageCount(); ++i) {
        if (progress && !progress(i, pages->pageCount())) {
            platform::Log::info("Print of \"" + printJobTitle_.toStdString() + "\" cancelled");
            printer.abort();
            painter.end();
            return false;
        }
        if (i > 0) printer.newPage();
        pages->paintPage(painter, i);
    }
    if (progress) progress(pages->pageCount(), pages->pageCount());
    return painter.end();
}

}  // namespace printing
