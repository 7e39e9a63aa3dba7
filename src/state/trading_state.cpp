#include "state/trading_state.h"

namespace state {

TradingState::TradingState() = default;
TradingState::~TradingState() = default;

const protocol::LoginInfoMessage* TradingState::firstLoginRecord() const {
    const auto* first = loginInfoMessageCollection.first();
    return first ? first->second.get() : nullptr;
}

}  // namespace state
