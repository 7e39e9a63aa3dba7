#pragma once
// A title of several words on two lines, for a button or a header section too
// narrow for it on one.
#include <QFontMetrics>
#include <QString>

namespace kit {

// The text broken at the space that leaves its longer line shortest; a text
// without a space as it is.
QString twoLineText(const QString& text);
// The widest of the text's lines ("\n") in `metrics`.
int widestLine(const QString& text, const QFontMetrics& metrics);

}  // namespace kit
