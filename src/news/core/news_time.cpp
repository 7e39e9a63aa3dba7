#include "news/core/news_time.h"

#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace news {

namespace {

// The next run of letters, digits or one of ",:+-" from `text`, blanks skipped.
std::string_view token(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    std::size_t n = 0;
    if (!text.empty() && (text.front() == ',' || text.front() == ':')) {
        n = 1;
    } else {
        while (n < text.size() && (std::isalnum(static_cast<unsigned char>(text[n])) ||
                                   ((text[n] == '+' || text[n] == '-') && n == 0)))
            ++n;
    }
    const std::string_view out = text.substr(0, n);
    text.remove_prefix(n);
    return out;
}

bool digits(std::string_view text, std::size_t min, std::size_t max, int& out) {
    if (text.size() < min || text.size() > max) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<int> zoneMinutes(std::string_view zone) {
    static constexpr std::array<std::pair<std::string_view, int>, 12> named = {{
        {"GMT", 0}, {"UT", 0}, {"UTC", 0}, {"Z", 0}, {"EST", -300}, {"EDT", -240},
        {"CST", -360}, {"CDT", -300}, {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420},
    }};
    for (const auto& [name, minutes] : named)
        if (zone == name) return minutes;
    int hhmm = 0;
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') && digits(zone.substr(1), 4, 4, hhmm) &&
        hhmm % 100 < 60 && hhmm / 100 < 24)
        return (zone[0] == '-' ? -1 : 1) * (hhmm / 100 * 60 + hhmm % 100);
    return std::nullopt;
}

}  // namespace

std::optional<model::Date> rfc822Date(std::string_view text) {
    using namespace std::chrono;
    // not keyed: the feed's dates
    static constexpr std::array<std::string_view, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static constexpr std::array<std::string_view, 7> weekdays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    std::string_view word = token(text);
    for (std::string_view day : weekdays)
        if (word == day) {
            if (token(text) != ",") return std::nullopt;
            word = token(text);
            break;
        }
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!digits(word, 1, 2, day)) return std::nullopt;
    word = token(text);
    unsigned month = 0;
    while (month < months.size() && months[month] != word) ++month;
    if (month == months.size() || !digits(token(text), 4, 4, year) || !digits(token(text), 2, 2, hour) ||
        token(text) != ":" || !digits(token(text), 2, 2, minute))
        return std::nullopt;
    word = token(text);
    if (word == ":") {
        if (!digits(token(text), 2, 2, second)) return std::nullopt;
        word = token(text);
    }
    const std::optional<int> zone = zoneMinutes(word);
    // Years far from ours are no publication time (and a zone never moves one past four digits).
    if (!zone || !token(text).empty() || hour > 23 || minute > 59 || second > 60 || year < 1900 || year > 9000)
        return std::nullopt;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month + 1), std::chrono::day(unsigned(day))};
    if (!date.ok()) return std::nullopt;
    return time_point_cast<milliseconds>(sys_days(date) + hours(hour) + minutes(minute) + seconds(second) -
                                         minutes(*zone));
}

std::optional<std::chrono::minutes> serverOffset(std::string_view serverTime, model::Date now) {
    using namespace std::chrono;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (serverTime.size() != 14 || !digits(serverTime.substr(0, 4), 4, 4, year) ||
        !digits(serverTime.substr(4, 2), 2, 2, month) || !digits(serverTime.substr(6, 2), 2, 2, day) ||
        !digits(serverTime.substr(8, 2), 2, 2, hour) || !digits(serverTime.substr(10, 2), 2, 2, minute) ||
        !digits(serverTime.substr(12, 2), 2, 2, second) || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)), std::chrono::day(unsigned(day))};
    if (!date.ok()) return std::nullopt;
    const auto wall = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    // The nearest quarter hour: a ping some seconds old changes nothing.
    const long long ahead = (wall - time_point_cast<seconds>(now)).count() + 450;
    const long long quarters = ahead / 900 - (ahead % 900 < 0 ? 1 : 0);
    if (quarters > 14 * 4 || quarters < -14 * 4) return std::nullopt;
    return minutes(quarters * 15);
}

std::string displayTime(std::string_view text, std::optional<std::chrono::minutes> server) {
    const auto date = rfc822Date(text);
    if (!date) return std::string(text);
    if (server) {
        // The server's wall clock, printed as it stands.
        const model::DateFormatter shown(model::Formatter::kDisplayFormat, model::DateFormatter::Zone::GMT);
        return shown.stringFromDate(*date + *server);
    }
    const model::DateFormatter shown(model::Formatter::kDisplayFormat);
    return shown.stringFromDate(*date);
}

}  // namespace news
