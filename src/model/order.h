#pragma once
// The order and position record, with the trading enumerations and their wire values.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "model/compact_text.h"
#include "model/order_rare_fields.h"

namespace model {

class GroupInstruments;
class ItemDetails;

class Order {
public:
    // Wire value for "no value".
    static constexpr std::int32_t kNoValue = 926;

    // tradingMode
    static constexpr std::int32_t kBuy = 0;
    static constexpr std::int32_t kSell = 1;
    // orderType
    static constexpr std::int32_t kOrderTypeNone = 0;
    static constexpr std::int32_t kMarket = 1;
    static constexpr std::int32_t kLimit = 2;
    static constexpr std::int32_t kStop = 3;
    // deliveryMode
    static constexpr std::int32_t kRegular = 1;
    static constexpr std::int32_t kIntraday = 2;
    static constexpr std::int32_t kBTST = 3;
    // timeinForce
    static constexpr std::int32_t kGTC = 1;
    static constexpr std::int32_t kGTF = 2;
    static constexpr std::int32_t kDay = 5;
    // Order status codes.
    static constexpr std::int32_t kStatusNew = 21;
    static constexpr std::int32_t kStatusPartlyFilled = 22;
    static constexpr std::int32_t kStatusFullyFilled = 23;
    static constexpr std::int32_t kStatusCancelled = 24;
    static constexpr std::int32_t kStatusExpired = 26;
    static constexpr std::int32_t kStatusSuspended = 27;
    static constexpr std::int32_t kStatusPending = 28;

    // Enumerations and request values.
    std::int32_t tradingMode = 0;
    std::int32_t orderType = 0;
    std::int32_t deliveryMode = 0;
    std::int32_t timeinForce = 0;
    std::int32_t orderrejectReason = 0;
    std::int32_t ordertypeInfo = 0;
    std::int64_t RequestId = 0;  // a placeholder's is the session's request id + 1, which may pass 2^31 - 1
    std::int32_t orderTypeTag = 0;
    std::int32_t deliveryModeTag = 0;
    std::int32_t tradingModeTag = 0;
    std::int32_t timeinForceTag = 0;
    std::int32_t deviation = 0;

    // Texts (decimal text for prices and quantities, as the server sends them).
    CompactText AccountNumber;
    CompactText ItemCode;
    CompactText OrderQty;
    CompactText RemainingQty;
    CompactText OrderPrice;
    CompactText LimitPrice;
    CompactText StopPrice;
    CompactText TransactionDateTime;
    CompactText OrderRouteId;
    CompactText PendingOrderId;
    CompactText ExecutionId;
    CompactText OpenPositionId;
    CompactText ExpiryDate;
    CompactText ValueDate;
    // The margin of one lot as the positions table last showed it; kept here so that
    // showing a row allocates nothing.
    CompactText margin;

