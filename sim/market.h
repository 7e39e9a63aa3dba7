#pragma once
// Prices of every instrument, moved by a seeded random walk, their chart history,
// and the texts the feed publishes for them: ticks, five-level depth and instrument status.
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart_history.h"
#include "scenario.h"

namespace sim {

class Market {
public:
    struct Quote {
        double bid = 0, ask = 0, last = 0, high = 0, low = 0, open = 0, prevClose = 0;
    };

    Market(const std::vector<InstrumentRecord>& instruments, std::uint64_t seed);

    std::size_t size() const { return items_.size(); }
    const std::string& code(std::size_t index) const { return items_[index].code; }
    int index(const std::string& code) const;  // -1 when unknown

    void step(std::size_t index);
    Quote quote(std::size_t index) const;
    // Bars of `length` seconds for a chart of instrument `index`, the last one holding now.
    std::vector<ChartHistory::Bar> chartBars(std::size_t index, long long length, int count) const;
    // Now in civil seconds: the local calendar read as UTC.
    long long civilNow() const;

    // code 0x04 time 0x04 base 0x04 last bid ask high low open close (scaled) 0x04 decimals.
    std::string tick(std::size_t index, const std::string& time, bool withBase = true) const;
    // "MD_" code ";" five bid levels ";" five ask levels, levels "price,qty" joined by "|".
    std::string depth(std::size_t index) const;
    // "IS;" and a framed type-1049 message.
    static std::string status(const std::string& code, int tradingStatus, int sessionSettingId);

private:
    struct Item {
        std::string code;
        int decimals = 2;
        double tick = 0.01;
        double reference = 1;
        long long base = 0;
        Quote q;
    };
    double round(const Item& it, double v) const;
    // Made on first use, from the item's opening price at the market's start.
    ChartHistory& history(std::size_t index) const;

    std::vector<Item> items_;
    std::unordered_map<std::string, int> indexOf_;  // code -> first item with it
    mutable std::vector<std::unique_ptr<ChartHistory>> histories_;  // one per item
    long long civilOffset_ = 0;
    long long startTime_ = 0;
    mutable std::mutex mutex_;
    std::mt19937_64 rng_;
};

}  // namespace sim
