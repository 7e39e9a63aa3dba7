#include "kit/controls/long_list_combo.h"

#include <QListView>
#include <algorithm>

namespace kit {

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
