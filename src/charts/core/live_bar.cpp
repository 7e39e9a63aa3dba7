#include "charts/core/live_bar.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "charts/core/chart_answer.h"
#include "charts/core/chart_interval.h"
#include "charts/core/chart_labels.h"
#include "model/formatter.h"

namespace charts {

namespace {
constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;
constexpr long long kMondayOffset = 4 * kDay;  // 1970-01-01 was a Thursday

long long fieldSeconds(const model::DateFormatter::Fields& f) {
    using namespace std::chrono;
    const sys_days day = year_month_day(year(f.year), month(static_cast<unsigned>(f.month)), std::chrono::day(static_cast<unsigned>(f.day)));
    return static_cast<long long>(day.time_since_epoch().count()) * kDay + f.hour * 3600LL + f.minute * 60LL + f.second;
}

long long floorMod(long long a, long long b) { return ((a % b) + b) % b; }
}  // namespace

void LiveBar::setTimerInterval(int intervalIndex) { timeInterval_ = liveBarLength(intervalIndex); }

std::optional<long long> LiveBar::civilSeconds(const std::string& date, const std::string& time) {
    static const model::DateFormatter format("MM/dd/yy HH:mm:ss");
    const auto f = format.fieldsFromString(date + " " + time);
    if (!f) return std::nullopt;
    return fieldSeconds(*f);
}

long long LiveBar::bucketStart(long long seconds, long long length) {
    if (length <= 1) return seconds;
    if (length == kWeek) return seconds - floorMod(seconds - kMondayOffset, kWeek);
    return seconds - floorMod(seconds, length);
}

bool LiveBar::newChartData(const LiveQuote& quote, ChartBars& bars, ChartWindow& window) const {
    const long long row = window.lastArrIndexPtr;
    const auto close = ChartBars::value(bars.Symdata, row);
    if (!close || !std::isfinite(quote.Last)) return false;
    const std::string lastText = priceText(quote.Last, quote.decimals);
    if (lastText == priceText(*close, quote.decimals)) return false;
    const double last = chartNumber(lastText);

    static const model::DateFormatter updateFormat("MM/dd/yyyy HH:mm:ss");
    const auto when = updateFormat.fieldsFromString(quote.UpdateTime);
    std::string date, time;
    if (when) {
        date = model::DateFormatter("MM/dd/yy").stringFromFields(*when);
        time = model::DateFormatter("HH:mm:ss").stringFromFields(*when);
    }

    bool newBar = timeInterval_ <= 1;
    if (!newBar && when) {
        const auto rowTime = civilSeconds(ChartBars::text(bars.date, row), ChartBars::text(bars.time, row));
        newBar = rowTime && bucketStart(fieldSeconds(*when), timeInterval_) > bucketStart(*rowTime, timeInterval_);
    }
    std::size_t target = static_cast<std::size_t>(row);
    if (newBar && target + 1 >= ChartBars::kLiveRows) {
        // A long live feed: the oldest bars go, the newest kLiveRows - kLiveTrim stay.
        const std::size_t n = target + 1 - (ChartBars::kLiveRows - ChartBars::kLiveTrim);
        bars.dropOldest(n);
        window.dropOldest(static_cast<int>(n));
        target -= n;
    }
    double open = last, high = last, low = last;
    if (newBar && target + 1 < ChartBars::kMaxBars) {
        ++target;
    } else {
        open = ChartBars::value(bars.open, row).value_or(last);
        high = std::max(ChartBars::value(bars.high, row).value_or(last), last);
        low = std::min(ChartBars::value(bars.low, row).value_or(last), last);
    }
    const double bid = chartNumber(priceText(quote.Bid, quote.decimals));
    const double ask = chartNumber(priceText(quote.Ask, quote.decimals));
    ChartBars::put(bars.date, target, date);
    ChartBars::put(bars.time, target, time);
    ChartBars::put(bars.open, target, open);
    ChartBars::put(bars.high, target, high);
    ChartBars::put(bars.low, target, low);
    ChartBars::put(bars.Symdata, target, last);
    for (auto* c : {&bars.biddata, &bars.bidPriceData}) ChartBars::put(*c, target, bid);
    for (auto* c : {&bars.askdata, &bars.askPriceData}) ChartBars::put(*c, target, ask);
    window.lastArrIndexPtr = static_cast<int>(target);
    if (window.isChartEnd) {
        window.followNewest();
        window.findHighLow(bars);
    }
    return true;
}

bool LiveBar::followQuote(const LiveQuote& quote, ChartBars& bars, ChartWindow& window) const {
    const long long row = window.lastArrIndexPtr;
    if (!ChartBars::value(bars.Symdata, row) || !std::isfinite(quote.Bid) || !std::isfinite(quote.Ask)) return false;
    const double bid = chartNumber(priceText(quote.Bid, quote.decimals));
    const double ask = chartNumber(priceText(quote.Ask, quote.decimals));
    if (ChartBars::value(bars.biddata, row) == bid && ChartBars::value(bars.askdata, row) == ask) return false;
    const auto target = static_cast<std::size_t>(row);
    for (auto* c : {&bars.biddata, &bars.bidPriceData}) ChartBars::put(*c, target, bid);
    for (auto* c : {&bars.askdata, &bars.askPriceData}) ChartBars::put(*c, target, ask);
    if (window.isChartEnd) window.findHighLow(bars);
    return true;
}

}  // namespace charts
