#include "trading/core/close_all_rows.h"

#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "model/text_value.h"

namespace trading {

namespace {

// The distinct ids of the open positions, viewing the positions' own texts.
std::unordered_set<std::string_view> openIds(const state::Orders& open) {
    std::unordered_set<std::string_view> ids;
    ids.reserve(open.size());
    for (const auto& p : open)
        if (p) ids.insert(p->OpenPositionId);
    return ids;
}

}  // namespace

void CloseAllSelection::tickAll(const state::Orders& open) {
    ticks_.clear();
    held_.clear();
    unticked_ = false;
    held_.reserve(open.size());
    // Its fresh pages taken whole at once, not by the inserts' reads and writes.
    held_.prepareRoom(std::numeric_limits<std::size_t>::max());
    for (const auto& p : open)
        if (p) held_.insert(ticks_.emplace_back(p->OpenPositionId));
}

void CloseAllSelection::toggle(const std::string& positionId) {
    if (isTicked(positionId)) {
        untick(positionId);
        return;
    }
    dropUnticked();  // a tick again goes last, not where it was before
    held_.insert(ticks_.emplace_back(positionId));
}

void CloseAllSelection::untick(const std::string& positionId) {
    if (held_.erase(positionId)) unticked_ = true;
}

bool CloseAllSelection::isTicked(const std::string& positionId) const { return held_.contains(positionId); }

void CloseAllSelection::dropUnticked() const {
    if (!std::exchange(unticked_, false)) return;
    // Read before the first tick moves: held_ views the ticks where they are.
    std::vector<char> kept;
    kept.reserve(ticks_.size());
    for (const std::string& id : ticks_) kept.push_back(held_.contains(id));
    std::size_t at = 0;
    std::erase_if(ticks_, [&](const std::string&) { return !kept[at++]; });
    holdTicks();
}

void CloseAllSelection::holdTicks() const {
    held_.clear();
    for (const std::string& id : ticks_) held_.insert(id);
}

std::size_t CloseAllSelection::count() const {
    dropUnticked();
    return ticks_.size();
}

bool CloseAllSelection::ticksAre(const state::Orders& open) const {
    std::size_t at = 0;
    for (const auto& p : open) {
        if (!p) continue;
        if (at == ticks_.size() || p->OpenPositionId != ticks_[at]) return false;
        ++at;
    }
    return at == ticks_.size();
}

void CloseAllSelection::keepOpen(const state::Orders& open) {
    dropUnticked();
    if (ticksAre(open)) return;  // every position ticked, in order: all are open
    const std::unordered_set<std::string_view> ids = openIds(open);
    if (std::erase_if(ticks_, [&](const std::string& id) { return !ids.count(id); })) holdTicks();
}

state::Orders CloseAllSelection::tickedPositions(const state::Orders& open) const {
    dropUnticked();
    // The first open position of each id, found once for every tick.
    std::unordered_map<std::string_view, const std::shared_ptr<model::Order>*> first;
    first.reserve(open.size());
    for (const auto& p : open)
        if (p) first.try_emplace(p->OpenPositionId, &p);
    state::Orders out;
    for (const std::string& id : ticks_)
        if (const auto found = first.find(id); found != first.end()) out.push_back(*found->second);
    return out;
}

bool CloseAllSelection::isCloseAll(const state::Orders& open) const {
    dropUnticked();
    if (ticksAre(open)) return !ticks_.empty();
    // The ticks are held_ once the unticked are dropped.
    const std::unordered_set<std::string_view> ids = openIds(open);
    if (ids.empty() || ids.size() != held_.size()) return false;
    for (const std::string_view id : ids)
        if (!held_.contains(id)) return false;
    return true;
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

std::optional<std::size_t> applyBulkResult(std::vector<model::OrderInfo>& rows, const state::BulkCloseResult& result,
                                           const std::string& closed) {
    std::string id;
    if (result.status == state::BulkCloseResult::kSettled && result.settled) id = result.settled->OpenPositionId;
    else if (result.status == state::BulkCloseResult::kRejected) id = result.reference;
    if (id.empty()) return std::nullopt;
    for (std::size_t at = 0; at < rows.size(); ++at) {
        model::OrderInfo& row = rows[at];
        if (row.orderNo != id) continue;
        const bool settled = result.status == state::BulkCloseResult::kSettled;
        row.orderDetails = settled ? closed : result.reason;
        row.statusColor = settled ? kStatusGreen : kStatusRed;
        return at;
    }
    return std::nullopt;
}

}  // namespace trading
