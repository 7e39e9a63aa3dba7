#include "model/formatter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using model::Date;
using model::DateFormatter;
using model::Formatter;
using namespace std::chrono;

class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (saved_.empty()) {
            unsetenv("TZ");
        } else {
            setenv("TZ", saved_.c_str(), 1);
        }
        tzset();
    }

  private:
    std::string saved_;
};

Date utc(int y, unsigned m, unsigned d, int hh, int mm, int ss) {
    return Date(sys_days(year{y} / month{m} / day{d}) + hours{hh} + minutes{mm} + seconds{ss});
}

TEST(FormatterDates, WireToDisplay) {
    ZoneGuard zone("Europe/Berlin");
    const auto fmt = [](std::optional<std::string> text) {
        return Formatter::formatDateandTimeFromString(text, Formatter::kWireFormat,
                                                      Formatter::kDisplayFormat);
    };
    EXPECT_EQ(fmt("20240102030405"), "01/02/2024 03:04:05");
    EXPECT_EQ(fmt("00010101000000"), "");
    EXPECT_EQ(fmt(""), "");
    EXPECT_EQ(fmt(std::nullopt), "");
    EXPECT_EQ(fmt("2024010203040"), std::nullopt);    // short
    EXPECT_EQ(fmt("202401020304055"), std::nullopt);  // long
    EXPECT_EQ(fmt("20241302030405"), std::nullopt);   // month 13
    EXPECT_EQ(fmt("20240230030405"), std::nullopt);   // 30 February
    EXPECT_EQ(fmt("2024-1-02030405"), std::nullopt);
    // A wall time that the local zone skips (spring forward) is shown as sent.
    EXPECT_EQ(fmt("20240331023000"), "03/31/2024 02:30:00");
    EXPECT_EQ(Formatter::formatDateandTimeFromString("01/02/2024 03:04:05", Formatter::kDisplayFormat,
                                                     Formatter::kWireFormat),
              "20240102030405");
}

TEST(FormatterDates, IsoForms) {
    ZoneGuard zone("UTC");
    EXPECT_EQ(Formatter::formatDateandTimeFromString("2024-01-02T03:04:05.123", "MM/dd/yyyy HH:mm:ss.SSS"),
              "01/02/2024 03:04:05.123");
    EXPECT_EQ(Formatter::formatDateandTimeFromString("2024-01-02T03:04:05", Formatter::kDisplayFormat),
              "01/02/2024 03:04:05");
    EXPECT_EQ(Formatter::formatDateandTimeFromString("yesterday", Formatter::kDisplayFormat), "yesterday");
    EXPECT_EQ(Formatter::formatDateandTimeFromString(std::string(), Formatter::kDisplayFormat), "");
    EXPECT_EQ(Formatter::formatDateFromString("2024-01-02T03:04:05.250"), utc(2024, 1, 2, 3, 4, 5) + 250ms);
    EXPECT_EQ(Formatter::formatDateFromString("2024-01-02T03:04:05"), utc(2024, 1, 2, 3, 4, 5));
    EXPECT_EQ(Formatter::formatDateFromString("2024-01-02"), std::nullopt);
}

