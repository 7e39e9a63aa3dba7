#include "state/journal_data.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "model/day_periods.h"
#include "model/month_names.h"
#include "platform/log.h"

namespace state {
namespace {

std::string orNull(const std::optional<std::string>& v) { return v ? *v : std::string("(null)"); }

std::string lookup(const JournalContext& ctx, const char* key) { return ctx.text ? ctx.text(key) : std::string(key); }

// "MMM dd, yyyy HH:mm:ss" (or "hh:mm:ss a"), the month and the half of the day in the language.
std::string formatParts(int year, int month, int day, int hour, int minute, int second, bool twelveHour,
                        const JournalData::Text& text) {
    char date[32], clock[32];
    std::snprintf(date, sizeof date, " %02d, %04d ", day, year);
    const int shownHour = !twelveHour ? hour : hour % 12 == 0 ? 12 : hour % 12;
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", shownHour, minute, second);
    const std::string monthName = model::monthNamesOf(text)[static_cast<std::size_t>(month - 1)];
    return monthName + date + (twelveHour ? model::withDayPeriod(clock, hour, text) : std::string(clock));
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// The order line's time: the server clock, else the order's own time.
std::string orderTime(const model::Order& order, const JournalContext& ctx) {
    if (ctx.serverTime.empty()) return "";
    if (auto t = JournalData::rewriteWireTime(ctx.serverTime, false, ctx.text)) return *t;
    if (auto t = JournalData::rewriteWireTime(order.TransactionDateTime, true, ctx.text)) return *t;
    return "";
}

}  // namespace

std::string JournalData::formatGmt(platform::WallTime time, const Text& text) {
    std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return formatParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, false,
                       text);
}

std::optional<std::string> JournalData::rewriteWireTime(const std::string& wire, bool twelveHour,
                                                        const Text& text) {
    if (wire.size() != 14) return std::nullopt;
    for (char c : wire)
        if (c < '0' || c > '9') return std::nullopt;
    auto num = [&](std::size_t pos, std::size_t len) { return std::stoi(wire.substr(pos, len)); };
    int year = num(0, 4), month = num(4, 2), day = num(6, 2), hour = num(8, 2), minute = num(10, 2), second = num(12, 2);
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
    int maxDay = kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
    if (day > maxDay || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    return formatParts(year, month, day, hour, minute, second, twelveHour, text);
}

std::string JournalData::fill(const std::string& text, const std::vector<std::optional<std::string>>& values) {
    std::string out;
    out.reserve(text.size() + 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9' && text[i + 2] == '}') {
            std::size_t idx = static_cast<std::size_t>(text[i + 1] - '0');
            out += idx < values.size() ? orNull(values[idx]) : std::string("(null)");
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string JournalData::getLoginJournalData(std::int32_t kind, const JournalContext& ctx) {
    const char* key = nullptr;
    switch (kind) {
        case 0: key = "20203"; break;
        case 1: key = "20204"; break;
        case 2: key = "20205"; break;
        default: return "";
    }
    std::string text = fill(lookup(ctx, key), {ctx.ipAddress, std::to_string(ctx.portNo), ctx.userName});
    return formatGmt(ctx.now, ctx.text) + kSeparator + text;
}

std::string JournalData::getOrderJournalData(std::int32_t kind, const model::Order& o, const JournalContext& ctx) {
    std::string line;
    switch (kind) {
        case 3:
            line = orderTime(o, ctx) + kSeparator + lookup(ctx, "0073") + " " + o.ItemCode + " " +
                   lookup(ctx, "0074") + " : " + std::to_string(static_cast<std::uint32_t>(o.RequestId));
            break;
        case 4:
            line = orderTime(o, ctx) + kSeparator + lookup(ctx, "1019") + " " + o.ItemCode + " " +
                   lookup(ctx, "0070") + " : " + o.PendingOrderId + " " + lookup(ctx, "0071") + " : " +
                   o.RemainingQty;
            break;
        case 6:
            line = orderTime(o, ctx) + kSeparator + lookup(ctx, "0019") + " " + o.ItemCode + " #" +
                   o.OpenPositionId + " @" + o.OrderPrice;
            break;
        case 7:
            line = orderTime(o, ctx) + kSeparator + lookup(ctx, "1020") + " " + o.ItemCode + " #" +
                   o.SettlementId() + " @" + o.SettledPrice();
            break;
        case 8:
            line = orderTime(o, ctx) + kSeparator + lookup(ctx, "1018") + " " + o.ItemCode;
            break;
        default:
            return "";
    }
    return line;
}

std::string JournalData::getPaymentTransactionJournalData(std::int64_t error, std::uint64_t requestId,
                                                          std::int64_t transStatus,
                                                          const std::optional<std::string>& payTransactionId,
                                                          const JournalContext& ctx) {
    model::Order none;
    std::string time = orderTime(none, ctx);
    if (error != 0 || transStatus == 4)
        return time + kSeparator + lookup(ctx, "0074") + " : " + std::to_string(requestId) + " " +
               lookup(ctx, "20300");
    if (transStatus == 3) return time + kSeparator + fill(lookup(ctx, "20303"), {payTransactionId});
    return "";
}

}  // namespace state
