#include "chat/room_table_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "chat/core/chat_texts.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"

namespace chat {

RoomTableModel::RoomTableModel(Columns columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), regular_(QApplication::font()) {
    regular_.setPointSizeF(12.0);
    bold_ = regular_;
    bold_.setBold(true);
}

void RoomTableModel::reload(std::vector<std::shared_ptr<model::ChatRoom>> rooms) {
    beginResetModel();
    rooms_ = std::move(rooms);
    endResetModel();
}

std::shared_ptr<model::ChatRoom> RoomTableModel::room(int row) const {
    return row >= 0 && row < static_cast<int>(rooms_.size()) ? rooms_[std::size_t(row)] : nullptr;
}

int RoomTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rooms_.size());
}

int RoomTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.keys.size());
}

QVariant RoomTableModel::data(const QModelIndex& index, int role) const {
    const auto shown = index.isValid() ? room(index.row()) : nullptr;
    if (!shown || index.column() >= columnCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return kit::plainToolTipFor(role, kit::shownText(columns_.cell(*shown, columns_.keys[std::size_t(index.column())])));
    if (role == Qt::FontRole) return columns_.bold && columns_.bold(*shown) ? bold_ : regular_;
    return {};
}

QVariant RoomTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
    return columns_.titles[std::size_t(section)];
}

QTableView* roomTableView(const char* name, RoomTableModel* model, QWidget* parent,
                          std::function<void(int row)> doubleAction) {
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(table);
    QObject::connect(table, &QTableView::doubleClicked, parent,
                     [action = std::move(doubleAction)](const QModelIndex& index) { action(index.row()); });
    return table;
}

}  // namespace chat
