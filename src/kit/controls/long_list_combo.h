#pragma once
// A combo that may hold thousands of items (a watchlist's codes): sized by its
// longest text's length in characters once it holds kMeasuredItems or more,
// instead of Qt measuring every item's text on its first show. A shorter list
// keeps Qt's own sizing to its widest item.
#include <QComboBox>
#include <QIcon>
#include <QString>
#include <QVariant>
#include <vector>

namespace kit {

// An item of a long combo: its text, its data (Qt::UserRole) and its icon.
struct ComboItem {
    QString text;
    QVariant data;
    QIcon icon;
};

// The combo's items replaced at once by a list model of its own, without an
// item object for each (a combo of 13,045 codes fills in about a tenth of the
// time). Its items are then only set again this way: the combo's own calls
// that add or remove items do not apply to that model.
void setComboItems(QComboBox& combo, std::vector<ComboItem> items);

inline constexpr int kMeasuredItems = 500;
// A longer text is cut in the box (its list shows it whole).
inline constexpr int kLongestSizedText = 32;

// Call after the items changed.
void sizeToItems(QComboBox& combo);

}  // namespace kit
