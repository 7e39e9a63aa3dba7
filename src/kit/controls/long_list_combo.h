#pragma once
// A combo that may hold thousands of items (a watchlist's codes): sized by its
// longest text's length in characters once it holds kMeasuredItems or more,
// instead of Qt measuring every item's text on its first show. A shorter list
// keeps Qt's own sizing to its widest item.
#include <QComboBox>

namespace kit {

inline constexpr int kMeasuredItems = 500;
// A longer text is cut in the box (its list shows it whole).
inline constexpr int kLongestSizedText = 32;

// Call after the items changed.
void sizeToItems(QComboBox& combo);

}  // namespace kit
