#pragma once
// The label and value rows of the detail tables: the instrument details (type
// 0), the six instrument panes (types 3 to 6, 8 and 9), the week's sessions
// (type 7) and the deposit or withdrawal answer lines (type 10).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/session_view.h"

namespace model {
class ItemDetails;
class GroupInstruments;
}  // namespace model

namespace views {

struct DetailRow {
    std::string label;
    std::string value;
    friend bool operator==(const DetailRow&, const DetailRow&) = default;
};
using DetailRows = std::vector<DetailRow>;
// The selected language's text of a key.
using KeyText = std::function<std::string(const std::string&)>;

namespace detail_type {
inline constexpr int kInstrument = 0;
inline constexpr int kOpenReceipt = 1;
inline constexpr int kExecutedReceipt = 2;
inline constexpr int kSymbol = 3;
inline constexpr int kContract = 4;
inline constexpr int kMargin = 5;
inline constexpr int kPriceLimits = 6;
inline constexpr int kSessions = 7;
inline constexpr int kStorage = 8;
inline constexpr int kDates = 9;
inline constexpr int kAnswerLines = 10;
}  // namespace detail_type

// "%f" of the number in its shortest form: 1.500000 → "1.5", 2.000000 → "2".
std::string decimalText(double number);
// The rate's decimal text, with "%" when the conditions' margin mode is 2.
std::string marginText(double rate, const model::GroupInstruments* conditions);
// The number with the instrument's decimal places (2 without an instrument).
std::string priceText(double number, const model::ItemDetails* item);

// What the instrument loaders read; a missing record leaves its values at zero or empty.
struct InstrumentSource {
    const model::ItemDetails* item = nullptr;
    const model::GroupInstruments* conditions = nullptr;
    // The daily limits the order rules give (0: none).
    double limitUp = 0;
    double limitDown = 0;
};

// Types 0, 3, 4, 5, 6, 8 and 9; no rows for any other type.
DetailRows instrumentRows(int type, const InstrumentSource& source, const KeyText& text);
// Type 7: one row per weekday in ascending order, its lines joined by "\n".
DetailRows sessionRows(const state::WeekSchedule& schedule, const std::function<std::string(std::uint64_t)>& dayName);
// Type 10: the lines split into label and value at 0x03.
DetailRows answerLineRows(const std::vector<std::string>& lines);

}  // namespace views
