#pragma once
// The watchlist editor's instrument rows as a model over the editor's shown
// entries: the code with its mark (none for a code without a record) and the
// name, each read when drawn.
#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

namespace state {
class SessionView;
}

namespace views {

class WatchlistEditor;

class EditorRowsModel : public QAbstractTableModel {
public:
    EditorRowsModel(const state::SessionView& view, const WatchlistEditor& editor, QObject* parent);

    void setTitles(QStringList titles);
    // The marks' icons, shown from the next reload.
    void setMarkIcons(QIcon marked, QIcon unmarked);
    // The editor's shown entries again: the same number of rows are redrawn
    // in place (the selection stays), another number resets the rows.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const state::SessionView& view_;
    const WatchlistEditor& editor_;
    QStringList titles_;
    QIcon marked_, unmarked_;
    int count_ = 0;  // rows at the last reload
};

}  // namespace views
