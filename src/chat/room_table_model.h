#pragma once
// A list of rooms under columns named by language keys, read once per reload:
// the recent conversations and the notice inbox. Cells in the 12-point font,
// bold where the room says so (read at each drawing). Main thread.
#include <QAbstractTableModel>
#include <QFont>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/chat_room.h"

class QTableView;
class QWidget;

namespace chat {

class RoomTableModel : public QAbstractTableModel {
public:
    struct Columns {
        std::vector<std::string> keys;
        std::vector<QString> titles;
        std::function<std::string(const model::ChatRoom&, const std::string&)> cell;
        std::function<bool(const model::ChatRoom&)> bold;  // null: never
    };
    RoomTableModel(Columns columns, QObject* parent);
    void reload(std::vector<std::shared_ptr<model::ChatRoom>> rooms);
    std::shared_ptr<model::ChatRoom> room(int row) const;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Columns columns_;
    std::vector<std::shared_ptr<model::ChatRoom>> rooms_;
    QFont regular_;
    QFont bold_;
};

// A read-only table of `model` named `name` filling `parent` with 8-point margins:
// whole rows, one at a time, a double click on a row handed to `doubleAction`.
QTableView* roomTableView(const char* name, RoomTableModel* model, QWidget* parent,
                          std::function<void(int row)> doubleAction);

}  // namespace chat
