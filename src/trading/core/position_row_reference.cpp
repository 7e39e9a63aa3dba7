#include "trading/core/position_row_reference.h"

#include <charconv>

namespace trading {

std::optional<std::size_t> rowIndexOf(const std::string& text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

namespace {
state::Orders collection(const state::SessionView& session, std::int32_t mode) {
    if (mode == kPositionMode) return session.getOpenOrderCollection();
    if (mode == kPendingMode) return session.getPendingOrderCollection();
    return {};
}
}  // namespace

std::shared_ptr<model::Order> orderAtRow(const state::SessionView& session, std::int32_t mode, std::size_t index) {
    const state::Orders rows = collection(session, mode);
    return index < rows.size() ? rows[index] : nullptr;
}

std::string idOfRow(const model::Order& order, std::int32_t mode) {
    return mode == kPendingMode ? order.PendingOrderId : order.OpenPositionId;
}

std::shared_ptr<model::Order> orderWithId(const state::SessionView& session, std::int32_t mode,
                                          const std::string& id) {
    if (id.empty()) return nullptr;
    for (const auto& order : collection(session, mode))
        if (order && idOfRow(*order, mode) == id) return order;
    return nullptr;
}

std::shared_ptr<model::ItemDetails> itemOf(const state::SessionView& session, const model::Order& order) {
    return session.instrument(order.ItemCode);
}

std::shared_ptr<model::AccountDetails> accountOf(const state::SessionView& session, const model::Order& order) {
    return session.account(order.AccountNumber);
}

bool PositionRowReference::open(const state::SessionView& session, std::int32_t mode,
                                const std::string& indexText) {
    id_.clear();
    mode_ = mode;
    const auto index = rowIndexOf(indexText);
    if (!index) return false;
    if (const auto row = orderAtRow(session, mode, *index)) id_ = idOfRow(*row, mode);
    return resolved();
}

bool PositionRowReference::openId(const state::SessionView& session, std::int32_t mode, const std::string& id) {
    id_.clear();
    mode_ = mode;
    if (orderWithId(session, mode, id)) id_ = id;
    return resolved();
}

std::shared_ptr<model::Order> PositionRowReference::current(const state::SessionView& session) const {
    return orderWithId(session, mode_, id_);
}

}  // namespace trading
