#include "chat/message_table.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "chat/core/chat_texts.h"
#include "kit/plain_text.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"
#include "model/day_periods.h"
#include "model/language_string.h"

namespace chat {

namespace {

constexpr int kPadding = 3;

QColor headerColor(bool own) {
    return own ? QColor::fromRgbF(0.6f, 0.0f, 0.0f) : QColor::fromRgbF(0.0f, 0.6f, 0.0f);
}

}  // namespace

qreal MessageRowDelegate::layOut(QTextLayout& layout, int width, Qt::LayoutDirection direction) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(direction);
    option.setAlignment(direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft);  // a layout's are absolute
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

DayPeriods dayPeriods(std::int64_t languageIndex) {
    return {model::LanguageString::stringforSelectedLanguage(languageIndex, model::kMorningKey),
            model::LanguageString::stringforSelectedLanguage(languageIndex, model::kAfternoonKey)};
}

void MessageTableModel::showRoom(std::shared_ptr<const model::ChatRoom> room, std::string loginUserName) {
    beginResetModel();
    room_ = std::move(room);
    loginUserName_ = std::move(loginUserName);
    rows_ = room_ ? static_cast<int>(room_->messages.size()) : 0;
    endResetModel();
}

int MessageTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int MessageTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

const model::ChatMessageEntry* MessageTableModel::entry(int row) const {
    // The room may have changed since the last reload: read within it only.
    if (!room_ || row < 0 || row >= rows_ || row >= static_cast<int>(room_->messages.size())) return nullptr;
    return &room_->messages[std::size_t(row)];
}

QString MessageTableModel::rowText(int row) const {
    const model::ChatMessageEntry* message = entry(row);
    return message ? kit::shownText(messageRowText(*message, model::kMaxShownLength, periods_)) : QString();
}

QString MessageTableModel::wholeRowText(int row) const {
    const model::ChatMessageEntry* message = entry(row);
    return message ? kit::exactText(kit::ExactInput(messageRowText(*message, std::string::npos, periods_))) : QString();
}

QString MessageTableModel::shownRowText(int row) const {
    const model::ChatMessageEntry* message = entry(row);
    return message ? kit::composedText(isolatedMessageRowText(*message, model::kMaxShownLength, periods_)) : QString();
}

QVariant MessageTableModel::data(const QModelIndex& index, int role) const {
    const model::ChatMessageEntry* message = index.isValid() ? entry(index.row()) : nullptr;
    if (!message) return {};
    if (role == Qt::DisplayRole) return rowText(index.row());
    if (role == Qt::ToolTipRole) return kit::plainToolTip(rowText(index.row()));
    if (role == kHeaderColorRole) return headerColor(isOwnMessage(*message, loginUserName_));
    if (role == kShownTextRole) return shownRowText(index.row());
    return {};
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole) return title_;
    return {};
}

int MessageRowDelegate::wrappedHeight(const QString& text, const QFont& font, int width,
                                      Qt::LayoutDirection direction) {
    QTextLayout layout(text, font);
    return static_cast<int>(std::ceil(layOut(layout, width - 2 * kPadding, direction))) + 2 * kPadding;
}

qreal MessageRowDelegate::naturalWidth(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal width = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(1e6);
        width = std::max(width, line.naturalTextWidth());
    }
    layout.endLayout();
    return width + 2 * kPadding;
}

QSize MessageRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int width = option.rect.width() > 0 ? option.rect.width() : 200;
    return {width, wrappedHeight(index.data(kShownTextRole).toString(), option.font, width, option.direction)};
}

void MessageRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const QString text = index.data(kShownTextRole).toString();
    QTextLayout layout(text, option.font);
    QTextLayout::FormatRange header;
    header.start = 0;
    header.length = int(text.indexOf(u'\t'));  // everything before the first tab
    if (header.length < 0) header.length = int(text.size());
    header.format.setForeground(index.data(kHeaderColorRole).value<QColor>());
    layout.setFormats({header});
    layOut(layout, option.rect.width() - 2 * kPadding, option.direction);
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, option.rect.topLeft() + QPointF(kPadding, kPadding));
    painter->restore();
}

MessageTable::MessageTable(const QString& title, DayPeriods periods, QWidget* parent) : QTableView(parent) {
    setObjectName("messageTableView");
    model_ = new MessageTableModel(title, std::move(periods), this);
    setModel(model_);
    setItemDelegate(new MessageRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->hide();
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int, int, int) { fitRows(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { wrapRowsInView(); });
}

void MessageTable::showRoom(std::shared_ptr<const model::ChatRoom> room, const std::string& loginUserName) {
    const bool sameRoom = room && model_->rowCount() > 0 && room.get() == shownRoom_;
    if (!sameRoom) forgetHeights();
    shownRoom_ = room.get();
    clearSelection();
    model_->showRoom(std::move(room), loginUserName);
    headerWidth_ = -1;  // the reset gave every row the default height
    fitRows();
}

void MessageTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && currentIndex().isValid()) {
        QGuiApplication::clipboard()->setText(model_->wholeRowText(currentIndex().row()));
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void MessageTable::updateGeometries() {
    QTableView::updateGeometries();
    // A scroll bar that came or went changed the column's width without a resize of the table.
    if (!fitting_ && model_->rowCount() > 0 && !currentFit()) fitRows();
}

void MessageTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitRows();
}

