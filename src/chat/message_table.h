#pragma once
// The messages of one room, oldest first, one "Message" column: each row
// "<name>[time]:<tab><text>" wrapped to the column, its header coloured dark
// red for the user's own messages and dark green for the others'. Row heights
// are cached for the column's width and recomputed only for a new width or new
// rows. Main thread.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

#include "model/chat_room.h"

namespace chat {

// The header's colour of a row, as a QColor.
inline constexpr int kHeaderColorRole = Qt::UserRole + 1;

class MessageTableModel : public QAbstractTableModel {
public:
    explicit MessageTableModel(QObject* parent) : QAbstractTableModel(parent) {}
    // Shows `room` (none: no rows) as it holds now.
    void showRoom(std::shared_ptr<const model::ChatRoom> room, std::string loginUserName);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The row text; "" outside the rows.
    QString rowText(int row) const;

private:
    const model::ChatMessageEntry* entry(int row) const;
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
    static int wrappedHeight(const QString& text, const QFont& font, int width);
    // The width the text needs on one line, padding included.
    static qreal naturalWidth(const QString& text, const QFont& font);
};

class MessageTable : public QTableView {
public:
    explicit MessageTable(QWidget* parent = nullptr);
    MessageTableModel* messages() const { return model_; }
    // Reads the room again (none: empty), deselects, refits the new rows.
    void showRoom(std::shared_ptr<const model::ChatRoom> room, const std::string& loginUserName);
    int cachedHeights() const { return static_cast<int>(heights_.size()); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    int sizeHintForRow(int row) const override;

private:
    void fitRows();
    MessageTableModel* model_ = nullptr;
    const model::ChatRoom* shownRoom_ = nullptr;
    std::vector<int> heights_;  // per row, for heightsWidth_
    std::vector<qreal> naturalWidths_;  // per row, whatever the width
    int heightsWidth_ = -1;
};

}  // namespace chat
