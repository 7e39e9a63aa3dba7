// The one display rule for a server text: cut on a whole character, marks per
// character bounded, bidirectional controls shown; the UTF-8 form gives the same.
#include <gtest/gtest.h>

#include "model/shown_text.h"
#include "platform/utf8.h"

namespace model {
namespace {

std::string utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        platform::appendUtf8(out, c);
    }
    return out;
}

std::u16string repeated(std::u16string_view part, std::size_t times) {
    std::u16string out;
    while (times--) out += part;
    return out;
}

TEST(ShownText, RuleCases) {
    const std::u16string marks16(16, u'\u0301'), faces = repeated(u"\U0001F600", 100);
    const std::u16string spelt = u"A\u200DC\u200DC\u200DO\u200DU\u200DN\u200DT\u200D \u200DS\u200DU\u200DS\u200DP\u200DE\u200DN"
                                 u"\u200DD\u200DE\u200DD end",
                         figures = u"1\u200D0\u200D1\u200D2\u200D3\u200D4\u200D5\u200D6\u200D7\u200D8\u200D9\u200D0\u200D1 EUR";
    const struct {
        const char* what;
        std::u16string text;
        std::size_t max;
        std::u16string shown;
    } cases[] = {
        {"fits", u"0123456789", 10, u"0123456789"},
        {"one over", u"0123456789A", 10, u"0123456789\u2026"},
        {"a surrogate pair across the cut", u"123456789\U0001F600x", 10, u"123456789\u2026"},
        {"a base and its marks across the cut", u"12345678e\u0301\u0301x", 10, u"12345678\u2026"},
        {"the cut after a whole character", u"1234567e\u0301\u0301x", 10, u"1234567e\u0301\u0301\u2026"},
        {"a flag across the cut", u"12345678\U0001F1EB\U0001F1F7x", 10, u"12345678\u2026"},
        {"two flags pair two by two", u"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA", 6,
         u"\U0001F1EB\U0001F1F7\u2026"},
        {"a joined emoji across the cut", u"1234567\U0001F469\u200D\U0001F4BBx", 10, u"1234567\u2026"},
        {"pairs to the end: never half of one", faces, 51, faces.substr(0, 50) + u"\u2026"},
        {"marks beyond the bound dropped and marked", u"e" + std::u16string(3999, u'\u0301') + u"f", 4000,
         u"e" + marks16 + u"\u2026f"},
        {"a pile with no base is its own character", std::u16string(40, u'\u0301'), 100, u"\u0301" + marks16 + u"\u2026"},
        {"letters joined by U+200D keep their tail", spelt, 100, spelt},
        {"figures joined by U+200D keep their tail", figures, 100, figures},
        {"a joiner keeps a pictograph on a pictograph", u"\U0001F469\u200D\U0001F4BB", 2, u"\u2026"},
        {"a joiner after a letter joins nothing", u"A\u200D\U0001F4BB", 2, u"A\u200D\u2026"},
        {"an emoji sequence beyond the bound marked", u"\U0001F44D" + repeated(u"\u200D\U0001F44D", 9) + u"x", 100,
         u"\U0001F44D" + repeated(u"\u200D\U0001F44D", 8) + u"\u2026x"},
        {"a Hangul syllable of jamo across the cut", u"ab\u1100\u1161\u11A8x", 4, u"ab\u2026"},
        {"a conjunct: a virama joins the consonant after it", u"ab\u0915\u094D\u0937x", 4, u"ab\u2026"},
        {"indicators right after a pictograph joined whole", u"\u2764\U0001F1EB\U0001F1F7\U0001F1E9x", 6,
         u"\u2764\u2026"},
        {"a number sign with its number", u"ab\u0600\u0661x", 3, u"ab\u2026"},
        {"a CR LF is one character", u"a\r\nb", 2, u"a\u2026"},
        {"forty lines kept", repeated(u"l\n", 2000), 4000, repeated(u"l\n", 39) + u"l\u2026"},
        {"forty lines fit", repeated(u"l\r\n", 39) + u"l", 4000, repeated(u"l\r\n", 39) + u"l"},
        {"a pile is read only so far", u"e" + std::u16string(1000, u'\u0301') + u"f", 20, u"e" + marks16 + u"\u2026"},
        {"every embedding, override and isolate", u"\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069", 100,
         std::u16string(9, u'\uFFFD')},
        {"marks and right-to-left letters stay", u"\u200F\u0627\u0644\u200E", 100, u"\u200F\u0627\u0644\u200E"},
        {"a cut row keeps its ellipsis last", u"name\u202E: 0123456789", 10, u"name\uFFFD: 012\u2026"},
        {"a lone surrogate", u"a\xD800" u"b\xDC00", 10, u"a\uFFFDb\uFFFD"},
        {"nothing", u"", 10, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownText(c.text, c.max), c.shown) << c.what;
        EXPECT_EQ(shownText(c.shown, c.max), c.shown) << c.what << ": the rule of a shown text is that text";
        if (std::string(c.what) != "a lone surrogate") {
            EXPECT_EQ(shownUtf16(utf8(c.text), c.max), c.shown) << c.what;
            EXPECT_EQ(shownText(utf8(c.text), c.max), utf8(c.shown)) << c.what;
        }
    }
    EXPECT_EQ(shownText(u"a\u202Eb", 10, BidiControls::Kept), u"a\u202Eb");
}

