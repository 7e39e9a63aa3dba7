#pragma once
// A read-only table of texts, one model per table of the statement window.
// A reload hands over the rows' texts as made when asked, so only the cells
// shown (or printed, or measured) are ever made; each column gives its
// identifier under the printing header role.
#include <QAbstractTableModel>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "reports/core/statement_cells.h"

namespace reports {

class StatementTableModel : public QAbstractTableModel {
public:
    // `titles` index for index with `identifiers`; `numbers` marks the right-aligned columns.
    StatementTableModel(std::vector<std::string> identifiers, std::vector<QString> titles,
                        std::vector<bool> numbers, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const std::vector<std::string>& identifiers() const { return identifiers_; }
    int columnOf(const std::string& identifier) const;
    // The text of a cell; "" outside the table.
    QString text(int row, int column) const;

protected:
    // Replaces every row (into an empty table: inserts them).
    void setRows(std::shared_ptr<const CellTexts> rows);

private:
    std::vector<std::string> identifiers_;
    std::vector<QString> titles_;
    std::vector<bool> numbers_;
    std::shared_ptr<const CellTexts> cells_;
    int rows_ = 0;
    // The shown form of the cells longer than the shown length, made once: a
    // long server text is copied and cut once, not on every measure and paint.
    mutable std::map<std::pair<int, int>, QString> longCells_;
};

}  // namespace reports
