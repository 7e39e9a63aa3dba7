#include "views/editor_rows_model.h"

#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "state/session_view.h"
#include "views/core/watchlist_editor.h"

namespace views {

EditorRowsModel::EditorRowsModel(const state::SessionView& view, const WatchlistEditor& editor, QObject* parent)
    : QAbstractTableModel(parent), view_(view), editor_(editor) {}

void EditorRowsModel::setTitles(QStringList titles) {
    titles_ = std::move(titles);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void EditorRowsModel::setMarkIcons(QIcon marked, QIcon unmarked) {
    marked_ = std::move(marked);
    unmarked_ = std::move(unmarked);
}

void EditorRowsModel::reload() {
    const int rows = static_cast<int>(editor_.shown().size());
    if (rows == count_) {
        if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
        return;
    }
    beginResetModel();
    count_ = rows;
    endResetModel();
}

int EditorRowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

int EditorRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

Qt::ItemFlags EditorRowsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant EditorRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= titles_.size())
        return {};
    return titles_[section];
}

QVariant EditorRowsModel::data(const QModelIndex& index, int role) const {
    const std::vector<std::string>& shown = editor_.shown();
    // The entries may have changed since the last reload, until the next one.
    if (!index.isValid() || index.row() >= count_ || index.row() >= static_cast<int>(shown.size())) return {};
    const std::string& entry = shown[std::size_t(index.row())];
    if (index.column() == 0) {
        if (role == Qt::DisplayRole) return kit::shownText(entryCode(entry));
        if (role != Qt::DecorationRole) return {};
        const std::string code = entryCode(entry);
        if (!view_.instrument(code)) return {};
        return editor_.isMarked(code) ? marked_ : unmarked_;
    }
    if (role == Qt::DisplayRole) return kit::shownText(entryName(entry));
    if (role == Qt::ToolTipRole) return kit::plainToolTip(kit::shownText(entryName(entry)));
    return {};
}

}  // namespace views
