#include "model/formatter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <locale>
#include <mutex>

#include "model/decimal.h"
#include "model/rtf_reader.h"
#include "platform/utf8.h"

namespace model {

namespace {

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kShortWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

int weekday(int y, int m, int d) {  // 0 = Sunday
    const std::int64_t days = daysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

std::string pad(long value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

// pad(value, width) appended to `out` without a string of its own.
void appendPadded(std::string& out, long value, int width) {
    const unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto length = static_cast<int>(end - digits);
    if (value < 0) out += '-';
    if (length < width) out.append(static_cast<std::size_t>(width - length), '0');
    out.append(digits, end);
}

bool equalsIgnoreCase(const std::string& text, std::size_t pos, const char* word) {
    const std::size_t len = std::char_traits<char>::length(word);
    if (pos + len > text.size()) return false;
    for (std::size_t i = 0; i < len; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) !=
            std::tolower(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

bool isNumericLetter(char c) {
    return c == 'y' || c == 'Y' || c == 'M' || c == 'd' || c == 'H' || c == 'h' || c == 'm' || c == 's' ||
           c == 'S';
}

std::string formatOffset(int offsetSeconds, int count) {
    const char sign = offsetSeconds < 0 ? '-' : '+';
    const int magnitude = std::abs(offsetSeconds) / 60;
    const std::string hh = pad(magnitude / 60, 2);
    const std::string mm = pad(magnitude % 60, 2);
    if (count == 4) return std::string("GMT") + sign + hh + ":" + mm;
    if (count >= 5) return offsetSeconds == 0 ? "Z" : std::string(1, sign) + hh + ":" + mm;
    return std::string(1, sign) + hh + mm;
}

}  // namespace

DateFormatter::DateFormatter(std::string pattern, Zone zone) : pattern_(std::move(pattern)), zone_(zone) {
    const std::string& p = pattern_;
    std::size_t i = 0;
    auto appendLiteral = [&](const std::string& text) {
        if (!tokens_.empty() && tokens_.back().letter == 0) {
            tokens_.back().literal += text;
        } else {
            tokens_.push_back(Token{0, 0, text});
        }
    };
    while (i < p.size()) {
        const char c = p[i];
        if (c == '\'') {
            if (i + 1 < p.size() && p[i + 1] == '\'') {
                appendLiteral("'");
                i += 2;
                continue;
            }
            std::string text;
            ++i;
            while (i < p.size()) {
                if (p[i] == '\'') {
                    if (i + 1 < p.size() && p[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += p[i++];
            }
            ++i;  // closing quote
            appendLiteral(text);
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < p.size() && p[j] == c) ++j;
            // The week-based year would show 31 Dec 2018 as 2019: use the calendar year.
            tokens_.push_back(Token{c == 'Y' ? 'y' : c, static_cast<int>(j - i), {}});
            i = j;
        } else {
            appendLiteral(std::string(1, c));
            ++i;
        }
    }
}

bool DateFormatter::hasZoneField() const {
    return std::any_of(tokens_.begin(), tokens_.end(),
                       [](const Token& t) { return t.letter == 'Z' || t.letter == 'z'; });
}

std::string DateFormatter::stringFromFields(const Fields& f) const {
    std::string out;
    out.reserve(pattern_.size() + 8);
    for (const Token& t : tokens_) {
        switch (t.letter) {
            case 0:
                out += t.literal;
                break;
            case 'y':
                if (t.count == 2)
                    appendPadded(out, ((f.year % 100) + 100) % 100, 2);
                else
                    appendPadded(out, f.year, t.count);
                break;
            case 'M':
                if (t.count == 3) {
                    out += kShortMonths[static_cast<std::size_t>(f.month - 1)];
                } else if (t.count >= 4) {
                    out += kLongMonths[static_cast<std::size_t>(f.month - 1)];
                } else {
                    appendPadded(out, f.month, t.count);
                }
                break;
            case 'd':
                appendPadded(out, f.day, t.count);
                break;
            case 'H':
                appendPadded(out, f.hour, t.count);
                break;
            case 'h':
                appendPadded(out, f.hour % 12 == 0 ? 12 : f.hour % 12, t.count);
                break;
            case 'a':
                out += f.hour < 12 ? "AM" : "PM";
                break;
            case 'm':
                appendPadded(out, f.minute, t.count);
                break;
            case 's':
                appendPadded(out, f.second, t.count);
                break;
            case 'S': {
                std::string ms = pad(f.millisecond, 3);
                if (t.count <= 3) {
                    out += ms.substr(0, static_cast<std::size_t>(t.count));
                } else {
                    out += ms + std::string(static_cast<std::size_t>(t.count - 3), '0');
                }
                break;
            }
            case 'E': {
                const auto wd = static_cast<std::size_t>(weekday(f.year, f.month, f.day));
                out += t.count >= 4 ? kLongWeekdays[wd] : kShortWeekdays[wd];
                break;
            }
            case 'Z':
            case 'z':
                out += formatOffset(f.offsetSeconds.value_or(0), t.letter == 'z' ? 4 : t.count);
                break;
            default:
                out += std::string(static_cast<std::size_t>(t.count), t.letter);
                break;
        }
    }
    return out;
}

std::optional<DateFormatter::Fields> DateFormatter::fieldsFromString(const std::string& text) const {
    Fields f;
    std::size_t pos = 0;
    int hour12 = -1;
    std::optional<bool> pm;
    bool hour24Seen = false;

    auto readNumber = [&](int minDigits, int maxDigits, long& value) {
        std::size_t end = pos;
        while (end < text.size() && static_cast<int>(end - pos) < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        if (static_cast<int>(end - pos) < minDigits) return false;
        value = 0;
        for (std::size_t k = pos; k < end; ++k) value = value * 10 + (text[k] - '0');
        pos = end;
        return true;
    };

    for (const Token& t : tokens_) {
        if (t.letter == 0) {
            if (text.compare(pos, t.literal.size(), t.literal) != 0) return std::nullopt;
            pos += t.literal.size();
            continue;
        }
        long value = 0;
        if (isNumericLetter(t.letter) && !(t.letter == 'M' && t.count >= 3)) {
            int minDigits = t.count;
            int maxDigits = t.count;
            if (t.count == 1) maxDigits = t.letter == 'y' ? 4 : (t.letter == 'S' ? 3 : 2);
            if (!readNumber(minDigits, maxDigits, value)) return std::nullopt;
        }
        switch (t.letter) {
            case 'y':
                if (t.count == 2) {
                    // Two-digit years fall within 80 years before and 20 after the present.
                    const auto now = std::chrono::system_clock::now();
                    const int thisYear = static_cast<int>(
                        std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(now)).year());
                    int year = static_cast<int>(thisYear / 100 * 100 + value);
                    if (year > thisYear + 20) year -= 100;
                    if (year <= thisYear - 80) year += 100;
                    f.year = year;
                } else {
                    f.year = static_cast<int>(value);
                }
                break;
            case 'M':
                if (t.count >= 3) {
                    const auto& names = t.count == 3 ? kShortMonths : kLongMonths;
                    bool found = false;
                    for (std::size_t k = 0; k < names.size() && !found; ++k) {
                        if (equalsIgnoreCase(text, pos, names[k])) {
                            f.month = static_cast<int>(k + 1);
                            pos += std::char_traits<char>::length(names[k]);
                            found = true;
                        }
                    }
                    if (!found) return std::nullopt;
                } else {
                    f.month = static_cast<int>(value);
                }
                break;
            case 'd':
                f.day = static_cast<int>(value);
                break;
            case 'H':
                f.hour = static_cast<int>(value);
                hour24Seen = true;
                break;
            case 'h':
                hour12 = static_cast<int>(value);
                if (hour12 < 1 || hour12 > 12) return std::nullopt;
                break;
            case 'm':
                f.minute = static_cast<int>(value);
                break;
            case 's':
                f.second = static_cast<int>(value);
                break;
            case 'S': {
                long ms = value;
                for (int k = t.count; k < 3; ++k) ms *= 10;
                for (int k = 3; k < t.count; ++k) ms /= 10;
                f.millisecond = static_cast<int>(ms);
                break;
            }
            case 'a':
                if (equalsIgnoreCase(text, pos, "AM")) {
                    pm = false;
                } else if (equalsIgnoreCase(text, pos, "PM")) {
                    pm = true;
                } else {
                    return std::nullopt;
                }
                pos += 2;
                break;
            case 'E': {
                const auto& names = t.count >= 4 ? kLongWeekdays : kShortWeekdays;
                bool found = false;
                for (const char* name : names) {
                    if (!found && equalsIgnoreCase(text, pos, name)) {
                        pos += std::char_traits<char>::length(name);
                        found = true;
                    }
                }
                if (!found) return std::nullopt;
                break;
            }
            case 'Z':
            case 'z': {
                if (pos < text.size() && text[pos] == 'Z') {
                    ++pos;
                    f.offsetSeconds = 0;
                    break;
                }
                bool named = false;
                if (equalsIgnoreCase(text, pos, "GMT") || equalsIgnoreCase(text, pos, "UTC")) {
                    pos += 3;
                    named = true;
                }
                if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
                    const bool negative = text[pos] == '-';
                    ++pos;
                    long hh = 0;
                    long mm = 0;
                    if (!readNumber(2, 2, hh)) return std::nullopt;
                    if (pos < text.size() && text[pos] == ':') ++pos;
                    if (!readNumber(2, 2, mm)) return std::nullopt;
                    if (hh > 23 || mm > 59) return std::nullopt;
                    const int offset = static_cast<int>(hh * 3600 + mm * 60);
                    f.offsetSeconds = negative ? -offset : offset;
                } else if (named) {
                    f.offsetSeconds = 0;
                } else {
                    return std::nullopt;
                }
                break;
            }
            default:
                return std::nullopt;  // a field this formatter cannot read
        }
    }
    if (pos != text.size()) return std::nullopt;
    if (hour12 >= 0) {
        if (hour24Seen) return std::nullopt;
        f.hour = hour12 % 12 + (pm.value_or(false) ? 12 : 0);
    } else if (pm && !hour24Seen) {
        f.hour = *pm ? 12 : 0;
    }
    if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 || f.second > 59) {
        return std::nullopt;
    }
    return f;
}

DateFormatter::Fields DateFormatter::fieldsFromDate(Date date, Zone zone) {
    using namespace std::chrono;
    const auto ms = date.time_since_epoch().count();
    std::int64_t seconds = ms / 1000;
    int millis = static_cast<int>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    Fields f;
    f.millisecond = millis;
    int offset = 0;
    if (zone == Zone::Local) {
        const auto t = static_cast<std::time_t>(seconds);
        std::tm tm{};
        if (localtime_r(&t, &tm) != nullptr) offset = static_cast<int>(tm.tm_gmtoff);
    }
    const std::int64_t local = seconds + offset;
    std::int64_t days = local / 86400;
    std::int64_t rest = local % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    civilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest % 3600 / 60);
    f.second = static_cast<int>(rest % 60);
    f.offsetSeconds = offset;
    return f;
}

std::optional<Date> DateFormatter::dateFromFields(const Fields& f, Zone zone) {
    const std::int64_t days =
        daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
    const std::int64_t wall = days * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
    std::int64_t seconds = wall;
    if (f.offsetSeconds) {
        seconds = wall - *f.offsetSeconds;
    } else if (zone == Zone::Local) {
        std::tm tm{};
        tm.tm_year = f.year - 1900;
        tm.tm_mon = f.month - 1;
        tm.tm_mday = f.day;
        tm.tm_hour = f.hour;
        tm.tm_min = f.minute;
        tm.tm_sec = f.second;
        tm.tm_isdst = -1;
        const std::time_t t = std::mktime(&tm);
        if (t == static_cast<std::time_t>(-1) && wall != -1) {
            // mktime could not place it; take the wall time as GMT shifted by the zone's standard offset.
            seconds = wall - tm.tm_gmtoff;
        } else {
            seconds = static_cast<std::int64_t>(t);
        }
    }
    return Date(std::chrono::milliseconds(seconds * 1000 + f.millisecond));
}

std::string DateFormatter::stringFromDate(Date date) const {
    return stringFromFields(fieldsFromDate(date, zone_));
}

std::optional<Date> DateFormatter::dateFromString(const std::string& text) const {
    const auto f = fieldsFromString(text);
    if (!f) return std::nullopt;
    return dateFromFields(*f, zone_);
}

// ---------------------------------------------------------------------------

std::string Formatter::setPackedFormat(Date date) {
    return DateFormatter(kWireFormat).stringFromDate(date);
}

std::string Formatter::formatDate(Date date) {
    return DateFormatter(kDateFormat).stringFromDate(date);
}

namespace {

// The program's own formats, each read once; the one for `pattern`, else
// `other` made for it.
const DateFormatter& parsedFormat(const std::string& pattern, std::optional<DateFormatter>& other) {
    static const std::array<DateFormatter, 6> known = {
        DateFormatter(Formatter::kWireFormat), DateFormatter(Formatter::kDisplayFormat),
        DateFormatter(Formatter::kDateFormat), DateFormatter(Formatter::kTimeFormat),
        DateFormatter(Formatter::kISOFormatMillis), DateFormatter(Formatter::kISOFormat)};
    for (const DateFormatter& f : known)
        if (f.pattern() == pattern) return f;
    return other.emplace(pattern);
}

}  // namespace

std::optional<std::string> Formatter::formatDateandTimeFromString(const std::optional<std::string>& text,
                                                                  const std::string& sourceFormat,
                                                                  const std::string& destinationFormat) {
    std::optional<DateFormatter> source, destination;
    return formatDateandTimeFromString(text, parsedFormat(sourceFormat, source),
                                       parsedFormat(destinationFormat, destination));
}

std::optional<std::string> Formatter::formatDateandTimeFromString(const std::optional<std::string>& text,
                                                                  const DateFormatter& source,
                                                                  const DateFormatter& destination) {
    if (!text || text->empty() || *text == kNullDate) return std::string();
    const auto fields = source.fieldsFromString(*text);
    if (!fields) return std::nullopt;
    if (!source.hasZoneField() && !destination.hasZoneField()) return destination.stringFromFields(*fields);
    const auto date = DateFormatter::dateFromFields(*fields, DateFormatter::Zone::Local);
    if (!date) return std::nullopt;
    return destination.stringFromDate(*date);
}

std::optional<std::string> Formatter::dateStringFromString(const std::string& text,
                                                           const std::string& sourceFormat,
                                                           const std::string& destinationFormat) {
    return dateStringFromString(text, DateFormatter(sourceFormat), DateFormatter(destinationFormat));
}

std::optional<std::string> Formatter::dateStringFromString(const std::string& text, const DateFormatter& source,
                                                           const DateFormatter& destination) {
    const std::string gmt = text.substr(0, text.find('+')) + "+0000";
    const auto date = source.dateFromString(gmt);
    if (!date) return std::nullopt;
    return destination.stringFromDate(*date);
}

std::string Formatter::formatDateandTimeFromString(const std::optional<std::string>& isoText,
                                                   const std::string& destinationFormat) {
    if (!isoText || isoText->empty()) return std::string();
    std::optional<DateFormatter> millis, seconds, other;
    auto fields = parsedFormat(kISOFormatMillis, millis).fieldsFromString(*isoText);
    if (!fields) fields = parsedFormat(kISOFormat, seconds).fieldsFromString(*isoText);
    if (!fields) return *isoText;
    const DateFormatter& destination = parsedFormat(destinationFormat, other);
    if (!destination.hasZoneField()) return destination.stringFromFields(*fields);
    const auto date = DateFormatter::dateFromFields(*fields, DateFormatter::Zone::Local);
    return date ? destination.stringFromDate(*date) : *isoText;
}

std::optional<Date> Formatter::formatDateFromString(const std::optional<std::string>& isoText) {
    if (!isoText || isoText->empty()) return std::nullopt;
    auto date = DateFormatter(kISOFormatMillis).dateFromString(*isoText);
    if (!date) date = DateFormatter(kISOFormat).dateFromString(*isoText);
    return date;
}

DateFormatter Formatter::getDateFormatter(const std::string& pattern) {
    return DateFormatter(pattern);
}

Date Formatter::getDate(Date date, std::uint64_t daysAhead) {
    // Calendar days: the same wall-clock time that many days later.
    auto fields = DateFormatter::fieldsFromDate(date, DateFormatter::Zone::Local);
    const auto capped = static_cast<std::int64_t>(std::min<std::uint64_t>(daysAhead, 3660000));
    const std::int64_t days =
        daysFromCivil(fields.year, static_cast<unsigned>(fields.month), static_cast<unsigned>(fields.day)) +
        capped;
    civilFromDays(days, fields.year, fields.month, fields.day);
    fields.offsetSeconds.reset();
    return DateFormatter::dateFromFields(fields, DateFormatter::Zone::Local).value_or(date);
}

std::string Formatter::getDateonColumnResizing(double columnWidth, const std::string& dateString) {
    if (columnWidth > 135.0) return dateString;
    const auto fields = DateFormatter(kDisplayFormat).fieldsFromString(dateString);
    if (!fields) return dateString;
    return DateFormatter(kTimeFormat).stringFromFields(*fields);
}

// ---------------------------------------------------------------------------

namespace {

std::mutex gSymbolsMutex;
std::optional<Formatter::NumberSymbols> gSymbolsOverride;

std::string groupDigits(const std::string& digits, const std::string& separator) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        const std::size_t left = n - i - 1;
        if (left > 0 && left % 3 == 0) out += separator;
    }
    return out;
}

std::string formatGrouped(const Decimal& value, int minFraction, int maxFraction, RoundingMode mode,
                          const Formatter::NumberSymbols& symbols) {
    if (value.isNaN()) return "NaN";
    const Decimal r = value.rounded(maxFraction, mode);
    std::string text = r.toString();
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.erase(0, 1);
    }
    const auto dot = text.find('.');
    std::string whole = dot == std::string::npos ? text : text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (static_cast<int>(fraction.size()) < minFraction)
        fraction.append(static_cast<std::size_t>(minFraction) - fraction.size(), '0');
    std::string out = negative ? "-" : "";
    out += groupDigits(whole, symbols.groupingSeparator);
    if (!fraction.empty()) out += symbols.decimalPoint + fraction;
    return out;
}

const char* const kOnes[] = {"zero",     "one",     "two",     "three",     "four",     "five",    "six",
                             "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
                             "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
const char* const kTens[] = {"",      "",      "twenty",  "thirty", "forty",
                             "fifty", "sixty", "seventy", "eighty", "ninety"};
const char* const kScales[] = {"",         "thousand",    "million",    "billion",
                               "trillion", "quadrillion", "quintillion"};

std::string spellBelowThousand(unsigned n) {
    std::string out;
    if (n >= 100) {
        out = std::string(kOnes[n / 100]) + " hundred";
        n %= 100;
        if (n == 0) return out;
        out += ' ';
    }
    if (n < 20) return out + kOnes[n];
    out += kTens[n / 10];
    if (n % 10) out += std::string("-") + kOnes[n % 10];
    return out;
}

std::string spell(std::uint64_t n) {
    if (n == 0) return "zero";
    std::vector<unsigned> groups;
    while (n > 0) {
        groups.push_back(static_cast<unsigned>(n % 1000));
        n /= 1000;
    }
    std::string out;
    for (std::size_t i = groups.size(); i-- > 0;) {
        if (groups[i] == 0) continue;
        if (!out.empty()) out += ' ';
        out += spellBelowThousand(groups[i]);
        if (i > 0) out += std::string(" ") + kScales[i];
    }
    return out;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string Formatter::formatDecimal(double number, int places) {
    if (places == 0) places = 2;
    if (places < 0) places = 6;  // printf's default precision
    places = std::min(places, 40);
    char buf[512];
    const auto result = std::to_chars(buf, buf + sizeof buf, number, std::chars_format::fixed, places);
    if (result.ec != std::errc()) return {};
    return std::string(buf, result.ptr);
}

std::optional<std::string> Formatter::formatDecimalWithString(const std::string& text) {
    const auto value = Decimal::fromString(trim(text));
    if (!value || value->isNaN()) return std::nullopt;
    return formatGrouped(*value, 2, 3, RoundingMode::Bankers, NumberSymbols{});
}

std::string Formatter::roundupDouble(double number, int fractionDigits) {
    return formatGrouped(Decimal::fromDouble(number), 0, std::max(fractionDigits, 0),
                         RoundingMode::AwayFromZero, userNumberSymbols());
}

std::string Formatter::spelloutFromString(const std::string& text) {
    // Read like an integer value: blanks, a sign, digits up to the first other character.
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint64_t value = 0;
    const std::uint64_t limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        const unsigned digit = static_cast<unsigned>(text[i++] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (value == 0) return "zero";
    return (negative ? "minus " : "") + spell(value);
}

Formatter::NumberSymbols Formatter::userNumberSymbols() {
    {
        std::lock_guard<std::mutex> lock(gSymbolsMutex);
        if (gSymbolsOverride) return *gSymbolsOverride;
    }
    static const NumberSymbols symbols = [] {
        NumberSymbols s;
        try {
            const std::locale user("");
            const auto& punct = std::use_facet<std::numpunct<char>>(user);
            s.decimalPoint = std::string(1, punct.decimal_point());
            if (!punct.grouping().empty()) s.groupingSeparator = std::string(1, punct.thousands_sep());
            if (s.groupingSeparator == s.decimalPoint)
                s.groupingSeparator = s.decimalPoint == "," ? "." : ",";
        } catch (...) {
            // An unknown locale name in the environment: keep the defaults.
        }
        return s;
    }();
    return symbols;
}

void Formatter::setUserNumberSymbolsForTesting(const std::optional<NumberSymbols>& symbols) {
    std::lock_guard<std::mutex> lock(gSymbolsMutex);
    gSymbolsOverride = symbols;
}

// ---------------------------------------------------------------------------

std::string Formatter::formatIndexForString(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
            text[i + 2] == '}') {
            out += '%';
            out += std::to_string(text[i + 1] - '0' + 1);
            out += "$@";
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Formatter::fillFormat(const std::string& format, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(format.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (format[i + 1] == '@') {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            std::size_t j = i + 1;
            std::size_t index = 0;
            while (j < format.size() && j < i + 4 && std::isdigit(static_cast<unsigned char>(format[j]))) {
                index = index * 10 + static_cast<std::size_t>(format[j] - '0');
                ++j;
            }
            if (j > i + 1 && j + 1 < format.size() && format[j] == '$' && format[j + 1] == '@' &&
                index >= 1) {
                if (index - 1 < args.size()) out += args[index - 1];
                i = j + 1;
            } else {
                out += '%';  // not a specifier this filler knows: left as it is
            }
        }
    }
    return out;
}

std::string Formatter::fillIndexedText(const std::string& text, const std::vector<std::string>& args) {
    return fillFormat(formatIndexForString(text), args);
}

// ---------------------------------------------------------------------------

namespace {

// Decodes one UTF-8 sequence at `i`; a byte that starts no valid sequence reads as U+FFFD.
std::uint32_t nextCodePoint(const std::string& s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const int len = platform::utf8SequenceLength(lead);
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size() ||
        (len > 1 && !platform::utf8SecondByteFits(lead, static_cast<unsigned char>(s[i + 1])))) {
        ++i;
        return 0xFFFD;
    }
    std::uint32_t cp = len == 1 ? lead : (lead & (0x7Fu >> len));
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += static_cast<std::size_t>(len);
    return cp;
}

bool isControlCharacter(std::uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

void appendUnicodeEscape(std::string& out, std::uint32_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(unit));
    out += '?';
}

}  // namespace

std::string Formatter::convertStringtoRTF(const std::string& text) {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n\\pard\\f0\\fs24 ";
    out.reserve(out.size() + text.size() * 2 + 1);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint32_t cp = nextCodePoint(text, i);
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\n' || cp == '\r') {
            if (cp == '\r' && i < text.size() && text[i] == '\n') ++i;  // CRLF is one break
            out += "\\par\n";
        } else if (cp == '\t') {
            out += "\\tab ";
        } else if (isControlCharacter(cp)) {
            continue;
        } else if (cp < 0x7F) {
            out += static_cast<char>(cp);
        } else if (cp < 0x10000) {
            appendUnicodeEscape(out, cp);
        } else {
            const std::uint32_t v = cp - 0x10000;
            appendUnicodeEscape(out, 0xD800 + (v >> 10));
            appendUnicodeEscape(out, 0xDC00 + (v & 0x3FF));
        }
    }
    out += "}";
    return out;
}

// The chat message road reads RTF with RTFReader too (no toolkit reader), so a
// message and a room history read the same; only a peer's plain text, which does
// not begin with "{\rtf", is passed through as it was sent.
std::string Formatter::convertRTFtoString(const std::string& rtf) {
    if (rtf.compare(0, 5, "{\\rtf") != 0) return rtf;
    return RTFReader::ConvertRTFtoString(rtf);
}

}  // namespace model
