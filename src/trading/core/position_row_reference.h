#pragma once
// The row a position dialog acts on. The tables pass a row index; the index is
// checked against the current collection once and turned into the record's id,
// which later reads look up again, so rows removed, added or re-sorted under an
// open dialog never change what it shows or sends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/account_details.h"
#include "model/item_details.h"
#include "model/order.h"
#include "state/session_view.h"

namespace trading {

// Dialog modes: an open position, or a pending order.
inline constexpr std::int32_t kPositionMode = 0;
inline constexpr std::int32_t kPendingMode = 1;

// "OrderIndex" as the tables write it ("%ld"); nullopt for anything but a
// non-negative decimal integer.
std::optional<std::size_t> rowIndexOf(const std::string& text);
// getOpenOrderCollection (mode 0) or getPendingOrderCollection (mode 1) at
// `index`; null past the end or for another mode.
std::shared_ptr<model::Order> orderAtRow(const state::SessionView& session, std::int32_t mode, std::size_t index);
// OpenPositionId (mode 0) or PendingOrderId (mode 1).
std::string idOfRow(const model::Order& order, std::int32_t mode);
// The record with that id in the mode's current collection; null when gone.
std::shared_ptr<model::Order> orderWithId(const state::SessionView& session, std::int32_t mode,
                                          const std::string& id);

// The instrument and account of a row; null when the session has none.
std::shared_ptr<model::ItemDetails> itemOf(const state::SessionView& session, const model::Order& order);
std::shared_ptr<model::AccountDetails> accountOf(const state::SessionView& session, const model::Order& order);

class PositionRowReference {
public:
    // Resolves the index text in the mode's collection to the row's id; false
    // (and nothing held) when the index is bad, past the end or the row has no id.
    bool open(const state::SessionView& session, std::int32_t mode, const std::string& indexText);
    // Holds the id when the mode's collection has a record with it.
    bool openId(const state::SessionView& session, std::int32_t mode, const std::string& id);
    // The row found again by id; null when it is gone or nothing is held.
    std::shared_ptr<model::Order> current(const state::SessionView& session) const;
    bool resolved() const { return !id_.empty(); }
    const std::string& id() const { return id_; }
    std::int32_t mode() const { return mode_; }
    void reset() { id_.clear(); }

private:
    std::int32_t mode_ = kPositionMode;
    std::string id_;
};

}  // namespace trading
