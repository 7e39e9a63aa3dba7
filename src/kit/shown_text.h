#pragma once
// The one rule for a text from the server, a chat partner or a file before Qt
// lays it out: at most kMaxShownLength UTF-16 units, cut where a character
// (a surrogate pair, a base and its combining marks) begins, with "…"; and the
// explicit bidirectional controls (U+202A-U+202E, U+2066-U+2069) shown as
// U+FFFD, so that the text cannot reorder itself or what surrounds it.
#include <QString>
#include <QStringView>
#include <string_view>

namespace kit {

// A few screens of one line: more is never read, and laying it out costs.
inline constexpr qsizetype kMaxShownLength = 4000;

// `text` when it fits in `max`, else its characters up to `max` and "…".
QString cutForDisplay(const QString& text, qsizetype max = kMaxShownLength);
// `text` with each explicit bidirectional control replaced by U+FFFD.
QString withVisibleBidiControls(QString text);
// Both rules.
QString shownText(const QString& text);
// Both rules on UTF-8: only the bytes that can be shown are converted.
QString shownText(std::string_view utf8);
// `text` with a zero-width space every kWrapRun units of a run where the line
// may not break, so that a wrapped label breaks a long address or a hostile
// unbroken text instead of cutting it at its edge.
inline constexpr qsizetype kWrapRun = 40;
QString wrappableText(const QString& text);
// A message box holds less: wrapped at its width, this many stay on the
// screen and are laid out well within a frame's time.
inline constexpr qsizetype kMaxAlertLength = 1200;
// Both rules at that length, made wrappable.
QString shownAlertText(const QString& text);

}  // namespace kit
