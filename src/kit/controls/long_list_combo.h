#pragma once
// A combo that may hold thousands of items (a watchlist's codes): sized by its
// longest text's length in characters once it holds kMeasuredItems or more,
// instead of Qt measuring every item's text on its first show. A shorter list
// keeps Qt's own sizing to its widest item.
#include <QComboBox>
#include <QIcon>
#include <functional>
#include <string>
#include <vector>

namespace kit {

// The icon of a code's item; a null icon for none.
using CodeIcon = std::function<QIcon(const std::string& code)>;

// The combo's items replaced at once by a list model of its own over the
// codes (server texts), without an item object for each: an item's text (the
// code shown by the rule), its data (Qt::UserRole, the code as it is) and its
// icon are made when read, so a combo of 65,220 codes fills without making
// them all. Its items are then only set again this way: the combo's own calls
// that add or remove items do not apply to that model.
void setComboCodes(QComboBox& combo, std::vector<std::string> codes, CodeIcon iconOf = {});

inline constexpr int kMeasuredItems = 500;
// A longer text is cut in the box (its list shows it whole).
inline constexpr int kLongestSizedText = 32;

// Call after the items changed.
void sizeToItems(QComboBox& combo);

}  // namespace kit
