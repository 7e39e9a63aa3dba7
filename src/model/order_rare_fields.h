#pragma once
// The order record's fields that an open position leaves unset, kept in one
// block allocated only once one of them is set.
#include <memory>

#include "model/compact_text.h"

namespace model {

struct OrderRareFields {
    CompactText PreviousOrderQty;
    CompactText Spread;
    CompactText Bid;
    CompactText Ask;
    CompactText Last;
    CompactText High;
    CompactText Low;
    CompactText ItemTime;
    CompactText CurrentStatus;
    CompactText TicketId;
    CompactText OrderStatus;
    CompactText SettledQty;
    CompactText SettledPL;
    CompactText SettledPrice;
    CompactText ClosingPositionId;
    CompactText SettlementId;
    CompactText RefPositionIdOfBracket;
    CompactText CancelledOrderId;
    CompactText LiqudateOrderNumber;
    // Set on settled orders, and in Equity Hit.
    double EquityHitPrice = 0.0;
    double CurrencyRate = 0.0;
    double OtherCharges = 0.0;
    double accountCurrencyRate = 0.0;
};

// Owns the block; a copy copies it. An absent block reads as every text
// empty and every amount 0.
class OrderRareBlock {
public:
    using TextField = CompactText OrderRareFields::*;
    using AmountField = double OrderRareFields::*;

    OrderRareBlock() noexcept = default;
    OrderRareBlock(const OrderRareBlock& other)
        : fields_(other.fields_ ? std::make_unique<OrderRareFields>(*other.fields_) : nullptr) {}
    OrderRareBlock(OrderRareBlock&&) noexcept = default;
    OrderRareBlock& operator=(const OrderRareBlock& other) {
        if (this != &other) *this = OrderRareBlock(other);
        return *this;
    }
    OrderRareBlock& operator=(OrderRareBlock&&) noexcept = default;

    const CompactText& get(TextField field) const noexcept;
    double get(AmountField field) const noexcept { return fields_ ? (*fields_).*field : 0.0; }
    // An empty text, or a positive 0 (the unset amount), on an absent block allocates nothing.
    void set(TextField field, CompactText text);
    void set(AmountField field, double value);
    bool allocated() const noexcept { return fields_ != nullptr; }

private:
    std::unique_ptr<OrderRareFields> fields_;
};

}  // namespace model
