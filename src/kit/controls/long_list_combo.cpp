#include "kit/controls/long_list_combo.h"

#include <QAbstractListModel>
#include <QListView>
#include <algorithm>

namespace kit {

namespace {

class ComboItemsModel : public QAbstractListModel {
public:
    ComboItemsModel(std::vector<ComboItem> items, QObject* parent)
        : QAbstractListModel(parent), items_(std::move(items)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(items_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const ComboItem& item = items_[std::size_t(index.row())];
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole: return item.text;
            case Qt::UserRole: return item.data;
            case Qt::DecorationRole: return item.icon.isNull() ? QVariant() : QVariant(item.icon);
            default: return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    std::vector<ComboItem> items_;
};

}  // namespace

void setComboItems(QComboBox& combo, std::vector<ComboItem> items) {
    // The combo deletes a model it is the parent of when another replaces it.
    combo.setModel(new ComboItemsModel(std::move(items), &combo));
}

void sizeToItems(QComboBox& combo) {
    const int count = combo.count();
    if (count < kMeasuredItems) {
        combo.setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
        combo.setMinimumContentsLength(0);
        return;
    }
    int longest = 1;
    for (int i = 0; i < count && longest < kLongestSizedText; ++i) longest = std::max(longest, int(combo.itemText(i).size()));
    combo.setMinimumContentsLength(std::min(longest, kLongestSizedText));
    combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Its list's rows are one height: not measured one by one.
    if (auto* list = qobject_cast<QListView*>(combo.view())) list->setUniformItemSizes(true);
}

}  // namespace kit
