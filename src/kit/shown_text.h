#pragma once
// The QString form of the one rule for a text from the server, a chat partner
// or a file (model/shown_text.h): cut on a whole character to the display
// length, marks per character bounded, bidirectional controls shown as U+FFFD.
#include <QString>
#include <string_view>

#include "model/shown_text.h"

namespace kit {

inline constexpr qsizetype kMaxShownLength = qsizetype(model::kMaxShownLength);

// The rule on a QString; only what is shown is read.
QString shownText(const QString& text, qsizetype max = kMaxShownLength);
// The rule on UTF-8: only the bytes that can be shown are converted.
QString shownText(std::string_view utf8, qsizetype max = kMaxShownLength);
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