// The harness's findings. The first eleven: a full character ending in U+200D
// and what followed it (the old rule dropped it silently, and again on its own
// output), shown whole now, or "…" where a mark beyond the bound was dropped.
// A text the rule leaves as it is is exactly what the rule gives; any other
// is left to the rule.
TEST(ShownText, AsIsOnlyWhereTheRuleChangesNothing) {
    const struct {
        std::string text;
        std::size_t max;
        bool asIs;
    } cases[] = {
        {"", 4, true},         {"EURUSD", 6, true},   {" ~!@#{}|` ", 10, true}, {"EURUSD", 5, false},
        {"a\nb", 8, false},    {"a\tb", 8, false},    {"a\x7f", 8, false},      {"caf\xC3\xA9", 8, false},
        {"\xE2\x80\xAE", 8, false}, {std::string(1, '\0'), 8, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model::shownAsIs(c.text, c.max), c.asIs) << c.text;
        if (c.asIs) {
            EXPECT_EQ(model::shownText(c.text, c.max), c.text) << c.text;
        }
    }
}

TEST(ShownText, HarnessFindings) {
    const struct {
        const char* finding;
        std::u16string text;
        std::size_t max;
        std::u16string shown;  // empty: the text itself
    } cases[] = {
        {"0dba8d4c", u"\uFFFD\u200D\uFFFD\u200D\u200DS\u200D\uFFFD\u200Do\u200D\uFFFD\u200Do\u200Do\u200D\uFFFD\uFFFD", 63, u""},
        {"367e7e65", u"\uFFFD\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0329\u200D!\uFFFD", 51, u""},
        {"5b2d4dee", u"\u01F3\u0303\u0303\u0301\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u200D\u0200\uE52E", 58, u""},
        {"7eb307b6", u"\u200D\u2E82\u200D\u202E\u200D\u8D4B\u200D\u2E82\u200D\u202E\u200D\u8D4B\u200D\u8D82\u200D\u2E82\u200D\uFEFE\uBB03", 51, u"\u200D\u2E82\u200D\uFFFD\u200D\u8D4B\u200D\u2E82\u200D\uFFFD\u200D\u8D4B\u200D\u8D82\u200D\u2E82\u200D\uFEFE\uBB03"},
        {"85755768", u"\uFFFD\u200D\uFFFD\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0309\u0301\u0301\u0305\u0300\u200D\uFFFD\uFFFD", 54, u""},
        {"cad0127d", u"\u89FF\u1A1A\u1A1A\u1A1A\u1A1A\u1712\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u200D\xDD8F" u"\u072E", 63, u"\u89FF\u1A1A\u1A1A\u1A1A\u1A1A\u1712\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u1A1A\u200D\uFFFD\u072E"},
        {"d9b78c6c", u"\u1E00\u031E\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0307\u200D\u0303\xDB3F", 59, u"\u1E00\u031E\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0303\u0307\u200D\u2026\uFFFD"},
        {"dc3247f7", u"o\u200D\uFFFD\u200Do\u200D\uFFFD\u200D\uFFFD\u200D\u200Do\u200D\uFFFD\u200D\uFFFD\u200D\uFFFD\uFFFD", 19, u""},
        {"e3ab5e98", u"\uFFFD\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u031F\u200D \uFFFD", 39, u""},
        {"f2668b49", u"3\u200D\uFFFD\u200Do\u200D\uFFFD\u200Do\u200D\uFFFD\u200Do\u200D\u200DS\u200D\uFFFD\uFFFD", 63, u""},
        {"fc1d4a2b", u"\x10" u"\u0309\u0301\u0301\u0305\u0301\u0301\u0301\u0301\u0301\u0301\u0305\u0301\u0300\u200D\uFFFD\u200D\uFFFD\uFFFD", 63, u""},
        // A number sign that joins what follows, alone before a line break, then cut: a "…" after it would join it.
        {"11a6e822", u"\u0600\u2029\u6D3D\u1101\u3D00\u2A85", 1, u"\u2026"},
    };
    for (const auto& c : cases) {
        const std::u16string& shown = c.shown.empty() ? c.text : c.shown;
        EXPECT_EQ(shownText(c.text, c.max), shown) << c.finding;
        EXPECT_EQ(shownText(shown, c.max), shown) << c.finding;
    }
}

// Invalid UTF-8 reads as U+FFFD, one per broken sequence, and is cut like any text.
TEST(ShownText, Utf8CasesThatWalkedPastTheStart) {
    const struct {
        const char* what;
        std::string text;
        std::size_t max;
        std::u16string shown;
    } cases[] = {
        {"12 KB of continuation bytes", std::string(12 * 1024, '\x80'), 5, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\u2026"},
        {"a prefix, then continuation bytes", "abc" + std::string(12 * 1024, '\xBF'), 5, u"abc\uFFFD\uFFFD\u2026"},
        {"a sequence cut short", "a\xE2\x80" "b", 10, u"a\uFFFDb"},
        {"an overlong, a surrogate, beyond U+10FFFF", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80", 20,
         std::u16string(9, u'\uFFFD')},
        {"the last character whole at the end", "ab\xC3\xA9", 3, u"ab\u00E9"},
        {"a four-byte character at the end", "ab\xF0\x9F\x98", 10, u"ab\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(shownUtf16(c.text, c.max), c.shown) << c.what;
    // Only what is shown is read: 32 MB of one unbroken word, or of marks.
    EXPECT_EQ(shownText(std::string(32 << 20, 'x')).size(), kMaxShownLength + 3);
    std::string pile = "e";
    while (pile.size() < (32u << 20)) pile += "\xCC\x81";
    EXPECT_EQ(shownUtf16(pile), u"e" + std::u16string(kMaxMarksPerCharacter, u'\u0301') + u"\u2026");
}

}  // namespace
}  // namespace model