    // Texts an open position usually leaves empty; an unset one reads as empty.
    const CompactText& PreviousOrderQty() const noexcept {
        return rare_.get(&OrderRareFields::PreviousOrderQty);
    }
    void setPreviousOrderQty(CompactText text) {
        rare_.set(&OrderRareFields::PreviousOrderQty, std::move(text));
    }
    const CompactText& Spread() const noexcept { return rare_.get(&OrderRareFields::Spread); }
    void setSpread(CompactText text) { rare_.set(&OrderRareFields::Spread, std::move(text)); }
    const CompactText& Bid() const noexcept { return rare_.get(&OrderRareFields::Bid); }
    void setBid(CompactText text) { rare_.set(&OrderRareFields::Bid, std::move(text)); }
    const CompactText& Ask() const noexcept { return rare_.get(&OrderRareFields::Ask); }
    void setAsk(CompactText text) { rare_.set(&OrderRareFields::Ask, std::move(text)); }
    const CompactText& Last() const noexcept { return rare_.get(&OrderRareFields::Last); }
    void setLast(CompactText text) { rare_.set(&OrderRareFields::Last, std::move(text)); }
    const CompactText& High() const noexcept { return rare_.get(&OrderRareFields::High); }
    void setHigh(CompactText text) { rare_.set(&OrderRareFields::High, std::move(text)); }
    const CompactText& Low() const noexcept { return rare_.get(&OrderRareFields::Low); }
    void setLow(CompactText text) { rare_.set(&OrderRareFields::Low, std::move(text)); }
    const CompactText& ItemTime() const noexcept { return rare_.get(&OrderRareFields::ItemTime); }
    void setItemTime(CompactText text) { rare_.set(&OrderRareFields::ItemTime, std::move(text)); }
    const CompactText& CurrentStatus() const noexcept { return rare_.get(&OrderRareFields::CurrentStatus); }
    void setCurrentStatus(CompactText text) { rare_.set(&OrderRareFields::CurrentStatus, std::move(text)); }
    const CompactText& TicketId() const noexcept { return rare_.get(&OrderRareFields::TicketId); }
    void setTicketId(CompactText text) { rare_.set(&OrderRareFields::TicketId, std::move(text)); }
    const CompactText& OrderStatus() const noexcept { return rare_.get(&OrderRareFields::OrderStatus); }
    void setOrderStatus(CompactText text) { rare_.set(&OrderRareFields::OrderStatus, std::move(text)); }
    const CompactText& SettledQty() const noexcept { return rare_.get(&OrderRareFields::SettledQty); }
    void setSettledQty(CompactText text) { rare_.set(&OrderRareFields::SettledQty, std::move(text)); }
    const CompactText& SettledPL() const noexcept { return rare_.get(&OrderRareFields::SettledPL); }
    void setSettledPL(CompactText text) { rare_.set(&OrderRareFields::SettledPL, std::move(text)); }
    const CompactText& SettledPrice() const noexcept { return rare_.get(&OrderRareFields::SettledPrice); }
    void setSettledPrice(CompactText text) { rare_.set(&OrderRareFields::SettledPrice, std::move(text)); }
    const CompactText& ClosingPositionId() const noexcept {
        return rare_.get(&OrderRareFields::ClosingPositionId);
    }
    void setClosingPositionId(CompactText text) {
        rare_.set(&OrderRareFields::ClosingPositionId, std::move(text));
    }
    const CompactText& SettlementId() const noexcept { return rare_.get(&OrderRareFields::SettlementId); }
    void setSettlementId(CompactText text) { rare_.set(&OrderRareFields::SettlementId, std::move(text)); }
    const CompactText& RefPositionIdOfBracket() const noexcept {
        return rare_.get(&OrderRareFields::RefPositionIdOfBracket);
    }
    void setRefPositionIdOfBracket(CompactText text) {
        rare_.set(&OrderRareFields::RefPositionIdOfBracket, std::move(text));
    }
    const CompactText& CancelledOrderId() const noexcept {
        return rare_.get(&OrderRareFields::CancelledOrderId);
    }
    void setCancelledOrderId(CompactText text) {
        rare_.set(&OrderRareFields::CancelledOrderId, std::move(text));
    }
    const CompactText& LiqudateOrderNumber() const noexcept {
        return rare_.get(&OrderRareFields::LiqudateOrderNumber);
    }
    void setLiqudateOrderNumber(CompactText text) {
        rare_.set(&OrderRareFields::LiqudateOrderNumber, std::move(text));
    }
    // Amounts an open position usually leaves at 0 (settled orders, Equity Hit).
    double EquityHitPrice() const noexcept { return rare_.get(&OrderRareFields::EquityHitPrice); }
    void setEquityHitPrice(double value) { rare_.set(&OrderRareFields::EquityHitPrice, value); }
    double CurrencyRate() const noexcept { return rare_.get(&OrderRareFields::CurrencyRate); }
    void setCurrencyRate(double value) { rare_.set(&OrderRareFields::CurrencyRate, value); }
    double OtherCharges() const noexcept { return rare_.get(&OrderRareFields::OtherCharges); }
    void setOtherCharges(double value) { rare_.set(&OrderRareFields::OtherCharges, value); }
    double accountCurrencyRate() const noexcept { return rare_.get(&OrderRareFields::accountCurrencyRate); }
    void setAccountCurrencyRate(double value) { rare_.set(&OrderRareFields::accountCurrencyRate, value); }
    // Whether any of them was set.
    bool hasRareFields() const noexcept { return rare_.allocated(); }

    // Amounts.
    double Commision = 0.0;
    // The commission paid for the initial quantity; Commision is its share of the remaining one.
    double CommisionPaid = 0.0;
    // Floating profit in the instrument's terms: computed from the prices, or
    // the server's value while the account is in Equity Hit. UnrealisedPL is
    // it converted into the account currency.
    double FloatingPL = 0.0;
    double UnrealisedPL = 0.0;
    double Storage = 0.0;
    double previousBid = 0.0;
    double previousAsk = 0.0;
    double BaseCurrencyRate = 0.0;

    // Flags.
    bool isCloseNew = false;
    bool isEditWorkOrder = false;
    bool isEditBracketOrder = false;
    bool isTakeProfitEnabled = false;
    bool isStopLossEnabled = false;
    bool isCancelOrder = false;
    bool validationResult = false;
    // The session's connection number when the order was built; sent only on that connection.
    std::uint64_t builtOnConnection = 0;

    // Wire values of the enumerations; out-of-range values (negative ones too) give 926.
    static std::int32_t GetOrderTypeTagValue(std::int32_t orderType);
    static std::int32_t GetDeliveryModeTagValue(std::int32_t deliveryMode);
    static std::int32_t GetTimeInForceTagValue(std::int32_t timeInForce);
    // 45 for buy, 46 for every other value.
    static std::int32_t GetTradingModeTagValue(std::int32_t tradingMode);

    // Name of a status code; nullopt for codes without a name.
    static std::optional<std::string> GetOrderStatus(std::int32_t status);

    // "B"/"S", or the texts of keys "0009"/"0010" when expanded; "" for any other side.
    static std::string GetTradingModeString(std::int32_t tradingMode, bool expandedText);

    // Lookup of a language key in the selected language, used by the expanded
    // side text. Until one is installed the key itself is answered.
    using KeyLookup = std::function<std::string(const std::string& key)>;
    static void setKeyLookup(KeyLookup lookup);

    bool isQuoteOrder() const { return false; }

    // Margin of one lot; nullopt without a group row or when the figures give no finite value.
    std::optional<double> GetMarginForSingleLot(const GroupInstruments* groupInstrument,
                                                const ItemDetails& itemDetails) const;

private:
    OrderRareBlock rare_;
};

}  // namespace model
