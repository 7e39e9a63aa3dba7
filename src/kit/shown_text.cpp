#include "kit/shown_text.h"

#include <QTextBoundaryFinder>
#include <algorithm>

#include "model/text_character.h"

namespace kit {

namespace {

std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())};
}

QString fromUtf16(const std::u16string& text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

std::size_t length(qsizetype max) { return std::size_t(std::max<qsizetype>(0, max)); }

}  // namespace

QString shownText(const QString& text, qsizetype max) { return fromUtf16(model::shownText(utf16(text), length(max))); }

QString shownText(std::string_view utf8, qsizetype max) {
    // The rule's own result without its walk: a code, a price, a plain name.
    if (model::shownAsIs(utf8, length(max))) return QString::fromLatin1(utf8.data(), qsizetype(utf8.size()));
    return fromUtf16(model::shownUtf16(utf8, length(max)));
}

QString wrappableText(const QString& text) {
    constexpr QChar kBreak{0x200B};
    if (text.size() <= kWrapRun) return text;
    const std::u16string_view units = utf16(text);
    QString out;
    qsizetype copied = 0, last = 0;
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    for (qsizetype next = lines.toNextBoundary(); next != -1; last = next, next = lines.toNextBoundary()) {
        // No break between `last` and `next` but after the blanks that end it: one every
        // kWrapRun units, where the rule's next character begins.
        qsizetype end = next;
        while (end > last && text[end - 1].isSpace()) --end;
        for (qsizetype at = last, run = last;; run = at) {
            while (at < end && at < run + kWrapRun) at = qsizetype(model::nextCharacter(units, std::size_t(at)));
            if (at >= end) break;
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
