#pragma once
// The bars of a loaded chart: one growable column per field, row i of every
// column belongs to bar i, oldest first. A row that was never written holds
// no value (NaN in the price columns, an empty text in date and time).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace charts {

class ChartBars {
public:
    // Rows beyond this are not stored.
    static constexpr std::size_t kMaxBars = 10'000'002;
    // Live bars are kept to this many rows; past it the oldest kLiveTrim go at once.
    static constexpr std::size_t kLiveRows = 20'000;
    static constexpr std::size_t kLiveTrim = 2'000;

    std::vector<std::string> date;  // "MM/dd/yy"
    std::vector<std::string> time;  // "HH:mm:ss"
    std::vector<double> Symdata;    // close, or the last price of the live bar
    std::vector<double> high;
    std::vector<double> low;
    std::vector<double> open;
    std::vector<double> bidPriceData;  // section 3: bid line of the bid/ask chart
    std::vector<double> askPriceData;  // section 4: ask line of the bid/ask chart
    std::vector<double> biddata;       // bid price line
    std::vector<double> askdata;       // ask price line

    std::size_t dropped = 0;  // rows let go at the front since the last clear

    void clear();
    // Removes the oldest `n` rows of every column (all of them when fewer).
    void dropOldest(std::size_t n);

    // The value of `row` in `column`; nothing for a row outside it or never written.
    static std::optional<double> value(const std::vector<double>& column, long long row);
    static std::string text(const std::vector<std::string>& column, long long row);
    // Writes `row`, growing the column with empty rows; false (nothing written) past kMaxBars.
    static bool put(std::vector<double>& column, std::size_t row, double v);
    static bool put(std::vector<std::string>& column, std::size_t row, std::string v);
};

}  // namespace charts
