#include "kit/shown_text.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace kit {

namespace {

std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())};
}

QString fromUtf16(const std::u16string& text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

std::size_t length(qsizetype max) { return std::size_t(std::max<qsizetype>(0, max)); }

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

QString shownText(const QString& text, qsizetype max) { return fromUtf16(model::shownText(utf16(text), length(max))); }

QString shownText(std::string_view utf8, qsizetype max) { return fromUtf16(model::shownUtf16(utf8, length(max))); }

QString boundedText(const QString& text, qsizetype max) {
    return fromUtf16(model::shownText(utf16(text), length(max), model::BidiControls::Kept));
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
    return wrappableText(shownText(text, kMaxAlertLength));
}

}  // namespace kit
