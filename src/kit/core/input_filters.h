#pragma once
// Edit filters of the numeric fields, judged on the text before and after an
// edit. Pure functions: the widgets hand them the two texts.
#include <cstddef>
#include <string>

namespace kit {

// One edit: the text before, the inserted text and the text after.
struct TextEdit {
    std::string before;
    std::string replacement;
    std::string after;
};

// The edit that replaces `length` bytes at `start` by `replacement`.
TextEdit editAt(const std::string& before, std::size_t start, std::size_t length,
                const std::string& replacement);
// The edit between two texts: what lies between their common prefix and suffix.
TextEdit editBetween(const std::string& before, const std::string& after);

enum class InputFilter {
    Decimal,           // digits and one "." (CustomComboBox, DecimalInputField, the cells)
    DecimalTwoPlaces,  // as Decimal; nothing is typed once two decimals stand (DecimalTextField)
    Digits5,           // at most five digits (CustomTextField)
};

bool allowsEdit(InputFilter filter, const TextEdit& edit);

// Digits after the point when the text splits at "." into exactly two parts, else 0.
std::size_t findNumberOfDecimalPlaces(const std::string& text);

// The editable header cell's cleaning after each change: a second "." typed at
// the end is dropped, every other character outside digits and "." removed.
std::string headerCellText(const std::string& text);

// The wire's separator bytes 0x01 to 0x07, which no typed text may hold.
bool holdsSeparatorByte(const std::string& text);

}  // namespace kit
