#include "trading/core/offset_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/text_value.h"
#include "trading/core/position_row_reference.h"

namespace trading {

std::string offsetQuantityText(double quantity) {
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%f", quantity);
    std::string text = fixed;
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::optional<double> offsetQuantityValue(const std::string& text) {
    if (text.empty() || std::count(text.begin(), text.end(), '.') > 1 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; }) ||
        text == ".")
        return std::nullopt;
    return model::TextValue::doubleValue(text);
}

std::vector<model::OffsetPosition> offsetRows(const model::Order& main, const state::Orders& open) {
    std::vector<model::OffsetPosition> rows;
    for (const auto& p : open) {
        if (!p || p->AccountNumber != main.AccountNumber || p->ItemCode != main.ItemCode ||
            p->deliveryMode != main.deliveryMode || p->tradingMode == main.tradingMode)
            continue;
        model::OffsetPosition row;
        row.accountNo = p->AccountNumber;
        row.itemCode = p->ItemCode;
        row.postionId = p->OpenPositionId;
        row.closePrice = p->OrderPrice;
        row.tradingMode = p->tradingMode;
        row.totalQty = row.QtyAvailable = offsetQuantityText(model::TextValue::doubleValue(p->RemainingQty));
        // Move-assigned: GCC 12 warns falsely (-Wrestrict) on assigning a literal at -O2.
        row.offsetQty = std::string(1, '0');
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> offsetQuantities(const std::string& total, double step) {
    constexpr std::size_t kMostEntries = 1000;
    const double whole = model::TextValue::doubleValue(total);
    std::vector<std::string> out{"0"};
    if (step > 0 && std::isfinite(step))
        for (std::size_t n = 1; n < kMostEntries && double(n) * step < whole - 1e-9; ++n)
            out.push_back(offsetQuantityText(double(n) * step));
    if (whole > 0) out.push_back(offsetQuantityText(whole));
    return out;
}

void OffsetSelection::reset(std::vector<model::OffsetPosition> rows) {
    rows_ = std::move(rows);
    tickedRows_.assign(rows_.size(), 0);
    ticks_.clear();
}

bool OffsetSelection::isTicked(std::size_t row) const { return row < tickedRows_.size() && tickedRows_[row]; }

void OffsetSelection::toggle(std::size_t row) {
    if (row >= rows_.size()) return;
    if (tickedRows_[row]) ticks_.erase(std::find(ticks_.begin(), ticks_.end(), row));
    else ticks_.push_back(row);
    tickedRows_[row] = !tickedRows_[row];
    setQuantity(row, 0, 0);
}

void OffsetSelection::setQuantity(std::size_t row, double quantity, double profitLoss) {
    if (row >= rows_.size()) return;
    model::OffsetPosition& r = rows_[row];
    r.offsetQty = offsetQuantityText(quantity);
    r.profitLoss = profitLoss;
    r.QtyAvailable = offsetQuantityText(model::TextValue::doubleValue(r.totalQty) - quantity);
}

std::vector<model::OffsetPosition> OffsetSelection::ticked() const {
    std::vector<model::OffsetPosition> out;
    out.reserve(ticks_.size());
    for (const std::size_t row : ticks_) out.push_back(rows_[row]);
    return out;
}

double OffsetSelection::total() const {
    double sum = 0;
    for (const std::size_t row : ticks_) sum += model::TextValue::doubleValue(rows_[row].offsetQty);
    return sum;
}

std::optional<std::string> offsetRefusal(const state::SessionView& session, const model::Order& main,
                                         const OffsetSelection& selection,
                                         const std::optional<std::string>& orderRule) {
    if (!session.isNetworkAvailable()) return "1007";
    const auto ticked = selection.ticked();
    if (ticked.empty()) return "";
    const double total = selection.total();
    if (total <= 0) return "20241";
    if (total > model::TextValue::doubleValue(main.RemainingQty) + 1e-9) return "20242";
    for (const auto& r : ticked) {
        const double quantity = model::TextValue::doubleValue(r.offsetQty);
        if (quantity <= 0) return "20241";
        if (quantity > model::TextValue::doubleValue(r.totalQty) + 1e-9) return "20243";
    }
    // The account's status and access: the rule the order manager sends by.
    if (orderRule) return orderRule;
    const auto account = accountOf(session, main);
    const auto item = itemOf(session, main);
    const auto group = account ? session.group(account->GroupId) : nullptr;
    const auto conditions = group && item ? group->instrument(item->InstrumentId) : nullptr;
    if (!conditions || !conditions->isAvailableForTrading) return "1069";
    const auto setting = item ? session.sessionSetting(std::to_string(item->CurrentTradeSessionSettingId)) : nullptr;
    if (!setting || !setting->allowNewMarket) return "1050";
    return std::nullopt;
}

}  // namespace trading
