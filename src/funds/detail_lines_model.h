#pragma once
// The answer page's two-column table: label and value of each detail line.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "kit/core/label_value_rows.h"

class QTableView;
class QWidget;

namespace funds {

class DetailLinesModel : public QAbstractTableModel {
public:
    explicit DetailLinesModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // The lines of an answer, each "label<0x03>value".
    void setLines(const std::vector<std::string>& lines);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<kit::LabelValueRow> rows_;
};

// A read-only table over `model` without headers, values right of their labels.
QTableView* detailTable(DetailLinesModel* model, QWidget* parent);

}  // namespace funds
