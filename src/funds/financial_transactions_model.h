#pragma once
// The deposits and withdrawals table: one row of texts per financial
// transaction, taken from the state at each reload. Each column gives its
// identifier under the printing header role. Main thread.
#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace model {
class FinancialTransactionDetails;
}

namespace funds {

class FinancialTransactionsModel : public QAbstractTableModel {
public:
    explicit FinancialTransactionsModel(QObject* parent = nullptr);

    // The columns' titles: the text of each identifier.
    void setTitles(const std::function<std::string(const std::string&)>& text);
    void setTransactions(const std::vector<std::shared_ptr<model::FinancialTransactionDetails>>& transactions);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<QString> titles_;
    std::vector<std::vector<QString>> rows_;
};

}  // namespace funds
