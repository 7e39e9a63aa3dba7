#include "market.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "wire_message.h"

namespace sim {

Market::Market(const std::vector<InstrumentRecord>& instruments, std::uint64_t seed) : rng_(seed) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    civilOffset_ = static_cast<long long>(timegm(&tm)) - static_cast<long long>(now);
    startTime_ = civilNow();
    for (const auto& i : instruments) {
        Item it;
        it.code = i.code;
        it.decimals = std::clamp(i.decimals, 0, 6);
        it.tick = i.tickSize > 0 ? i.tickSize : std::pow(10.0, -it.decimals);
        it.reference = i.price;
        it.base = static_cast<long long>(std::floor(i.price * 0.5));
        const double mid = round(it, i.price);
        it.q.bid = round(it, mid - it.tick);
        it.q.ask = round(it, mid + it.tick);
        it.q.last = mid;
        it.q.high = mid;
        it.q.low = mid;
        it.q.open = mid;
        const double prev = jsonNumber(*i.record, "PrevClose", 0);
        it.q.prevClose = prev > 0 ? prev : mid;
        indexOf_.emplace(it.code, static_cast<int>(items_.size()));
        items_.push_back(it);
    }
    histories_.resize(items_.size());
}

long long Market::civilNow() const { return static_cast<long long>(std::time(nullptr)) + civilOffset_; }

std::vector<ChartHistory::Bar> Market::chartBars(std::size_t index, long long length, int count) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return history(index).bars(length, count, civilNow());
}

int Market::index(const std::string& code) const {
    const auto it = indexOf_.find(code);
    return it == indexOf_.end() ? -1 : it->second;
}

ChartHistory& Market::history(std::size_t index) const {
    std::unique_ptr<ChartHistory>& h = histories_.at(index);
    if (!h) h = std::make_unique<ChartHistory>(items_[index].code, items_[index].q.open, startTime_);
    return *h;
}

double Market::round(const Item& it, double v) const {
    const double scale = std::pow(10.0, it.decimals);
    return std::round(v * scale) / scale;
}

void Market::step(std::size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    Item& it = items_.at(index);
    // A step of the feed's default four a second: a minute of them moves the
    // price as far as a minute of the history's path (about 0.04 %), so that
    // the chart goes on from its history without one tall bar at the start.
    std::normal_distribution<double> move(0.0, 0.000026);
    double mid = (it.q.bid + it.q.ask) / 2 * (1 + move(rng_));
    mid = std::clamp(mid, it.reference * 0.6, it.reference * 1.4);
    mid = round(it, mid);
    const int halfSpread = 1 + static_cast<int>(rng_() % 2);
    it.q.bid = round(it, mid - halfSpread * it.tick);
    it.q.ask = round(it, mid + halfSpread * it.tick);
    it.q.last = mid;
    it.q.high = std::max(it.q.high, mid);
    it.q.low = std::min(it.q.low, mid);
    history(index).record(civilNow(), mid);
}

Market::Quote Market::quote(std::size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_.at(index).q;
}

std::string Market::tick(std::size_t index, const std::string& time, bool withBase) const {
    Quote q;
    Item it;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        it = items_.at(index);
        q = it.q;
    }
    const double scale = std::pow(10.0, it.decimals);
    const long long base = withBase ? it.base : 0;
    auto scaled = [&](double p) { return std::to_string(std::llround((p - static_cast<double>(base)) * scale)); };
    std::string out = it.code;
    out += kTickField;
    out += time;
    out += kTickField;
    if (withBase) out += std::to_string(base);
    for (double p : {q.last, q.bid, q.ask, q.high, q.low, q.open, q.prevClose}) {
        out += kTickField;
        out += scaled(p);
    }
    out += kTickField;
    out += std::to_string(it.decimals);
    return out;
}

std::string Market::depth(std::size_t index) const {
    Item it;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        it = items_.at(index);
    }
    std::string bids, asks;
    for (int k = 0; k < 5; ++k) {
        if (k) {
            bids += '|';
            asks += '|';
        }
        const std::string qty = std::to_string(5 * (k + 1));
        bids += fixed(it.q.bid - k * it.tick, it.decimals) + "," + qty;
        asks += fixed(it.q.ask + k * it.tick, it.decimals) + "," + qty;
    }
    return "MD_" + it.code + ";" + bids + ";" + asks;
}

std::string Market::status(const std::string& code, int tradingStatus, int sessionSettingId) {
    WireMessage m(1049);
    m.add(12, code).add(572, tradingStatus).add(574, sessionSettingId);
    return "IS;" + m.frame();
}

}  // namespace sim