void MessageTable::forgetHeights() {
    fits_.clear();
    fitOrder_.clear();
    naturalWidths_.clear();
}

MessageTable::Fit* MessageTable::currentFit() {
    const auto it = fits_.find(columnWidth(0));
    return it == fits_.end() ? nullptr : &it->second;
}

void MessageTable::fitRows() {
    if (fitting_) return;
    fitting_ = true;
    const int width = columnWidth(0);
    const int rows = model_->rowCount();
    if (static_cast<int>(naturalWidths_.size()) > rows) forgetHeights();
    // The one-line width of a row does not depend on the column: each row is measured once.
    for (int row = static_cast<int>(naturalWidths_.size()); row < rows; ++row)
        naturalWidths_.push_back(MessageRowDelegate::naturalWidth(model_->shownRowText(row), font()));
    // Heights are kept per width, for the last few widths.
    if (!fits_.count(width)) {
        while (fits_.size() >= kKeptWidths) {
            fits_.erase(fitOrder_.front());
            fitOrder_.erase(fitOrder_.begin());
        }
        fitOrder_.push_back(width);
    }
    Fit& fit = fits_[width];
    if (static_cast<int>(fit.heights.size()) > rows) fit = {};
    const int held = static_cast<int>(fit.heights.size());
    // A row that fits on one line is exact; a longer one is estimated from its
    // one-line width until it is in view.
    const int oneLine = MessageRowDelegate::wrappedHeight(QStringLiteral("X"), font(), std::max(width, 100), layoutDirection());
    const qreal lineWidth = std::max(1, width - 2 * kPadding);
    for (int row = static_cast<int>(fit.heights.size()); row < rows; ++row) {
        const qreal natural = naturalWidths_[std::size_t(row)];
        const bool single = natural <= width;
        const int lines = single ? 1 : static_cast<int>(std::ceil((natural - 2 * kPadding) / lineWidth));
        fit.heights.push_back(oneLine + (lines - 1) * (oneLine - 2 * kPadding));
        fit.exact.push_back(single);
    }
    // The header already holds this width's heights: only new rows are sized.
    if (width != headerWidth_) {
        applyHeights(fit, 0);
    } else if (rows > held) {
        applyHeights(fit, held);
    }
    headerWidth_ = width;
    fitting_ = false;
    wrapRowsInView();
}

void MessageTable::applyHeights(const Fit& fit, int first) {
    // With its updates off the header skips the repaint arithmetic of each
    // resized section (linear in the rows), and with its signals blocked the
    // table is not told row by row: a pass sizes only the rows whose height
    // differs, each at constant cost, then the table updates once.
    QHeaderView* header = verticalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    const QSignalBlocker quiet(header);
    const int rows = std::min(header->count(), static_cast<int>(fit.heights.size()));
    bool changed = false;
    for (int row = first; row < rows; ++row) {
        const int height = fit.heights[std::size_t(row)];
        if (header->sectionSize(row) == height) continue;
        header->resizeSection(row, height);
        changed = true;
    }
    header->setUpdatesEnabled(updates);
    if (!changed) return;
    updateGeometries();
    viewport()->update();
}

bool MessageTable::wrapRows(int first, int pixels) {
    Fit* fit = currentFit();
    if (!fit || first < 0) return false;
    bool changed = false;
    const int rows = static_cast<int>(fit->heights.size());
    for (int row = first, covered = 0; row < rows && covered <= pixels; ++row) {
        if (!fit->exact[std::size_t(row)]) {
            fit->exact[std::size_t(row)] = true;
            const int height =
                MessageRowDelegate::wrappedHeight(model_->shownRowText(row), font(), columnWidth(0), layoutDirection());
            if (height != fit->heights[std::size_t(row)]) {
                fit->heights[std::size_t(row)] = height;
                verticalHeader()->resizeSection(row, height);
                changed = true;
            }
        }
        covered += fit->heights[std::size_t(row)];
    }
    return changed;
}

void MessageTable::wrapRowsInView() {
    if (wrapping_ || model_->rowCount() == 0) return;
    wrapping_ = true;
    // A view at the end stays at the end as its rows take their wrapped heights.
    for (int pass = 0; pass < 4; ++pass) {
        const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
        const int first = std::max(0, rowAt(0));
        // From the first row's top, which may be above the viewport.
        if (!wrapRows(first, viewport()->height() - std::min(0, rowViewportPosition(first)))) break;
        updateGeometries();  // the scroll range of the new heights, now
        if (atEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
    wrapping_ = false;
}

void MessageTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // The rows a scroll may bring into view take their wrapped heights first.
    if (index.isValid()) {
        const int above = viewport()->height() / std::max(1, fontMetrics().height()) + 1;
        wrapRows(std::max(0, index.row() - above), 2 * viewport()->height());
    }
    QTableView::scrollTo(index, hint);
}

int MessageTable::cachedHeights() const {
    const auto it = fits_.find(columnWidth(0));
    return it == fits_.end() ? 0 : static_cast<int>(std::count(it->second.exact.begin(), it->second.exact.end(), true));
}

int MessageTable::sizeHintForRow(int row) const {
    const auto it = fits_.find(columnWidth(0));
    if (it == fits_.end() || row < 0 || row >= static_cast<int>(it->second.heights.size())) return 0;
    return it->second.heights[std::size_t(row)];
}

}  // namespace chat
