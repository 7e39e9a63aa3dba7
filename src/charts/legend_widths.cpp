#include "charts/legend_widths.h"

#include <QFontMetricsF>
#include <algorithm>
#include <string_view>

namespace charts {

namespace {

// Titles kept before the cache starts again.
constexpr qsizetype kTitleCap = 4096;
// Fonts kept before the shared measures start again.
constexpr qsizetype kFontCap = 16;
constexpr std::string_view kNumberChars = "-.0123456789";
constexpr std::string_view kBeforeNumber = " -.0123456789";

}  // namespace

std::shared_ptr<LegendWidths::Measures> LegendWidths::measuresOf(const QFont& font) {
    // Keyed by the font's description (a QFont outliving the application would not be safe).
    static QHash<QString, std::shared_ptr<Measures>> shared;
    const QString key = font.key();
    if (const auto found = shared.constFind(key); found != shared.cend()) return *found;
    if (shared.size() >= kFontCap) shared.clear();
    auto measures = std::make_shared<Measures>();
    const QFontMetricsF metrics(font);
    for (const char c : kBeforeNumber)
        measures->advances[static_cast<unsigned char>(c)] = metrics.horizontalAdvance(QChar(c));
    // Every pair a value's text holds, the space before it included, must
    // measure as its two advances.
    measures->plainNumbers = true;
    for (const char a : kBeforeNumber)
        for (const char b : kNumberChars) {
            const QString pair = QString(QChar(a)) + QChar(b);
            if (metrics.horizontalAdvance(pair) != measures->advances[static_cast<unsigned char>(a)] +
                                                       measures->advances[static_cast<unsigned char>(b)])
                measures->plainNumbers = false;
        }
    shared.insert(key, measures);
    return measures;
}

void LegendWidths::useFont(const QFont& font) {
    if (measures_ && font == font_) return;
    font_ = font;
    measures_ = measuresOf(font);
}

double LegendWidths::titleWidth(const QString& title) {
    QHash<QString, double>& titles = measures_->titles;
    if (const auto found = titles.constFind(title); found != titles.cend()) return *found;
    if (titles.size() >= kTitleCap) titles.clear();
    return *titles.insert(title, QFontMetricsF(font_).horizontalAdvance(title + QStringLiteral(": ")));
}

std::optional<double> LegendWidths::valueWidth(const QString& value) const {
    if (!measures_->plainNumbers || value.isEmpty()) return std::nullopt;
    double width = 0;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u != '-' && u != '.' && (u < '0' || u > '9')) return std::nullopt;
        width += measures_->advances[u];
    }
    return width;
}

double LegendWidths::widest(const QFont& font, const std::vector<QString>& titles, const std::vector<QString>& values) {
    useFont(font);
    double widest = 0;
    for (std::size_t r = 0; r < values.size(); ++r) {
        const QString title = r < titles.size() ? titles[r] : QString();
        if (const std::optional<double> value = valueWidth(values[r])) {
            widest = std::max(widest, titleWidth(title) + *value);
            continue;
        }
        widest = std::max(widest, QFontMetricsF(font_).horizontalAdvance(QStringLiteral("%1: %2").arg(title, values[r])));
    }
    return widest;
}

}  // namespace charts
