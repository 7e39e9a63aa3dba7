#include "charts/legend_widths.h"

#include <QFontMetricsF>
#include <algorithm>
#include <string_view>

namespace charts {

namespace {

// Titles kept before the cache starts again (twice a longer legend's).
constexpr qsizetype kTitleCap = 4096;
constexpr std::string_view kNumberChars = "-.0123456789";
constexpr std::string_view kBeforeNumber = " -.0123456789";

}  // namespace

void LegendWidths::useFont(const QFont& font) {
    if (measured_ && font == font_) return;
    font_ = font;
    measured_ = true;
    titles_.clear();
    const QFontMetricsF metrics(font_);
    for (const char c : kBeforeNumber)
        advances_[static_cast<unsigned char>(c)] = metrics.horizontalAdvance(QChar(char16_t(c)));
    // Every pair a value's text holds, the space before it included, must
    // measure as its two advances.
    plainNumbers_ = true;
    for (const char a : kBeforeNumber)
        for (const char b : kNumberChars) {
            const QString pair = QString(QChar(char16_t(a))) + QChar(char16_t(b));
            if (metrics.horizontalAdvance(pair) !=
                advances_[static_cast<unsigned char>(a)] + advances_[static_cast<unsigned char>(b)])
                plainNumbers_ = false;
        }
}

double LegendWidths::titleWidth(const QString& title) {
    if (const auto found = titles_.constFind(title); found != titles_.cend()) return *found;
    ++titlesMeasured_;
    return *titles_.insert(title, QFontMetricsF(font_).horizontalAdvance(title + QStringLiteral(": ")));
}

std::optional<double> LegendWidths::knownTitleWidth(const QString& title) const {
    if (const auto found = titles_.constFind(title); found != titles_.cend()) return *found;
    return std::nullopt;
}

std::optional<double> LegendWidths::valueWidth(const QString& value) const {
    if (!plainNumbers_ || value.isEmpty()) return std::nullopt;
    double width = 0;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u != '-' && u != '.' && (u < '0' || u > '9')) return std::nullopt;
        width += advances_[u];
    }
    return width;
}

double LegendWidths::widest(const QFont& font, const std::vector<QString>& titles, const std::vector<QString>& values,
                            std::size_t newTitles) {
    useFont(font);
    complete_ = true;
    // Emptied between two legends only: a legend longer than the cap keeps
    // every title it holds, so the next one of the same titles measures none.
    if (titles_.size() >= std::max(kTitleCap, 2 * qsizetype(titles.size()))) titles_.clear();
    double widest = 0;
    for (std::size_t r = 0; r < values.size(); ++r) {
        const QString title = r < titles.size() ? titles[r] : QString();
        if (const std::optional<double> value = valueWidth(values[r])) {
            std::optional<double> titled = knownTitleWidth(title);
            if (!titled) {
                if (newTitles == 0) {
                    complete_ = false;
                    continue;
                }
                --newTitles;
                titled = titleWidth(title);
            }
            widest = std::max(widest, *titled + *value);
            continue;
        }
        widest = std::max(widest, QFontMetricsF(font_).horizontalAdvance(QStringLiteral("%1: %2").arg(title, values[r])));
    }
    return widest;
}

}  // namespace charts
