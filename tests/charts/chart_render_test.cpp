// What the charts paint, probed pixel by pixel, and the screenshots of each
// chart type in both themes.
#include <QDir>

#include "charts/chart_fixture.h"
#include "charts/plot/scatter_plot.h"

namespace charts {
namespace {

using testing::minuteAnswer;

// Pixels of `image` inside `area` close to `color`.
int countColor(const QImage& image, QColor color, QRect area = {}, int tolerance = 24) {
    if (area.isNull()) area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) <= tolerance && std::abs(c.green() - color.green()) <= tolerance &&
                std::abs(c.blue() - color.blue()) <= tolerance)
                ++n;
        }
    return n;
}

class ChartRenderTest : public testing::ChartFixture {
protected:
    static std::optional<double> number(ChartController& ch, const char* plot, int record) {
        plot::Plot* p = ch.graph()->plotWithIdentifier(plot);
        return p && p->dataSource ? p->dataSource->number(*p, plot::Field::Y, record) : std::nullopt;
    }
    ChartController& load(const std::string& key, const std::string& interval, int theme, int bars = 200) {
        ChartController& ch = chart();
        // The quote sits at the newest close, as it would live.
        const double last = 1800 + 0.5 * (bars - 1) + ((bars - 1) % 3 == 0 ? -1.5 : 0.75);
        gold->Last = last;
        gold->Bid = last - 0.25;
        gold->Ask = last + 0.25;
        ch.setValue("GOLD", key);
        answer(minuteAnswer("GOLD^" + interval, bars));
        if (theme) ch.applyChartTheme(theme);
        return ch;
    }
    void screenshot(ChartController& ch, const std::string& name) {
        ch.show();
        kit::testing::runFor(30);
        kit::testing::saveScreenshot(&ch, QString::fromStdString(name));
    }
    QRect plotArea(ChartController& ch) { return ch.graph()->plotArea(QRectF(0, 0, 800, 450)).toRect().adjusted(1, 1, -1, -1); }
};

TEST_F(ChartRenderTest, EachTypeInBothThemes) {
    const QColor lightGrey(170, 170, 170);
    const struct {
        const char* key;
        const char* interval;
        const char* name;
        int theme;
        QColor present;  // a colour the plot must show
        QColor second;
    } cases[] = {
        {"1#1", "O", "line", 0, QColor(0, 255, 0), QColor(40, 107, 158)},
        {"1#1", "O", "line", 1, QColor(0, 153, 0), QColor(40, 107, 158)},
        {"1#2", "O", "ohlc", 0, QColor(0, 255, 0), QColor(40, 107, 158)},
        {"1#2", "O", "ohlc", 1, QColor(0, 153, 0), QColor(40, 107, 158)},
        {"1#3", "O", "candlestick", 0, lightGrey, QColor(0, 255, 0)},     // falling filled light grey
        {"1#3", "O", "candlestick", 1, QColor(255, 0, 0), QColor(0, 153, 0)},  // falling red, rising green
        {"9#4", "BA", "bidask", 0, QColor(255, 0, 0), QColor(64, 140, 255)},
        {"9#4", "BA", "bidask", 1, QColor(255, 0, 0), QColor(0, 0, 255)},
    };
    for (const auto& c : cases) {
        ChartController& ch = load(c.key, c.interval, c.theme);
        const QImage image = render(ch);
        const QRect area = plotArea(ch);
        const std::string what = std::string(c.name) + (c.theme ? "-light" : "-dark");
        EXPECT_GT(countColor(image, c.present, area, 12), 20) << what;
        EXPECT_GT(countColor(image, c.second, area, 12), 20) << what;
        // The background follows the theme.
        EXPECT_EQ(image.pixelColor(area.left() + 3, area.top() + 3).lightness() > 128, c.theme == 1) << what;
        if (std::string(c.name) == "bidask") {
            ASSERT_TRUE(ch.graph()->legend) << what;
            EXPECT_EQ(ch.graph()->plotWithIdentifier("Bid Price Line Plot")->title, "Bid");
            EXPECT_EQ(ch.graph()->plotWithIdentifier("Ask Price Line Plot")->title, "Ask");
            // The legend's bid swatch at the top left.
            EXPECT_GT(countColor(image, QColor(255, 0, 0), QRect(area.left(), area.top(), 30, 30), 12), 40) << what;
        }
        screenshot(ch, "chart-" + what);
    }
}

