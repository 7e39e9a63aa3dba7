#pragma once
// Date and number formatting with the fixed "en_US" conventions, and safe
// filling of language texts that carry placeholders.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

// A point in time with millisecond precision; covers the server's year-1 null date.
using Date = std::chrono::sys_time<std::chrono::milliseconds>;

// Date patterns: y/yyyy (calendar year; "Y" is read as "y"), yy, M, MM, MMM, MMMM,
// d, dd, H, HH, h, hh, a, m, mm, s, ss, S... (fraction), E (weekday), Z (zone,
// "+0000"; ZZZZZ "+00:00"), and quoted literal text ('T', '' for a quote).
// Parsing is strict: fixed-width fields take exactly their width, every value
// is range-checked and the whole text must be consumed.
class DateFormatter {
  public:
    enum class Zone { Local, GMT };

    struct Fields {
        int year = 1970;
        int month = 1;
        int day = 1;
        int hour = 0;
        int minute = 0;
        int second = 0;
        int millisecond = 0;
        std::optional<int> offsetSeconds;  // east of GMT, when the text carried a zone
    };

    explicit DateFormatter(std::string pattern, Zone zone = Zone::Local);

    std::string stringFromDate(Date date) const;
    std::optional<Date> dateFromString(const std::string& text) const;

    // Calendar fields without any time-zone conversion.
    std::optional<Fields> fieldsFromString(const std::string& text) const;
    std::string stringFromFields(const Fields& fields) const;
    bool hasZoneField() const;

    const std::string& pattern() const { return pattern_; }
    Zone zone() const { return zone_; }

    // Conversions between the calendar and time points in a zone.
    static Fields fieldsFromDate(Date date, Zone zone);
    static std::optional<Date> dateFromFields(const Fields& fields, Zone zone);

  private:
    struct Token {
        char letter = 0;  // 0 for literal text
        int count = 0;
        std::string literal;
    };
    std::string pattern_;
    Zone zone_;
    std::vector<Token> tokens_;
};

class Formatter {
  public:
    static constexpr const char* kWireFormat = "yyyyMMddHHmmss";
    static constexpr const char* kDisplayFormat = "MM/dd/yyyy HH:mm:ss";
    static constexpr const char* kDateFormat = "MM/dd/yyyy";
    static constexpr const char* kTimeFormat = "HH:mm:ss";
    static constexpr const char* kISOFormatMillis = "yyyy-MM-dd'T'HH:mm:ss.SSS";
    static constexpr const char* kISOFormat = "yyyy-MM-dd'T'HH:mm:ss";
    static constexpr const char* kNullDate = "00010101000000";

    // Dates (local time zone).
    static std::string setPackedFormat(Date date);
    static std::string formatDate(Date date);
    // "", nothing and the null date give ""; text that does not parse gives nothing.
    // Reformatted field by field: no time-zone shift.
    static std::optional<std::string> formatDateandTimeFromString(const std::optional<std::string>& text,
                                                                  const std::string& sourceFormat,
                                                                  const std::string& destinationFormat);
    // The same with formatters made once by the caller.
    static std::optional<std::string> formatDateandTimeFromString(const std::optional<std::string>& text,
                                                                  const DateFormatter& source,
                                                                  const DateFormatter& destination);
    // Cut at the first "+", read as GMT ("+0000" appended), printed in local time.
    static std::optional<std::string> dateStringFromString(const std::string& text,
                                                           const std::string& sourceFormat,
                                                           const std::string& destinationFormat);
    // The same with formatters made once by the caller.
    static std::optional<std::string> dateStringFromString(const std::string& text, const DateFormatter& source,
                                                           const DateFormatter& destination);
    // ISO text with or without milliseconds; text that does not parse is returned unchanged.
    static std::string formatDateandTimeFromString(const std::optional<std::string>& isoText,
                                                   const std::string& destinationFormat);
    static std::optional<Date> formatDateFromString(const std::optional<std::string>& isoText);
    static DateFormatter getDateFormatter(const std::string& pattern);
    static Date getDate(Date date, std::uint64_t daysAhead);
    // At 135.0 points or narrower the time alone, wider the text unchanged.
    static std::string getDateonColumnResizing(double columnWidth, const std::string& dateString);

    // Numbers.
    // Fixed notation with `places` decimals (0 places means 2), no grouping.
    static std::string formatDecimal(double number, int places);
    // Grouped decimal style with 2 to 3 fraction digits; nothing when the text is not a number.
    static std::optional<std::string> formatDecimalWithString(const std::string& text);
    // The user's decimal style, at most `fractionDigits` digits, rounded away from zero.
    static std::string roundupDouble(double number, int fractionDigits);
    // The whole number of the text in English words ("one thousand two hundred thirty-four").
    static std::string spelloutFromString(const std::string& text);

    // Texts.
    // "{0}".."{9}" become "%1$@".."%10$@"; two-digit placeholders stay as they are.
    static std::string formatIndexForString(const std::string& text);
    // Fills "%@" (in turn) and "%N$@" (by position) with `args`; "%%" is a percent sign.
    // A missing argument gives the empty text; any other "%" stays as it is.
    // Table texts go through here, never through printf.
    static std::string fillFormat(const std::string& format, const std::vector<std::string>& args);
    // formatIndexForString followed by fillFormat.
    static std::string fillIndexedText(const std::string& text, const std::vector<std::string>& args);
    // An RTF document of the text without attributes. Control characters other than
    // tab and line feed are dropped (CR and CRLF are a line break); every UTF-16 unit
    // above 0x7E is written as \uN?.
    static std::string convertStringtoRTF(const std::string& text);
    // Plain text of a chat message's RTF document, read by RTFReader ("" when it
    // cannot be parsed). A text that does not begin with "{\rtf" is a peer's plain
    // text and comes back unchanged.
    static std::string convertRTFtoString(const std::string& rtf);

    // Decimal and grouping separators of the user's locale ("." and "," when it has none).
    struct NumberSymbols {
        std::string decimalPoint = ".";
        std::string groupingSeparator = ",";
    };
    static NumberSymbols userNumberSymbols();
    static void setUserNumberSymbolsForTesting(const std::optional<NumberSymbols>& symbols);
};

}  // namespace model
