#pragma once
// A trading account: money figures, group and states.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace model {

class GroupDetails;
class Order;
class TradeCurrency;

class AccountDetails {
public:
    // tradingStatus
    static constexpr std::int32_t kStatusNormal = 1;
    static constexpr std::int32_t kStatusViewOnly = 2;
    static constexpr std::int32_t kStatusSuspended = 3;
    static constexpr std::int32_t kStatusClosePositionOnly = 4;
    static constexpr std::int32_t kStatusEquityHit = 5;
    static constexpr std::int32_t kStatusClosed = 6;
    // accountaccessType
    static constexpr std::int32_t kAccessViewMarket = 4;
    static constexpr std::int32_t kAccessNone = 10;

    virtual ~AccountDetails() = default;

    // Identity and settings.
    std::int32_t AccountId = 0;
    std::string AccountName;
    std::string GroupId;
    bool AccountEnabled = false;
    std::int32_t BranchId = 0;
    std::int64_t tradeAccountType = 0;
    std::int32_t InstrumentLimit = 0;
    std::int32_t WatchlistItemLimit = 0;
    std::int32_t AutoExecutionModeId = 0;
    std::int32_t TradeRouteId = 0;
    std::int32_t HedgeModeId = 0;
    std::int32_t availableOrderTypes = 0;
    std::int64_t accountSettings = 0;
    std::string accountSettings2;
    std::uint64_t currencyID = 0;
    std::shared_ptr<TradeCurrency> tradeCurrency;
    std::uint64_t primaryAccountHolderUserid = 0;

    // Money, in the account currency.
    double Balance = 0.0;
    double UnrealisedPL = 0.0;
    double UsedMargin = 0.0;
    double AvailableMargin = 0.0;
    double Equity = 0.0;
    double CollateralSecurity = 0.0;
    double LeverageOnPositions = 0.0;
    double AccumulatingStorage = 0.0;
    double Leverage = 0.0;
    double oneSideMargin = 0.0;

    // States.
    std::int32_t AccountAccessTypeId = 0;
    std::int32_t accountaccessType = 0;
    std::int32_t TradingStatusId = 0;
    std::int32_t tradingStatus = 0;
    std::int32_t previoustradingStatus = 0;
    std::int32_t MarginStatus = 0;
    std::int32_t accountMarginStatus = 0;
    std::int32_t previousaccountMarginStatus = 0;

    // Names of the states; "" for values without a name.
    static std::string getAccountStatus(std::int32_t status);
    static std::string getAccountType(std::uint64_t type);
    static std::string getAccountAccessType(std::int32_t accessType);

    // Floating profit of one position in its instrument's terms, written into its UnrealisedPL.
    using CalcPL = std::function<void(Order& position)>;
    // The position's profit converted into the account currency.
    using CurrencyConversion = std::function<double(double value, const Order& position)>;

    // Recomputes UnrealisedPL, Leverage, Equity (not in Equity Hit) and AvailableMargin
    // from the session's open positions of this account. `group` may be null.
    void calculateAccountDetails(const GroupDetails* group, const std::vector<std::shared_ptr<Order>>& openOrders,
                                 const CalcPL& calcPL, const CurrencyConversion& convert);
    // The figures that follow from a floating profit: UnrealisedPL, Leverage,
    // Equity (not in Equity Hit) and AvailableMargin. `group` may be null.
    void applyUnrealisedPL(const GroupDetails* group, double unrealisedPL);
};

}  // namespace model
