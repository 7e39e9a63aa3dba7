#pragma once
// A read-only table of texts built once per statement: one model per table of
// the statement window. Cells are looked up, never computed, when the view
// asks; each column gives its identifier under the printing header role.
#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <vector>

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
    // Replaces every row (each holds one text per column; short rows read empty).
    void setRows(std::vector<std::vector<std::string>> rows);

private:
    std::vector<std::string> identifiers_;
    std::vector<QString> titles_;
    std::vector<bool> numbers_;
    // Every cell's text, row after row, in one string: a reset of ten
    // thousand rows makes two allocations, not one per cell.
    QString cells_;
    std::vector<qsizetype> bounds_;  // where each cell starts; then the end of the last
    int rows_ = 0;
};

}  // namespace reports
