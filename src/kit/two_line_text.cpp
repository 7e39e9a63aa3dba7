#include "kit/two_line_text.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace kit {

QString twoLineText(const QString& text) {
    qsizetype best = -1;
    for (qsizetype i = text.indexOf(u' '); i >= 0; i = text.indexOf(u' ', i + 1))
        if (best < 0 || std::max(i, text.size() - i - 1) < std::max(best, text.size() - best - 1)) best = i;
    if (best < 0) return text;
    QString broken = text;
    broken[best] = u'\n';
    return broken;
}

int widestLine(const QString& text, const QFontMetrics& metrics) {
    int widest = 0;
    for (const QString& line : text.split(u'\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

}  // namespace kit
