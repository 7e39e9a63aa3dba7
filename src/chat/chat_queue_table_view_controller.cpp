#include "chat/chat_queue_table_view_controller.h"

#include <QHeaderView>

#include "chat/core/chat_texts.h"
#include "chat/presence_image.h"
#include "state/session_view.h"
#include "kit/shown_text.h"

namespace chat {

void ChatQueueTableModel::reload(std::vector<std::shared_ptr<const model::ChatQueue>> queues) {
    beginResetModel();
    queues_ = std::move(queues);
    endResetModel();
}

int ChatQueueTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(queues_.size());
}
int ChatQueueTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

std::shared_ptr<const model::ChatQueue> ChatQueueTableModel::queue(int row) const {
    return row >= 0 && row < static_cast<int>(queues_.size()) ? queues_[std::size_t(row)] : nullptr;
}

QVariant ChatQueueTableModel::data(const QModelIndex& index, int role) const {
    const auto shown = index.isValid() ? queue(index.row()) : nullptr;
    if (!shown) return {};
    const auto text = [this](const std::string& key) { return view_.text(key); };
    if (role == Qt::DisplayRole) return kit::shownText(queueRowText(*shown, text));
    if (role == Qt::DecorationRole) return presenceImage(queuePresence(*shown));
    return {};
}

QVariant ChatQueueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole) return header_;
    return {};
}

ChatQueueTableViewController::ChatQueueTableViewController(const state::SessionView& view, QString header,
                                                           QWidget* parent)
    : QTableView(parent), view_(view) {
    setObjectName("chatQueueTableView");
    model_ = new ChatQueueTableModel(view, std::move(header), this);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionsClickable(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionDidChange(); });
}

void ChatQueueTableViewController::reloadChatQueueTableView() {
    const QModelIndexList chosen = selectionModel()->selectedRows();
    const int row = chosen.isEmpty() ? -1 : chosen.front().row();
    const QSignalBlocker quiet(selectionModel());
    model_->reload(view_.chatQueues());
    if (row >= 0 && row < model_->rowCount()) selectRow(row);
}

void ChatQueueTableViewController::deselectTableView() { selectionModel()->clearSelection(); }

void ChatQueueTableViewController::selectionDidChange() {
    const QModelIndexList chosen = selectionModel()->selectedRows();
    if (chosen.isEmpty() || !chatqueueDelegate_) return;
    const auto queue = model_->queue(chosen.front().row());
    if (!queue || isWaitingForAcceptance(*queue)) return;
    chatqueueDelegate_(*queue);
}

}  // namespace chat
