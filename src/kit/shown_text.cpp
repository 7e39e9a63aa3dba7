#include "kit/shown_text.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace kit {

namespace {

constexpr QChar kEllipsis{0x2026};
constexpr QChar kReplacement{0xFFFD};
// Units around a cut searched for where a character begins.
constexpr qsizetype kCutWindow = 32;

bool bidiControl(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

// The last place at or before `at` where a character begins. The search looks
// at a few units around `at` only (a whole text would cost its length); in a
// run of combining marks longer than that, it keeps a surrogate pair whole.
qsizetype characterStart(QStringView text, qsizetype at) {
    const qsizetype from = std::max<qsizetype>(0, at - kCutWindow);
    const QStringView window = text.mid(from, std::min(text.size() - from, 2 * kCutWindow));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window.data(), window.size());
    finder.setPosition(at - from);
    qsizetype found = finder.isAtBoundary() ? at - from : finder.toPreviousBoundary();
    // The window's own start is no boundary of the text's.
    if (found > 0 || (found == 0 && from == 0)) return from + found;
    return at > 0 && text[at].isLowSurrogate() && text[at - 1].isHighSurrogate() ? at - 1 : at;
}

// Whether a break may go before text[at]: not inside a character or a joined sequence.
bool breakableBefore(QStringView text, qsizetype at) {
    const QChar c = text[at];
    if (c.isLowSurrogate() || c.unicode() == 0x200D || text[at - 1].unicode() == 0x200D) return false;
    const char32_t point = c.isHighSurrogate() && at + 1 < text.size()
                               ? QChar::surrogateToUcs4(c, text[at + 1])
                               : char32_t(c.unicode());
    return !QChar::isMark(point);
}

}  // namespace

QString cutForDisplay(const QString& text, qsizetype max) {
    if (text.size() <= max) return text;
    QString shown = text.left(characterStart(text, std::max<qsizetype>(0, max)));
    shown += kEllipsis;
    return shown;
}

QString withVisibleBidiControls(QString text) {
    const auto found = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return bidiControl(c.unicode()); });
    if (found == text.cend()) return text;
    for (qsizetype i = found - text.cbegin(); i < text.size(); ++i)
        if (bidiControl(text[i].unicode())) text[i] = kReplacement;
    return text;
}

QString shownText(const QString& text) { return withVisibleBidiControls(cutForDisplay(text)); }

QString shownText(std::string_view utf8) {
    // Every three bytes of UTF-8 hold at least one UTF-16 unit: this many
    // cover the length shown and the units searched around the cut.
    constexpr std::size_t kBytes = 3 * std::size_t(kMaxShownLength + 2 * kCutWindow);
    if (utf8.size() > kBytes) {
        std::size_t end = kBytes;
        while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
        utf8 = utf8.substr(0, end);
    }
    return shownText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

QString wrappableText(const QString& text) {
    constexpr QChar kBreak{0x200B};
    if (text.size() <= kWrapRun) return text;
    QString out;
    qsizetype copied = 0, last = 0;
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    for (qsizetype next = lines.toNextBoundary(); next != -1; last = next, next = lines.toNextBoundary()) {
        // No break between `last` and `next` but after the blanks that end it.
        qsizetype end = next;
        while (end > last && text[end - 1].isSpace()) --end;
        for (qsizetype at = last + kWrapRun; at < end; at += kWrapRun) {
            while (at < end && !breakableBefore(text, at)) ++at;
            if (at == end) break;
            out.append(QStringView(text).mid(copied, at - copied));
            out.append(kBreak);
            copied = at;
        }
    }
    if (copied == 0) return text;
    out.append(QStringView(text).mid(copied));
    return out;
}

QString shownAlertText(const QString& text) {
    return wrappableText(withVisibleBidiControls(cutForDisplay(text, kMaxAlertLength)));
}

}  // namespace kit