TEST_F(ChartRenderTest, CandleFillsAndPriceLinesByPixel) {
    ChartController& ch = load("1#3", "O", 0, 20);
    plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
    const QRectF area = ch.graph()->plotArea(QRectF(0, 0, 800, 450));
    QImage image = render(ch);
    // Bar 4 rises (open 1802, close 1802.75): hollow, black inside; bar 3 falls: filled light grey.
    const QPointF rise = space.toView(5, 1802.4, area);
    const QPointF fall = space.toView(4, (1801.5 + 1800) / 2, area);
    EXPECT_EQ(image.pixelColor(rise.toPoint()), QColor(Qt::black));
    EXPECT_LE(std::abs(image.pixelColor(fall.toPoint()).red() - 170), 2);
    ch.applyChartTheme(1);
    plot::PlotSpace& space2 = ch.graph()->defaultPlotSpace();
    image = render(ch);
    EXPECT_EQ(image.pixelColor(rise.toPoint()), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(fall.toPoint()), QColor(255, 0, 0));

    // Price lines at the newest row's bid and ask (the close right after a load), then at the live prices.
    gold->Last = 1815;
    gold->Bid = 1814;
    gold->Ask = 1816;
    gold->UpdateTime = "03/09/2026 09:19:30";
    ch.newChartData();
    image = render(ch);
    const QPointF area2 = {area.left() + 20, 0};
    const int bidY = static_cast<int>(std::round(space2.toView(0, 1814, area).y()));
    const int askY = static_cast<int>(std::round(space2.toView(0, 1816, area).y()));
    EXPECT_GT(countColor(image, QColor(208, 51, 43), QRect(area2.x(), bidY - 1, 200, 3), 10), 150);
    EXPECT_GT(countColor(image, QColor(40, 107, 158), QRect(area2.x(), askY - 1, 200, 3), 10), 150);
}

TEST_F(ChartRenderTest, FlatWindowAndLongPricesDraw) {
    ChartController& ch = chart();
    ch.setValue("GOLD", "1#1");
    answer("<1041~GOLD^O~4>03/09/26,03/09/26,03/09/26,03/09/26#09:00:00,09:01:00,09:02:00,09:03:00#"
           "12345.678,12345.678,12345.678,12345.678#12345.678,12345.678,12345.678,12345.678#1,1,1,1#1,1,1,1<END>");
    EXPECT_GT(ch.window().yRange().length, 0);
    EXPECT_EQ(number(ch, "Scatter Plot", 1), 12345.678);
    const QImage image = render(ch);
    int green = 0;  // the flat line shows, whatever its anti-aliasing
    const QRect area = plotArea(ch);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            green += c.green() > 100 && c.red() < 60 && c.blue() < 60;
        }
    EXPECT_GT(green, 100);
}

TEST_F(ChartRenderTest, Crosshair) {
    ChartController& ch = load("1#3", "O", 0, 200);
    ch.show();
    kit::testing::runFor(20);
    ch.crosshairToggleSelection();
    plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
    const QRectF area = ch.chartView()->plotArea();
    space.pointerDown(space.toView(182, ch.window().MinY + 10, area), area);
    EXPECT_EQ(ch.selectedIndex(), 181);
    const QImage image = render(ch, ch.chartView()->size());
    EXPECT_GT(countColor(image, QColor(40, 107, 158), QRect(space.toView(182, 0, area).toPoint().x() - 1, 10, 3, 300), 10), 250);
    screenshot(ch, "chart-crosshair-dark");
    ch.resize(ch.minimumSizeHint().expandedTo({320, 200}));
    kit::testing::runFor(20);
    kit::testing::saveScreenshot(&ch, "chart-crosshair-small-dark");
}

}  // namespace
}  // namespace charts
