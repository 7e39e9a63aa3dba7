#pragma once
// The two columns of a detail table: "Entity" (the labels) and "Details" (the
// values), titled in the language, each naming its identifier for printing.
#include <QAbstractTableModel>

#include "views/core/detail_rows.h"

namespace views {

class DetailTableModel : public QAbstractTableModel {
public:
    static constexpr const char* kEntity = "Entity";
    static constexpr const char* kDetails = "Details";

    using QAbstractTableModel::QAbstractTableModel;
    void setRows(DetailRows rows);
    void setTitles(const QString& entity, const QString& details);
    const DetailRows& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    DetailRows rows_;
    QString titles_[2] = {QStringLiteral("Entity"), QStringLiteral("Details")};
};

}  // namespace views
