#include "trading/core/close_all_rows.h"

#include <algorithm>
#include <unordered_map>

#include "model/text_value.h"

namespace trading {

void CloseAllSelection::tickAll(const state::Orders& open) {
    ticks_.clear();
    ticked_.clear();
    for (const auto& p : open)
        if (p) {
            ticks_.push_back(p->OpenPositionId);
            ticked_.insert(p->OpenPositionId);
        }
}

void CloseAllSelection::toggle(const std::string& positionId) {
    if (isTicked(positionId)) {
        untick(positionId);
    } else {
        ticks_.push_back(positionId);
        ticked_.insert(positionId);
    }
}

void CloseAllSelection::untick(const std::string& positionId) {
    ticks_.erase(std::remove(ticks_.begin(), ticks_.end(), positionId), ticks_.end());
    ticked_.erase(positionId);
}

bool CloseAllSelection::isTicked(const std::string& positionId) const {
    return ticked_.count(positionId) != 0;
}

void CloseAllSelection::keepOpen(const state::Orders& open) {
    std::unordered_set<std::string> ids;
    for (const auto& p : open)
        if (p) ids.insert(p->OpenPositionId);
    ticks_.erase(std::remove_if(ticks_.begin(), ticks_.end(), [&](const std::string& id) { return !ids.count(id); }),
                 ticks_.end());
    ticked_ = std::unordered_set<std::string>(ticks_.begin(), ticks_.end());
}

state::Orders CloseAllSelection::tickedPositions(const state::Orders& open) const {
    std::unordered_map<std::string, const state::Orders::value_type*> byId;  // the first of each id
    for (const auto& p : open)
        if (p) byId.emplace(p->OpenPositionId, &p);
    state::Orders out;
    for (const std::string& id : ticks_)
        if (const auto found = byId.find(id); found != byId.end()) out.push_back(*found->second);
    return out;
}

bool CloseAllSelection::isCloseAll(const state::Orders& open) const {
    std::unordered_set<std::string> ids;
    for (const auto& p : open)
        if (p) ids.insert(p->OpenPositionId);
    return !ids.empty() && ids == ticked_;
}

CloseAllButton closeAllButton(std::size_t ticked, bool all, const std::string& closeAll, const std::string& some) {
    if (all && ticked > 0) return {true, closeAll};
    return {ticked > 0, some + " (" + std::to_string(ticked) + ")"};
}

std::optional<model::OrderInfo> failureRow(const std::string& text, const model::Order* validated) {
    if (!validated) return std::nullopt;
    model::OrderInfo row;
    row.orderNo = validated->LiqudateOrderNumber();
    row.accountNo = static_cast<std::int32_t>(model::TextValue::doubleValue(validated->AccountNumber));
    row.itemCode = validated->ItemCode;
    row.tradingMode = validated->tradingMode;
    row.quantity = validated->OrderQty;
    row.price = validated->OrderPrice;
    row.orderDetails = text;
    if (const std::size_t first = text.find('\n'); first != std::string::npos) {
        const std::size_t second = text.find('\n', first + 1);
        row.orderDetails = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
    row.statusColor = kStatusRed;
    return row;
}

model::OrderInfo statusRow(const model::Order& position, const std::string& price, const std::string& accepted) {
    model::OrderInfo row;
    row.orderNo = position.OpenPositionId;
    row.accountNo = static_cast<std::int32_t>(model::TextValue::doubleValue(position.AccountNumber));
    row.itemCode = position.ItemCode;
    row.tradingMode = position.tradingMode;
    row.quantity = position.RemainingQty;
    row.price = price;
    row.statusColor = kStatusGreen;
    row.orderDetails = accepted;
    return row;
}

bool applyBulkResult(std::vector<model::OrderInfo>& rows, const state::BulkCloseResult& result, const std::string& closed) {
    std::string id;
    if (result.status == state::BulkCloseResult::kSettled && result.settled) id = result.settled->OpenPositionId;
    else if (result.status == state::BulkCloseResult::kRejected) id = result.reference;
    if (id.empty()) return false;
    for (model::OrderInfo& row : rows) {
        if (row.orderNo != id) continue;
        const bool settled = result.status == state::BulkCloseResult::kSettled;
        row.orderDetails = settled ? closed : result.reason;
        row.statusColor = settled ? kStatusGreen : kStatusRed;
        return true;
    }
    return false;
}

}  // namespace trading
