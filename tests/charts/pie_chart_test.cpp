// The pie: slice spans by magnitude, colours in turn, legend rows with their
// sign, and what it paints.
#include <QImage>
#include <cmath>
#include <numbers>

#include "charts/pie_chart_controller.h"
#include "kit/qt_test_app.h"

namespace charts {
namespace {

class PieChartTest : public ::testing::Test {
protected:
    PieChartController pie;
    void load(const std::vector<std::string>& titles, const std::vector<double>& values) {
        pie.setPieChartData(model::PieChartDictionary{titles, values});
    }
    std::vector<std::string> legendTexts() const {
        std::vector<std::string> out;
        for (const plot::LegendEntry& e : pie.legendEntries()) out.push_back(e.title.toStdString());
        return out;
    }
    // Pixels of the pie's picture close to `color`.
    int pixelsOf(QColor color) {
        const QImage image = pie.grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                        std::abs(c.blue() - color.blue()) < 12)
                    ++n;
            }
        return n;
    }
};

TEST_F(PieChartTest, LegendKeepsSignsAndColoursCycleByFive) {
    const struct {
        std::vector<std::string> titles;
        std::vector<double> values;
        std::vector<std::string> legend;
    } cases[] = {
        {{}, {}, {}},
        {{"GOLD"}, {-12.5}, {"GOLD: -12.50"}},
        {{"GOLD", "Avl.Mgn"}, {0.004, 99.996}, {"GOLD: 0.00", "Avl.Mgn: 100.00"}},
        // Rounded as "%.2f" rounds: a tie to even, a small loss keeps its sign.
        {{"A", "B", "C"}, {0.125, -0.001, 1e21}, {"A: 0.12", "B: -0.00", "C: 1000000000000000000000.00"}},
        // Inf or nan reads as nothing, never "inf".
        {{"A", "B"}, {INFINITY, NAN}, {"A: 0.00", "B: 0.00"}},
        {{"A", "B", "C", "D", "E", "F"}, {1, 2, 3, 4, 5, 6},
         {"A: 1.00", "B: 2.00", "C: 3.00", "D: 4.00", "E: 5.00", "F: 6.00"}},
    };
    for (const auto& c : cases) {
        load(c.titles, c.values);
        EXPECT_EQ(legendTexts(), c.legend);
    }
    const auto entries = pie.legendEntries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[5].color, entries[0].color);
    for (int i = 1; i < 5; ++i) EXPECT_NE(entries[i].color, entries[0].color) << i;
}

TEST_F(PieChartTest, SlicesShareTheCircleByMagnitude) {
    plot::PieChart plot("p");
    struct Source : plot::PlotDataSource {
        std::vector<double> values;
        int numberOfRecords(const plot::Plot&) override { return static_cast<int>(values.size()); }
        std::optional<double> number(const plot::Plot&, plot::Field, int r) override {
            return values[static_cast<std::size_t>(r)];
        }
    } source;
    plot.dataSource = &source;
    const double turn = 2 * std::numbers::pi;
    const struct {
        std::vector<double> values;
        std::vector<double> spans;
    } cases[] = {
        {{}, {}},
        {{0, 0}, {0, 0}},
        {{-30, 10}, {0.75 * turn, 0.25 * turn}},
        {{5}, {turn}},
    };
    for (const auto& c : cases) {
        source.values = c.values;
        const auto spans = plot.sliceSpans();
        ASSERT_EQ(spans.size(), c.spans.size());
        for (std::size_t i = 0; i < spans.size(); ++i) EXPECT_NEAR(spans[i], c.spans[i], 1e-9);
    }
    plot.sliceDirection = plot::PieChart::Direction::Clockwise;
    source.values = {1, 1};
    EXPECT_NEAR(plot.sliceSpans()[0], -turn / 2, 1e-9);
}

TEST_F(PieChartTest, PaintsEachSliceInItsColour) {
    pie.resize(320, 240);
    pie.setTitle("P/L");
    load({"GOLD", "EURUSD"}, {30, 10});
    const QColor first(246, 155, 0), second(129, 195, 29);
    const int gold = pixelsOf(first), eur = pixelsOf(second);
    // Swatches aside, the first takes about three times the second's area.
    EXPECT_GT(gold, 2 * eur);
    EXPECT_GT(eur, 200);
    load({}, {});
    EXPECT_LT(pixelsOf(first), 5);
}

// A loss is hatched in its slice and swatch; the legend reads on a light
// window; colour numbers given keep an instrument's colour.
TEST_F(PieChartTest, LossesAreMarkedAndLegendsRead) {
    QPalette light;
    light.setColor(QPalette::Window, Qt::white);
    light.setColor(QPalette::WindowText, Qt::black);
    pie.setPalette(light);
    pie.resize(320, 240);
    const QColor first(246, 155, 0), second(129, 195, 29);
    load({"GOLD", "EURUSD"}, {20, 20});
    const int plain = pixelsOf(second);
    const QImage image = pie.grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 70;
    EXPECT_GT(dark, 20) << "legend text";

    load({"GOLD", "EURUSD"}, {20, -20});
    std::vector<bool> hatched;
    for (const plot::LegendEntry& e : pie.legendEntries()) hatched.push_back(e.hatched);
    EXPECT_EQ(hatched, (std::vector<bool>{false, true}));
    EXPECT_EQ(legendTexts(), (std::vector<std::string>{"GOLD: 20.00", "EURUSD: -20.00"}));
    EXPECT_LT(pixelsOf(second), plain * 3 / 4);
    EXPECT_GT(pixelsOf(second), plain / 4);

    pie.setPieChartData(model::PieChartDictionary{{"EURUSD"}, {5}}, {1});
    EXPECT_EQ(pie.legendEntries()[0].color, second);
    EXPECT_GT(pixelsOf(second), 200);
    EXPECT_LT(pixelsOf(first), 5);
}

// The legend is measured again when its texts change: a wider one leaves
// the pie less room, a narrower one gives it back.
TEST_F(PieChartTest, RefreshedLegendFollowsItsTexts) {
    pie.resize(320, 240);
    const QColor first(246, 155, 0);
    load({"A", "B"}, {1, 2});
    const int roomy = pixelsOf(first);
    const struct {
        std::vector<std::string> titles;
        std::vector<double> values;
        bool narrower;
    } steps[] = {
        {{"A", "B"}, {1, 2}, false},
        {{"A much longer title", "B"}, {1, 2}, true},
        {{"A", "B"}, {1, 2}, false},
        {{"A", "B"}, {1, 123456789.25}, true},
        {{"A", "B"}, {1, 2}, false},
    };
    for (const auto& step : steps) {
        load(step.titles, step.values);
        if (step.narrower) EXPECT_LT(pixelsOf(first), roomy * 3 / 4) << step.titles[0];
        else EXPECT_EQ(pixelsOf(first), roomy) << step.titles[0];
    }
}

}  // namespace
}  // namespace charts
