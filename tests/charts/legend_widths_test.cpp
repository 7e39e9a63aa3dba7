// The pie legend's widest row, measured in parts, is what the font's metrics
// give for the whole texts.
#include <QFontMetricsF>

#include "charts/legend_widths.h"
#include "kit/qt_test_app.h"

namespace charts {
namespace {

double wholeWidest(const QFont& font, const std::vector<QString>& titles, const std::vector<QString>& values) {
    double widest = 0;
    for (std::size_t r = 0; r < values.size(); ++r)
        widest = std::max(widest, QFontMetricsF(font).horizontalAdvance(
                                      QStringLiteral("%1: %2").arg(r < titles.size() ? titles[r] : QString(), values[r])));
    return widest;
}

TEST(LegendWidthsTest, WidestAsTheWholeTexts) {
    const struct {
        std::vector<QString> titles;
        std::vector<QString> values;
    } cases[] = {
        {{}, {}},
        {{"GOLD"}, {"-12.50"}},
        {{"AVAX", "To", "WAVE"}, {"1.00", "-11111.11", "7.47"}},
        {{"A"}, {"0.00", "99.99"}},              // a value without its title
        {{"GOLD", "EUR/USD"}, {"inf", "1e+05"}},  // texts measured whole
        {{QString::fromUtf8("\xe9\x87\x91"), "Avl.Mgn"}, {"-0.01", "100.00"}},
        {{"GOLD", "AVAX"}, {"3.14", "2.72"}},  // the titles again, now kept
    };
    LegendWidths widths;
    for (const double size : {11.0, 13.5}) {
        QFont font;
        font.setPointSizeF(size);
        font.setBold(true);
        for (const auto& c : cases)
            EXPECT_EQ(widths.widest(font, c.titles, c.values), wholeWidest(font, c.titles, c.values))
                << size << " " << (c.values.empty() ? "" : c.values[0].toStdString());
    }
}

// A legend of more titles than the cache's cap measures them once; the next
// legend of the same titles measures none.
TEST(LegendWidthsTest, LongLegendMeasuresItsTitlesOnce) {
    std::vector<QString> titles, values;
    for (int i = 0; i < 5000; ++i) {
        titles.push_back(QStringLiteral("I%1").arg(i));
        values.push_back(QStringLiteral("%1.00").arg(i));
    }
    QFont font;
    font.setBold(true);
    LegendWidths widths;
    const double first = widths.widest(font, titles, values);
    EXPECT_EQ(widths.titlesMeasured(), titles.size());
    EXPECT_EQ(widths.widest(font, titles, values), first);
    EXPECT_EQ(widths.titlesMeasured(), titles.size());
    // Measured a part a call, it comes to the same width once complete.
    constexpr std::size_t kPart = 1000;
    LegendWidths parts;
    std::size_t calls = 0;
    double partial = 0;
    do {
        partial = parts.widest(font, titles, values, kPart);
        ++calls;
        EXPECT_EQ(parts.titlesMeasured(), std::min(calls * kPart, titles.size()));
    } while (!parts.complete() && calls <= titles.size() / kPart);
    EXPECT_TRUE(parts.complete());
    EXPECT_EQ(calls, titles.size() / kPart);
    EXPECT_EQ(partial, first);
}

}  // namespace
}  // namespace charts
