#pragma once
// Relabels a window in the selected language: every widget whose "tag"
// property is above 0 takes the text of its padded key.
#include <cstdint>

class QWidget;

namespace kit {

void applyControlTexts(QWidget* root, std::int64_t language);

}  // namespace kit
