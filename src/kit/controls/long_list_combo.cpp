#include "kit/controls/long_list_combo.h"

#include <QAbstractListModel>
#include <QListView>
#include <algorithm>
#include <utility>

#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace kit {

namespace {

class ComboCodesModel : public QAbstractListModel {
public:
    ComboCodesModel(std::vector<std::string> codes, CodeIcon iconOf, QObject* parent)
        : QAbstractListModel(parent), codes_(std::move(codes)), iconOf_(std::move(iconOf)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(codes_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const std::string& code = codes_[std::size_t(index.row())];
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole: return shownText(code);
            case Qt::UserRole: return exactText(ExactInput(code));
            case Qt::DecorationRole: {
                if (!iconOf_) return {};
                const QIcon icon = iconOf_(code);
                return icon.isNull() ? QVariant() : QVariant(icon);
            }
            default: return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    std::vector<std::string> codes_;
    CodeIcon iconOf_;
};

}  // namespace

void setComboCodes(QComboBox& combo, std::vector<std::string> codes, CodeIcon iconOf) {
    // The combo deletes a model it is the parent of when another replaces it.
    combo.setModel(new ComboCodesModel(std::move(codes), std::move(iconOf), &combo));
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
