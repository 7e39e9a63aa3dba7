#pragma once
// The order record's texts that an open position leaves empty, kept in one
// block allocated only once one of them is set.
#include <memory>

#include "model/compact_text.h"

namespace model {

struct OrderRareTexts {
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
};

// Owns the block; a copy copies it. An absent block reads as all texts empty.
class OrderRareTextBlock {
public:
    using Field = CompactText OrderRareTexts::*;

    OrderRareTextBlock() noexcept = default;
    OrderRareTextBlock(const OrderRareTextBlock& other)
        : texts_(other.texts_ ? std::make_unique<OrderRareTexts>(*other.texts_) : nullptr) {}
    OrderRareTextBlock(OrderRareTextBlock&&) noexcept = default;
    OrderRareTextBlock& operator=(const OrderRareTextBlock& other) {
        if (this != &other) *this = OrderRareTextBlock(other);
        return *this;
    }
    OrderRareTextBlock& operator=(OrderRareTextBlock&&) noexcept = default;

    const CompactText& get(Field field) const noexcept;
    // An empty text on an absent block allocates nothing.
    void set(Field field, CompactText text);
    bool allocated() const noexcept { return texts_ != nullptr; }

private:
    std::unique_ptr<OrderRareTexts> texts_;
};

}  // namespace model
