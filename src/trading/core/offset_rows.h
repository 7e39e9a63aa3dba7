#pragma once
// The offset of one position against opposite positions: the rows offered,
// the quantities a row may take, the ticks in their order, the totals and
// the checks before sending. The main position is found by id each time.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/offset_position.h"
#include "model/order.h"
#include "state/session_view.h"

namespace trading {

// A quantity as its shortest decimal text after "%f" ("2.5", "0").
std::string offsetQuantityText(double quantity);
// A typed quantity: digits and at most one "."; nullopt otherwise.
std::optional<double> offsetQuantityValue(const std::string& text);

// The positions of the main one's account, instrument and delivery mode on
// the other side, in collection order.
std::vector<model::OffsetPosition> offsetRows(const model::Order& main, const state::Orders& open);

// 0, step, 2 step ... below the total, then the total. A step not above 0
// gives 0 and the total; the list stops at 1,000 entries and then the total.
std::vector<std::string> offsetQuantities(const std::string& total, double step);

class OffsetSelection {
public:
    void reset(std::vector<model::OffsetPosition> rows);
    const std::vector<model::OffsetPosition>& rows() const { return rows_; }
    // Ticks or unticks the row; either way its quantity goes back to "0".
    void toggle(std::size_t row);
    bool isTicked(std::size_t row) const;
    // The row's quantity, its available rest and its P/L at `currentPrice`.
    void setQuantity(std::size_t row, double quantity, double profitLoss);
    // Ticked rows only, in tick order.
    std::vector<model::OffsetPosition> ticked() const;
    double total() const;

private:
    std::vector<model::OffsetPosition> rows_;
    std::vector<char> tickedRows_;    // by row: ticked or not
    std::vector<std::size_t> ticks_;  // rows, in tick order
};

// The first failing check's key; "" for a silent refusal (nothing ticked);
// nullopt when the offset may go. `orderRule`: the order manager's refusal of
// the account and instrument, checked after the quantities.
std::optional<std::string> offsetRefusal(const state::SessionView& session, const model::Order& main,
                                         const OffsetSelection& selection,
                                         const std::optional<std::string>& orderRule);

}  // namespace trading
