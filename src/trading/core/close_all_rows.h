#pragma once
// The close-all sheet's rules: the ticked positions by id (dropped once
// closed), the button, the failure rows of the order manager's check, and the
// status rows that follow the server's answers.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/order.h"
#include "model/order_info.h"
#include "model/rgba_color.h"
#include "platform/code_set.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"

namespace trading {

inline constexpr model::RGBAColor kStatusGreen{38 / 255.0, 194 / 255.0, 129 / 255.0, 1};
inline constexpr model::RGBAColor kStatusRed{220 / 255.0, 48 / 255.0, 35 / 255.0, 1};

class CloseAllSelection {
public:
    CloseAllSelection() = default;
    CloseAllSelection(const CloseAllSelection&) = delete;  // held_ views its own ticks
    CloseAllSelection& operator=(const CloseAllSelection&) = delete;

    // Every open position, in table order.
    void tickAll(const state::Orders& open);
    void toggle(const std::string& positionId);
    void untick(const std::string& positionId);
    bool isTicked(const std::string& positionId) const;
    // Forgets the ticks of positions no longer open.
    void keepOpen(const state::Orders& open);
    std::size_t count() const;
    // The ticked open positions, in tick order.
    state::Orders tickedPositions(const state::Orders& open) const;
    // The ticked ids are exactly the open ones.
    bool isCloseAll(const state::Orders& open) const;

private:
    // Drops the ids unticked since the last read from ticks_.
    void dropUnticked() const;
    // held_ anew, after ticks_ lost some of its ids (its others moved).
    void holdTicks() const;
    // The ticks are the ids of `open`, in its order (after dropUnticked): a
    // check without a set of every id.
    bool ticksAre(const state::Orders& open) const;

    // In tick order; may still hold ids unticked since (not in held_) until
    // the next read. A deque: a tick added leaves the others where they are.
    mutable std::deque<std::string> ticks_;
    // The ticked ids, viewing ticks_, so that a row or an untick is not a walk
    // of every tick, and a tick of every position costs no node each.
    mutable platform::CodeSet held_;
    mutable bool unticked_ = false;
};

struct CloseAllButton {
    bool enabled = false;
    std::string title;
};
// All ticked: `closeAll`; none: disabled "`some` (0)"; else "`some` (n)".
CloseAllButton closeAllButton(std::size_t ticked, bool all, const std::string& closeAll, const std::string& some);

// A refusal of the check as a failure row; nothing without the validated order.
// A message of several lines keeps its second line only.
std::optional<model::OrderInfo> failureRow(const std::string& text, const model::Order* validated);

// The row of a position sent, "accepted" in green.
model::OrderInfo statusRow(const model::Order& position, const std::string& price, const std::string& accepted);
// A settlement ("66") or a rejection ("25") marks its row: the row's place, none when none matches.
std::optional<std::size_t> applyBulkResult(std::vector<model::OrderInfo>& rows, const state::BulkCloseResult& result,
                                           const std::string& closed);

}  // namespace trading
