// The RTF reader's results on hand-written documents, and the writer's
// documents read back.
#include <gtest/gtest.h>

#include <string>

#include "model/formatter.h"
#include "model/rtf_reader.h"

namespace {

using model::Formatter;
using model::RTFReader;

struct Case {
    const char* name;
    std::string rtf;
    std::string text;
};

const std::string kSmile = "\xF0\x9F\x98\x80";  // U+1F600

TEST(RTFReader, Reads) {
    const Case cases[] = {
        {"structure", "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}\\f0\\fs24 one\\par two}", "one\ntwo"},
        {"backslash line feed", "{\\rtf1 one\\\ntwo\\\rthree}", "one\ntwo\nthree"},
        {"unknown skipped destination", "{\\rtf1 {\\*\\unknown x}}", ""},
        {"table character after star", "{\\rtf1 {\\*\\par}}", "\n"},
        {"table property after star", "{\\rtf1 {\\*\\b word}}", "word"},
        {"nested font groups", "{\\rtf1{\\fonttbl{\\f0 A;}{\\f1 B;}}text}", "text"},
        {"symbols", "{\\{\\}\\\\\\~\\emdash\\_\\lquote\\tab}", "{}\\ --'\t"},
        {"binary run holds braces", "{{\\bin2 {}}}", "{}"},
        {"plain 7-bit text", "a b\r\nc\nd", "a bcd"},
        {"hex escape in skipped group", "a{\\*\\foo \\'4g}b", "ab"},
        {"nested group stays skipped", "a{\\*\\foo {\\*\\par}x}b", "ab"},
        {"star arms nothing while skipping", "a{\\*\\foo \\*}\\bar b", "ab"},
        {"hex escape", "\\'41", "A"},
        {"hex escape spans a group", "\\'4{x}1", "xA"},
        {"code page 1252", "\\'e9\\'80\\'81", "\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD"},
        {"unicode with fallback", "\\u233?", "\xC3\xA9"},
        {"fallback hex escape skipped", "\\u8364\\'80", "\xE2\x82\xAC"},
        {"negative unicode", "\\u-3913?", "\xEF\x82\xB7"},
        {"surrogate pair", "\\u55357?\\u56832?", kSmile},
        {"negative surrogate pair", "\\u-10179?\\u-8704?", kSmile},
        {"lone high surrogate", "\\u55357?x", "\xEF\xBF\xBDx"},
        {"lone low surrogate", "\\u56832?x", "\xEF\xBF\xBDx"},
        {"no fallback", "\\uc0\\u233 x", "\xC3\xA9x"},
        {"two fallback characters", "\\uc2\\u233 ab", "\xC3\xA9"},
        {"control word is one fallback character", "\\uc2\\u233\\par ab", "\xC3\xA9" "b"},
        {"brace ends the fallback", "{\\uc2\\u233 a}b", "\xC3\xA9" "b"},
        {"fallback count ends with its group", "{\\uc0 x}\\u233 ab", "x\xC3\xA9" "b"},
        {"raw UTF-8 passes", "{\\rtf1 \xD0\x96\xE4\xB8\xAD" + kSmile + "}", "\xD0\x96\xE4\xB8\xAD" + kSmile},
        {"broken UTF-8", "a\xC3(\xFF", "a\xEF\xBF\xBD(\xEF\xBF\xBD"},
        {"delimiter after minus", "\\li-x", "x"},
        {"negative bin takes one byte", "{\\bin-5 ab}", "ab"},
        {"bin0 takes one byte", "{\\bin0 ab}", "ab"},
        {"bin uses the last parameter", "{\\li2\\bin }}}", "}}"},
        {"30-digit bin does not wrap", "{\\bin" + std::string(30, '9') + " a}b", ""},
        {"31 letters", "\\" + std::string(31, 'k') + " x", "x"},
        {"31 digits", "\\k" + std::string(31, '9') + " x", "x"},
        // Errors.
        {"unmatched close", "a}b", ""},
        {"open group", "{a", ""},
        {"backslash at the end", "a\\", ""},
        {"end after minus", "a\\li-", ""},
        {"bad hex digit", "\\'4g", ""},
        {"empty", "", ""},
        {"32 letters", "\\" + std::string(32, 'k') + " x", ""},
        {"32 digits", "\\k" + std::string(32, '9') + " x", ""},
        {"bin beyond the input", "{\\bin100 ab}", ""},
        {"depth cap", std::string(100000, '{') + std::string(100000, '}'), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(RTFReader::ConvertRTFtoString(c.rtf), c.text) << c.name;
}

// Chat texts as the server sends them: a message with escapes, raw UTF-8 and \u
// forms, and one as another client's editor writes it.
TEST(RTFReader, ChatBodies) {
    const std::string message =
        "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2\\uc1\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
        "{\\colortbl;\\red255\\green255\\blue255;}\n{\\*\\expandedcolortbl;;}\n"
        "\\pard\\f0\\fs24 \\cf0 caf\\'e9 caf\xC3\xA9 caf\\u233 e\\\n\\u20013?\\u25991? \\u8364\\'80}";
    const std::string shown = "caf\xC3\xA9 caf\xC3\xA9 caf\xC3\xA9\n\xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC";
    EXPECT_EQ(RTFReader::ConvertRTFtoString(message), shown);
    EXPECT_EQ(Formatter::convertRTFtoString(message), shown);
}

TEST(RTFReader, PlainTextOnTheMessageRoad) {
    const Case cases[] = {
        {"brace", "a}b", ""},
        {"line break", "line1\nline2", "line1line2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Formatter::convertRTFtoString(c.rtf), c.rtf) << c.name;
        EXPECT_EQ(RTFReader::ConvertRTFtoString(c.rtf), c.text) << c.name;
    }
    EXPECT_EQ(Formatter::convertRTFtoString("{\\rtf1 cut \\'"), "");
}

TEST(RTFWriter, ReadsBack) {
    const Case cases[] = {
        {"escaped", "a\\b{c}", "a\\b{c}"},
        {"tab and breaks", "a\tb\r\nc\rd\ne", "a\tb\nc\nd\ne"},
        {"control characters dropped", "a\x01" "b\x03" "c\x7F" "d", "abcd"},
        {"scripts", "\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A \xD0\x96 \xE0\xA4\xB9\xE0\xA4\xBF",
         "\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A \xD0\x96 \xE0\xA4\xB9\xE0\xA4\xBF"},
        {"outside the basic plane", kSmile + "x", kSmile + "x"},
        {"digits after an escape", "\xC3\xA9" "5 ?", "\xC3\xA9" "5 ?"},
    };
    for (const Case& c : cases) {
        const std::string rtf = Formatter::convertStringtoRTF(c.rtf);
        EXPECT_EQ(Formatter::convertRTFtoString(rtf), c.text) << c.name;
        for (const char ch : rtf) {
            const auto b = static_cast<unsigned char>(ch);
            EXPECT_TRUE(b == '\n' || (b >= 0x20 && b < 0x7F)) << c.name << " byte " << int(b);
        }
    }
}

}  // namespace