TEST(FormatterDates, PatternsZonesAndCalendarYear) {
    ZoneGuard zone("America/New_York");
    // The week-based year would print 2019 here.
    EXPECT_EQ(DateFormatter("MMM dd, YYYY HH:mm:ss").stringFromDate(utc(2018, 12, 31, 17, 0, 0)),
              "Dec 31, 2018 12:00:00");
    EXPECT_EQ(DateFormatter("MMM dd, YYYY hh:mm:ss a").stringFromDate(utc(2024, 7, 4, 17, 5, 0)),
              "Jul 04, 2024 01:05:00 PM");
    EXPECT_EQ(DateFormatter("dd MMM yyyy", DateFormatter::Zone::GMT).stringFromDate(utc(2024, 7, 4, 2, 0, 0)),
              "04 Jul 2024");
    EXPECT_EQ(Formatter::setPackedFormat(utc(2024, 7, 1, 10, 0, 0)), "20240701060000");
    EXPECT_EQ(Formatter::formatDate(utc(2024, 7, 1, 2, 0, 0)), "06/30/2024");
    // The zone form: the time is taken as GMT and shown in local time.
    EXPECT_EQ(Formatter::dateStringFromString("2024-01-02T03:04:05+03:00", "yyyy-MM-dd'T'HH:mm:ssZZZ",
                                              Formatter::kDisplayFormat),
              "01/01/2024 22:04:05");
    EXPECT_EQ(Formatter::dateStringFromString("bad", "yyyy-MM-dd'T'HH:mm:ssZZZ", Formatter::kDisplayFormat),
              std::nullopt);
    const auto noon = DateFormatter("dd/MM/yyyy hh:mm:ss a", DateFormatter::Zone::GMT)
                          .dateFromString("02/01/2024 12:00:00 AM");
    EXPECT_EQ(noon, utc(2024, 1, 2, 0, 0, 0));
    EXPECT_EQ(DateFormatter("yyyy-MM-dd'T'HH:mm:ssZZZ").dateFromString("2024-01-02T03:04:05-0130"),
              utc(2024, 1, 2, 4, 34, 5));
    EXPECT_EQ(DateFormatter("'at' HH 'o''clock'", DateFormatter::Zone::GMT)
                  .stringFromDate(utc(2024, 1, 2, 7, 0, 0)),
              "at 07 o'clock");
    // Calendar days keep the wall time across the change to daylight saving time.
    const Date before = *DateFormatter(Formatter::kWireFormat).dateFromString("20240309120000");
    EXPECT_EQ(Formatter::setPackedFormat(Formatter::getDate(before, 2)), "20240311120000");
}

// Formatters made once and reused give the texts of the per-call patterns, bad input included.
TEST(FormatterDates, ReusedFormattersMatchPerCallPatterns) {
    ZoneGuard zone("Europe/Berlin");
    const DateFormatter wire(Formatter::kWireFormat), display(Formatter::kDisplayFormat);
    for (const char* text : {"20240102030405", "", "00010101000000", "99991231235959", "20240230030405",
                             "2024010203040x", "bad", "20240331023000"})
        EXPECT_EQ(Formatter::formatDateandTimeFromString(std::string(text), wire, display),
                  Formatter::formatDateandTimeFromString(std::string(text), Formatter::kWireFormat,
                                                         Formatter::kDisplayFormat))
            << text;
    const char* xml = "yyyy-MM-dd'T'HH:mm:ssZZZ";
    const DateFormatter xmlSource(xml);
    for (const char* text : {"2024-01-02T03:04:05+03:00", "0001-01-01T00:00:00+00:00", "2024-13-02T03:04:05",
                             "", "bad"})
        EXPECT_EQ(Formatter::dateStringFromString(text, xmlSource, display),
                  Formatter::dateStringFromString(text, xml, Formatter::kDisplayFormat))
            << text;
    EXPECT_EQ(DateFormatter("yyyy/yy M").stringFromFields({1, 7, 1, 0, 0, 0, 0, {}}), "0001/01 7");
}

TEST(FormatterDates, ColumnWidth) {
    EXPECT_EQ(Formatter::getDateonColumnResizing(135.0, "01/02/2024 03:04:05"), "03:04:05");
    EXPECT_EQ(Formatter::getDateonColumnResizing(100.0, "01/02/2024 03:04:05"), "03:04:05");
    EXPECT_EQ(Formatter::getDateonColumnResizing(135.5, "01/02/2024 03:04:05"), "01/02/2024 03:04:05");
    EXPECT_EQ(Formatter::getDateonColumnResizing(100.0, ""), "");
}

