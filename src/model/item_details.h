#pragma once
// An instrument with its trading parameters and live prices, and one decoded price tick.
#include <cstdint>
#include <memory>
#include <string>

#include "model/compact_text.h"

namespace model {

class PriceUpdate {
public:
    std::string ItemCode;
    std::string Time;
    double DotPosition = 0.0;
    // 0 stands for a price the tick did not carry.
    double Last = 0.0;
    double Bid = 0.0;
    double Ask = 0.0;
    double High = 0.0;
    double Low = 0.0;
    double Open = 0.0;
    double PreviousClose = 0.0;

    // Market spread in ticks: |Ask - Bid| / tick.
    double GetSpread(double tick) const;
};

class ItemDetails {
public:
    // Spreadtype
    static constexpr std::int32_t kSpreadNone = 0;
    static constexpr std::int32_t kSpreadFixed = 1;
    static constexpr std::int32_t kSpreadMinimum = 2;
    static constexpr std::int32_t kSpreadTopup = 3;
    static constexpr std::int32_t kSpreadConflict = 4;

    // Fields are laid out by size within each group, without padding between them.

    // Identity and classification.
    std::int32_t InstrumentId = 0;
    std::int32_t InstrumentTypeId = 0;
    std::int32_t UnderlyingInstrumentId = 0;
    std::int32_t UnitId = 0;
    std::int32_t CurrencyID = 0;
    bool Enabled = false;
    // Trading conditions' flags, here where they fill the identity's padding.
    bool IsAvailableForWatchlist = false;
    bool isAvailableForTrading = false;
    CompactText Code;
    CompactText Name;
    CompactText InstrumentTypeName;
    CompactText MonthCode;
    // Conversion instrument named by CurrencyID; empty when none. Not owning:
    // ItemCollection owns every instrument, and an instrument may name itself.
    std::weak_ptr<ItemDetails> CalculationItems;
    std::uint64_t BaseCurrencyId = 0;
    std::uint64_t marketID = 0;
    CompactText exchangeName;
    CompactText descriptions;
    CompactText iconResource;
    CompactText extraInfo;
    std::uint64_t priceUnitID = 0;
    double priceUnitValue = 0.0;

    // Price arithmetic and limits.
    std::int32_t DecimalPlaces = 0;
    std::int32_t PLCalcModeId = 0;
    double TickSize = 0.0;
    double priceTick = 0.0;
    double Point = 0.0;
    double ContractSize = 0.0;
    std::uint64_t MarginFormulaId = 0;
    double CircuitLimit = 0.0;
    double circuitLimitUp = 0.0;
    double circuitLimitDown = 0.0;
    double MaxUpdateFrequency = 0.0;
    std::uint64_t mostSignificantDigitLength = 0;
    std::uint64_t leastSignificantDigitLength = 0;
    std::int32_t CutOffLimitPercentCP = 0;

    // Trading conditions.
    std::int32_t TradingStatusId = 0;
    std::int32_t instrumentTradingStatus = 0;
    std::int32_t CurrentTradeSessionSettingId = 0;
    std::int32_t availableOrderTypes = 0;
    std::int32_t availableOrderSettings = 0;
    std::int64_t orderSettings2 = 0;
    std::int32_t HedgeModeId = 0;
    std::int32_t MaxHoldingDays = 0;
    std::int32_t HighlightColor = 0;
    std::int32_t Spreadtype = 0;
    std::int32_t BidSpread = 0;
    std::int32_t AskSpread = 0;
    CompactText FND;
    CompactText LTD;

    // Prices (feed).
    double Bid = 0.0;
    double Ask = 0.0;
    double Last = 0.0;
    double High = 0.0;
    double Low = 0.0;
    double Open = 0.0;
    double PrevClose = 0.0;
    double DayOpen = 0.0;
    double previousBid = 0.0;
    double previousAsk = 0.0;
    CompactText UpdateTime;
    bool isPriceUpdateReceived = false;

    // Watchlist marks.
    bool isWatchlistSymbol = false;
    bool isWatchlistSymbolTemp = false;

    // Rewrites the tick's Bid and Ask by the group's spread rule (only for this instrument's ticks).
    void ApplySpread(PriceUpdate& update) const;
    // Fixed spread around the tick-corrected mid price, in priceTick units.
    void ApplyFixedSpread(PriceUpdate& update, double bidSpread, double askSpread) const;
    // Widens the tick's own bid and ask, in priceTick units.
    void ApplyTopupSpread(PriceUpdate& update, double bidSpread, double askSpread) const;
    // The price rounded to TickSize (exactly half a tick rounds down); unchanged
    // when TickSize is not a positive number.
    double DoMidPriceTickCorrection(double price) const;

    // 0 "Unknown", 1 "Active", 2 "CloseOnly", 3 "Expired", 4 "Disabled", otherwise "".
    static std::string getInstrumentTradingStatus(std::int32_t status);
    // Unit name of ids 1 to 22, otherwise "".
    static std::string getUnits(std::uint64_t unitId);
    // The client's status from the server's TradingStatusId: 1 to 4 kept, else 0.
    static std::int32_t instrumentTradingStatusFor(std::int32_t tradingStatusId);
    bool isInstrumentTradingStatusActive() const { return instrumentTradingStatus == 1; }
};

}  // namespace model
