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
        {"marks beyond the bound dropped, no cut", u"e" + std::u16string(3999, u'\u0301') + u"f", 4000,
         u"e" + marks16 + u"f"},
        {"a pile with no base is its own character", std::u16string(40, u'\u0301'), 100, u"\u0301" + marks16},
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
        if (std::string(c.what) != "a lone surrogate") {
            EXPECT_EQ(shownUtf16(utf8(c.text), c.max), c.shown) << c.what;
            EXPECT_EQ(shownText(utf8(c.text), c.max), utf8(c.shown)) << c.what;
        }
    }
    EXPECT_EQ(shownText(u"a\u202Eb", 10, BidiControls::Kept), u"a\u202Eb");
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
