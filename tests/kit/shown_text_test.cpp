// The rule's characters against Qt's: wherever the rule cuts, Qt's grapheme
// boundaries allow a cut (but where marks beyond the bound were dropped).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextBoundaryFinder>
#include <random>
#include <vector>

#include "kit/shown_text.h"
#include "model/shown_text.h"

namespace kit {
namespace {

std::u16string_view units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())};
}

std::string hex(const QString& text) {
    std::string out;
    for (char32_t c : text.toUcs4()) out += QString::number(uint(c), 16).toStdString() + " ";
    return out;
}

// Every cut the rule makes in `text` at every display length, as offsets into `text`.
void expectCutsOnGraphemeBoundaries(const QString& text) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (std::size_t max = 0; max <= std::size_t(text.size()); ++max) {
        const std::u16string shown = model::shownText(units(text), max, model::BidiControls::Kept);
        if (shown == units(text)) continue;
        ASSERT_FALSE(shown.empty());
        const std::u16string_view kept = std::u16string_view(shown).substr(0, shown.size() - 1);
        if (shown.back() != u'\u2026' || !units(text).starts_with(kept)) continue;  // marks beyond the bound dropped
        graphemes.setPosition(qsizetype(kept.size()));
        EXPECT_TRUE(graphemes.isAtBoundary()) << "cut at " << kept.size() << " of " << hex(text);
    }
}

QString fromPoints(const std::vector<char32_t>& points) {
    QString text;
    for (char32_t c : points) text += QString::fromUcs4(&c, 1);
    return text;
}

// Texts of `length` code points drawn from `alphabet`.
std::vector<QString> generated(const std::vector<char32_t>& alphabet, std::size_t count, std::size_t length) {
    std::mt19937 random(84);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::vector<QString> texts;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<char32_t> points;
        for (std::size_t k = 0; k < length; ++k) points.push_back(alphabet[pick(random)]);
        texts.push_back(fromPoints(points));
    }
    return texts;
}

TEST(ShownTextCharacters, TheRuleCutsOnlyWhereQtSeesAGraphemeBoundary) {
    const struct {
        const char* what;
        std::vector<char32_t> alphabet;
    } scripts[] = {
        {"Hangul jamo and syllables", {0x1100, 0x1112, 0xA960, 0x1161, 0x1175, 0xD7B0, 0x11A8, 0x11C2, 0xD7CB, 0xAC00,
                                       0xAC01, 0xD7A3, 0x0301, u'a', u' '}},
        {"emoji sequences", {0x1F469, 0x1F4BB, 0x2764, 0x1F48B, 0x200D, 0xFE0F, 0x1F3FB, 0x1F3FF, 0x1F1EB, 0x1F1F7,
                             0x1F3F4, 0xE0067, 0xE007F, 0x20E3, u'1', u'#', u'A'}},
        {"Indic clusters", {0x0915, 0x0937, 0x094D, 0x093F, 0x0940, 0x093C, 0x0902, 0x0995, 0x09CD, 0x09BE, 0x0B95,
                            0x0BCD, 0x0BCA, 0x0D15, 0x0D4D, 0x0D4E, 0x200D, 0x200C, 0x0E01, 0x0E33, u' '}},
        {"signs, breaks and controls", {0x0600, 0x0601, 0x06DD, 0x0661, 0x110BD, u'\r', u'\n', u'\t', 0x2028, 0x0085,
                                        0x00AD, 0x202E, 0x200F, 0x0301, u'x'}},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.what);
        for (const QString& text : generated(script.alphabet, 200, 24)) expectCutsOnGraphemeBoundaries(text);
    }
    // The harness's corpus, read as UTF-8 and as UTF-16 as the harness reads it.
    const QDir corpus(QStringLiteral(TC_SOURCE_DIR "/tests/fuzz/corpus/shown_text"));
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_GE(names.size(), 10);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        expectCutsOnGraphemeBoundaries(QString::fromUtf8(bytes));
        expectCutsOnGraphemeBoundaries(
            QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2));
    }
}

}  // namespace
}  // namespace kit