TEST(FormatterNumbers, Decimals) {
    EXPECT_EQ(Formatter::formatDecimal(1.5, 0), "1.50");
    EXPECT_EQ(Formatter::formatDecimal(1.23456, 5), "1.23456");
    EXPECT_EQ(Formatter::formatDecimal(-0.125, 2), "-0.12");  // printf rounding of the binary value
    EXPECT_EQ(Formatter::formatDecimal(1234567.0, 1), "1234567.0");
    EXPECT_EQ(Formatter::formatDecimalWithString("1234.5"), "1,234.50");
    EXPECT_EQ(Formatter::formatDecimalWithString("-1234567.891"), "-1,234,567.891");
    EXPECT_EQ(Formatter::formatDecimalWithString("0.12345"), "0.123");
    EXPECT_EQ(Formatter::formatDecimalWithString("12"), "12.00");
    EXPECT_EQ(Formatter::formatDecimalWithString("abc"), std::nullopt);
    EXPECT_EQ(Formatter::formatDecimalWithString(""), std::nullopt);
}

TEST(FormatterNumbers, RoundUpAwayFromZero) {
    Formatter::setUserNumberSymbolsForTesting(Formatter::NumberSymbols{".", ","});
    EXPECT_EQ(Formatter::roundupDouble(1.001, 2), "1.01");
    EXPECT_EQ(Formatter::roundupDouble(-1.001, 2), "-1.01");
    EXPECT_EQ(Formatter::roundupDouble(1.1, 1), "1.1");  // no spurious step from the binary value
    EXPECT_EQ(Formatter::roundupDouble(1234.5, 2), "1,234.5");
    EXPECT_EQ(Formatter::roundupDouble(0.0, 2), "0");
    Formatter::setUserNumberSymbolsForTesting(Formatter::NumberSymbols{",", "."});
    EXPECT_EQ(Formatter::roundupDouble(1234.5001, 3), "1.234,501");
    Formatter::setUserNumberSymbolsForTesting(std::nullopt);
}

TEST(FormatterNumbers, SpellOut) {
    EXPECT_EQ(Formatter::spelloutFromString("1234"), "one thousand two hundred thirty-four");
    EXPECT_EQ(Formatter::spelloutFromString("0"), "zero");
    EXPECT_EQ(Formatter::spelloutFromString("abc"), "zero");
    EXPECT_EQ(Formatter::spelloutFromString("-5"), "minus five");
    EXPECT_EQ(Formatter::spelloutFromString(" 12abc"), "twelve");
    EXPECT_EQ(Formatter::spelloutFromString("1000000"), "one million");
    EXPECT_EQ(Formatter::spelloutFromString("100"), "one hundred");
    EXPECT_EQ(Formatter::spelloutFromString("2000017"), "two million seventeen");
    EXPECT_EQ(
        Formatter::spelloutFromString("99999999999999999999999"),
        "nine quintillion two hundred twenty-three quadrillion three hundred seventy-two trillion thirty-six "
        "billion eight hundred fifty-four million seven hundred seventy-five thousand eight hundred seven");
}

TEST(FormatterTexts, PlaceholdersNeverReadGarbage) {
    EXPECT_EQ(Formatter::formatIndexForString("{0} of {1}"), "%1$@ of %2$@");
    EXPECT_EQ(Formatter::formatIndexForString("{9}{10}"), "%10$@{10}");
    EXPECT_EQ(Formatter::fillIndexedText("{1} before {0}", {"a", "b"}), "b before a");
    EXPECT_EQ(Formatter::fillIndexedText("{5} and {0}", {"x"}), " and x");
    EXPECT_EQ(Formatter::fillFormat("100% sure %d %s %n %@ %@", {"x"}), "100% sure %d %s %n x ");
    EXPECT_EQ(Formatter::fillFormat("%% %1$@%", {"y"}), "% y%");
    EXPECT_EQ(Formatter::fillFormat("%0$@ %99999999999$@", {"y"}), "%0$@ %99999999999$@");
}

TEST(FormatterTexts, Rtf) {
    const std::string text = "Hello {world} \\ back\nline two\t\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::string rtf = Formatter::convertStringtoRTF(text);
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(Formatter::convertRTFtoString(rtf), text);
    EXPECT_EQ(Formatter::convertRTFtoString("plain text"), "plain text");
    EXPECT_EQ(Formatter::convertRTFtoString("{\\rtf1" + std::string(100000, '{')), "");
}

}  // namespace
