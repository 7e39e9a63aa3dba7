#pragma once
// The messages of one room, oldest first, one "Message" column: each row
// "<name>[time]:<tab><text>" wrapped to the column from the side the table's
// direction starts at, the name and the text each in their own direction, its header coloured dark
// red for the user's own messages and dark green for the others'. A row lays
// out at most the shown length of its message. Row heights are kept per column
// width; for a new width the rows in view (and those scrolled to) are wrapped,
// the others estimated from their one-line width until they come into view.
// Main thread.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextLayout>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chat/core/chat_texts.h"
#include "model/chat_room.h"

namespace chat {

// The header's colour of a row, as a QColor.
inline constexpr int kHeaderColorRole = Qt::UserRole + 1;
// The row as drawn (isolatedMessageRowText).
inline constexpr int kShownTextRole = Qt::UserRole + 2;

// The language's halves of the day, from its string table.
DayPeriods dayPeriods(std::int64_t languageIndex);

class MessageTableModel : public QAbstractTableModel {
public:
    // `title` names the column to screen readers; the header itself is hidden.
    MessageTableModel(QString title, DayPeriods periods, QObject* parent)
        : QAbstractTableModel(parent), title_(std::move(title)), periods_(std::move(periods)) {}
    // Shows `room` (none: no rows) as it holds now.
    void showRoom(std::shared_ptr<const model::ChatRoom> room, std::string loginUserName);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The row text as shown, its message in its shown form; "" outside the rows.
    QString rowText(int row) const;
    // The row text with the whole message.
    QString wholeRowText(int row) const;
    // The row as drawn, its message in its shown form.
    QString shownRowText(int row) const;

private:
    const model::ChatMessageEntry* entry(int row) const;
    QString title_;
    DayPeriods periods_;
    std::shared_ptr<const model::ChatRoom> room_;
    std::string loginUserName_;
    int rows_ = 0;
};

class MessageRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The height the text needs wrapped to `width`.
    static int wrappedHeight(const QString& text, const QFont& font, int width,
                             Qt::LayoutDirection direction = Qt::LeftToRight);
    // The width the text needs on one line, padding included.
    static qreal naturalWidth(const QString& text, const QFont& font);
    // Lays the text out in lines of `width` from the side `direction` starts at; the height used.
    static qreal layOut(QTextLayout& layout, int width, Qt::LayoutDirection direction);
};

class MessageTable : public QTableView {
public:
    // `title`: the column's name in the language ("Message"); `periods`: its AM and PM.
    explicit MessageTable(const QString& title, DayPeriods periods = {}, QWidget* parent = nullptr);
    MessageTableModel* messages() const { return model_; }
    // Reads the room again (none: empty), deselects, refits the new rows.
    void showRoom(std::shared_ptr<const model::ChatRoom> room, const std::string& loginUserName);
    // The rows of the current width laid out wrapped (the others are estimated).
    int cachedHeights() const;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    // Copy puts the current row's whole text on the clipboard.
    void keyPressEvent(QKeyEvent* event) override;
    int sizeHintForRow(int row) const override;

private:
    // Row heights for one column width; `exact` once the row was laid out wrapped.
    struct Fit {
        std::vector<int> heights;
        std::vector<bool> exact;
    };
    static constexpr std::size_t kKeptWidths = 4;
    void fitRows();
    // Gives the vertical header the fit's heights from row `first` on.
    void applyHeights(const Fit& fit, int first);
    void forgetHeights();
    Fit* currentFit();
    // Lays out wrapped the rows from `first` covering `pixels`; whether a height changed.
    bool wrapRows(int first, int pixels);
    void wrapRowsInView();
    MessageTableModel* model_ = nullptr;
    const model::ChatRoom* shownRoom_ = nullptr;
    std::map<int, Fit> fits_;  // by column width
    std::vector<int> fitOrder_;  // the widths of fits_, oldest first
    std::vector<qreal> naturalWidths_;  // per row, whatever the width
    bool wrapping_ = false;
    bool fitting_ = false;
    int headerWidth_ = -1;  // the width whose heights the vertical header holds
};

}  // namespace chat
