// Charts loaded from the simulator: one request per key, candlesticks that
// follow its prices, four charts at once, also when the simulator answers
// them under each other's keys, and every indicator over its bars.
#include <QDir>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstdlib>
#include <filesystem>

#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "charts/chart_controller.h"
#include "charts/core/chart_labels.h"
#include "charts/indicator_settings.h"
#include "integration/sim_login.h"
#include "model/language_string.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace charts {
namespace {

namespace fs = std::filesystem;
using kit::testing::runUntil;

class ChartSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        std::string tmpl = (fs::temp_directory_path() / "chart_sim.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        support = tmpl;
        ::setenv("XDG_DATA_HOME", support.c_str(), 1);
        sim = integration::SimProcess::start(TRADING_SIM_PATH, {});
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        session = state::BusinessBase::create(ui, ui);
        state::commandsOf(*session).StreamingConnection(true, false);
        ASSERT_TRUE(runUntil([&] { return item("GOLD") && item("COPPER"); }, 15000));
        kit::testing::runFor(300);  // the rest of the login's answers
    }
    void TearDown() override {
        charts.clear();
        session.reset();
        kit::testing::runFor(50);
        platform::MainExecutor::install(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(support);
    }
    model::ItemDetails* item(const std::string& code) {
        auto* p = state::SessionTestAccess::referenceData(*session).ItemCollection().find(code);
        return p && *p ? p->get() : nullptr;
    }
    ChartController& chart(const std::string& code, const std::string& key) {
        charts.push_back(std::make_unique<ChartController>(session, session));
        charts.back()->resize(900, 500);
        charts.back()->setValue(code, key);
        return *charts.back();
    }
    int requestsFor(const std::string& key) { return std::atoi(sim->command("chart-requests " + key).substr(3).c_str()); }

    state::testing::RecordingUi ui;
    std::shared_ptr<kit::QtMainExecutor> executor;
    std::unique_ptr<integration::SimProcess> sim;
    std::shared_ptr<state::BusinessBase> session;
    std::vector<std::unique_ptr<ChartController>> charts;
    fs::path support;
};

TEST_F(ChartSimTest, CandlesticksFollowTheSimulator) {
    ChartController& ch = chart("GOLD", "1#3");
    ASSERT_TRUE(runUntil([&] { return ch.graph() != nullptr; }, 10000));
    EXPECT_EQ(requestsFor("GOLD^O"), 1);
    EXPECT_EQ(ch.window().DATAPOINTS, 199);
    EXPECT_EQ(ch.window().lastArrIndexPtr, 199);
    ASSERT_TRUE(ch.graph()->plotWithIdentifier("Candlestick Plot"));
    ASSERT_FALSE(ch.graph()->xAxis.explicitTicks.empty());
    EXPECT_FALSE(ch.graph()->xAxis.explicitTicks.front().second.isEmpty());

    // Every second the newest bar takes the simulator's price.
    model::ItemDetails& gold = *item("GOLD");
    const double before = gold.Last;
    for (int i = 0; i < 20 && gold.Last == before; ++i) {
        sim->command("tick GOLD");
        runUntil([&] { return gold.Last != before; }, 500);
    }
    ASSERT_NE(gold.Last, before) << "no tick reached the client";
    ch.newChartData();
    const int row = ch.window().lastArrIndexPtr;
    EXPECT_EQ(priceText(ch.bars().Symdata[static_cast<std::size_t>(row)], ch.dotPosition()),
              priceText(gold.Last, ch.dotPosition()));
    EXPECT_EQ(ch.graph()->annotations()[0]->text.toStdString(), priceText(gold.Bid, ch.dotPosition()));
    EXPECT_EQ(ch.window().DATAPOINTS, row + 1);

    // Zoom, scroll and crosshair.
    plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
    const QRectF area = ch.chartView()->plotArea();
    space.scaleBy(2.0, area.center(), area);
    EXPECT_LT(ch.window().lengthX, 20);
    space.pointerDown(area.center(), area);
    space.pointerDragged(area.center() + QPointF(200, 0), area);
    space.pointerUp(area.center() + QPointF(200, 0), area);
    EXPECT_FALSE(ch.window().isChartEnd);
    ch.chartScrollToEnd();
    EXPECT_TRUE(ch.window().isChartEnd);
    ch.crosshairToggleSelection();
    space.pointerDown(area.center(), area);
    EXPECT_GE(ch.selectedIndex(), 0);
    EXPECT_TRUE(ch.valueBox()->text().startsWith(QString::fromStdString(
        DateandTimeFormatting(ch.bars().date[static_cast<std::size_t>(ch.selectedIndex())],
                              ch.bars().time[static_cast<std::size_t>(ch.selectedIndex())], "O"))));
    space.pointerUp(area.center(), area);
    ch.resetCrosshairToggle();

    // A theme change redraws from the cache.
    ch.applyChartTheme(1);
    EXPECT_EQ(ch.graph()->theme(), plot::GraphTheme::PlainWhite);
    ch.show();
    kit::testing::runFor(50);
    kit::testing::saveScreenshot(&ch, "chart-simulator-candlestick-light");
    // Another load of the key after the login's first: no request either.
    chart("GOLD", "1#1");
    EXPECT_NE(charts.back()->graph(), nullptr);
    EXPECT_EQ(requestsFor("GOLD^O"), 1);
}

TEST_F(ChartSimTest, FourChartsAtOnceAlsoUnderReversedKeys) {
    const std::vector<std::pair<std::string, std::string>> loads = {
        {"GOLD", "O"}, {"SILVER", "O"}, {"CRUDE", "O"}, {"COPPER", "O"}};
    for (bool reversed : {false, true}) {
        charts.clear();
        const std::string interval = reversed ? "5" : "O";
        const std::string index = reversed ? "2" : "1";
        if (reversed) {
            ASSERT_EQ(sim->command("chart-keys COPPER^5,CRUDE^5,SILVER^5,GOLD^5"), "ok");
        }
        for (const auto& [code, unused] : loads) chart(code, index + "#1");
        ASSERT_TRUE(runUntil([&] {
            for (const auto& c : charts)
                if (!c->graph()) return false;
            return true;
        }, 10000)) << (reversed ? "reversed" : "in order");
        for (const auto& c : charts) {
            // Each chart shows its own instrument's bars: its newest close is near its price.
            const double last = c->bars().Symdata.back();
            const double price = item(c->symbolName())->Last;
            EXPECT_NEAR(last, price, price * 0.2) << c->chartKey();
            EXPECT_EQ(requestsFor(c->symbolName() + "^" + interval), 1) << c->chartKey();
        }
    }
}

// Pixels of `image` within 40 of `colour` in each component.
int pixelsOf(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= 40 && std::abs(c.green() - colour.green()) <= 40 &&
                std::abs(c.blue() - colour.blue()) <= 40)
                ++n;
        }
    return n;
}

TEST_F(ChartSimTest, EveryIndicatorOverTheSimulatorsBars) {
    // The host: the chart with the sub-graph under it.
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* ch = new ChartController(session, session, &host);
    layout->addWidget(ch, 3);
    layout->addWidget(ch->indicatorView(), 2);
    ch->indicatorView()->show();
    host.resize(900, 700);
    host.show();
    ch->setValue("GOLD", "1#3");
    ASSERT_TRUE(runUntil([&] { return ch->graph() != nullptr; }, 10000));
    const QVariantMap settings = testing::indicatorSettings();
    auto grab = [](QWidget* w) {
        kit::testing::runFor(20);
        return w->grab().toImage();
    };
    auto colourOf = [&](const IndicatorPlot& p) {
        const QColor c = p.colourKey ? settings.value(p.colourKey).value<QColor>() : QColor(p.colour.red, p.colour.green, p.colour.blue);
        return c.toRgb();
    };
    for (int i = 0; i < kIndicatorCount; ++i) {
        const auto which = static_cast<Indicator>(i);
        const IndicatorDescription& d = describe(which);
        ASSERT_FALSE(ch->loadIndicator(which, settings)) << d.title;
        QWidget* drawn = d.overlay ? static_cast<QWidget*>(ch->chartView()) : ch->indicatorView()->view();
        const QImage image = grab(drawn);
        for (const IndicatorPlot& p : d.plots) {
            EXPECT_GT(pixelsOf(image, colourOf(p)), 20) << d.title << " " << p.identifier;
            EXPECT_NE((d.overlay ? ch->graph() : ch->indicatorView()->graph())->plotWithIdentifier(p.identifier), nullptr);
        }
        if (!d.overlay) {
            // A named indicator's title in the language (English here), a code as it stands.
            const std::string title =
                d.titleKey ? model::LanguageString::stringforSelectedLanguage(0, d.titleKey) : d.title;
            EXPECT_EQ(ch->indicatorView()->titleLabel()->text().toStdString(), title);
            // The previous indicator's plots went with its graph.
            EXPECT_EQ(ch->indicatorView()->graph()->plots().size(), d.plots.size()) << d.title;
        }
        QString name = QString("indicator-%1").arg(QString::fromUtf8(d.title).toLower());
        name.replace(QRegularExpression("[^a-z0-9-]+"), "-");
        kit::testing::saveScreenshot(&host, name);
        if (d.overlay) ch->removeIndicator(which);
    }
    // The four overlays together, in the light theme too.
    for (int theme : {0, 1}) {
        ch->applyChartTheme(theme);
        for (auto which : {Indicator::SMA, Indicator::EMA, Indicator::BollingerBands, Indicator::Alligator})
            ASSERT_FALSE(ch->loadIndicator(which, settings));
        ASSERT_FALSE(ch->loadMACD(settings));
        EXPECT_EQ(ch->graph()->plots().size(), 3u + 1 + 1 + 3 + 3);  // price, price lines, overlays
        kit::testing::saveScreenshot(&host, theme ? "indicator-overlays-light" : "indicator-overlays-dark");
    }
    // The sub-graph follows the chart's zoom and scroll.
    plot::PlotSpace& main = ch->graph()->defaultPlotSpace();
    const QRectF area = ch->chartView()->plotArea();
    main.scaleBy(1.5, area.center(), area);
    main.pointerDown(area.center(), area);
    main.pointerDragged(area.center() + QPointF(120, 0), area);
    main.pointerUp(area.center() + QPointF(120, 0), area);
    EXPECT_EQ(ch->indicatorView()->graph()->defaultPlotSpace().xRange(), main.xRange());

    // Answers without closes: every indicator is empty and its range finite.
    ASSERT_EQ(sim->command("fault chart-shape no-closes"), "ok");
    ch->setValue("COPPER", "2#1");
    ASSERT_TRUE(runUntil([&] { return ch->graph()->plotWithIdentifier("Scatter Plot") != nullptr; }, 10000));
    for (int i = 0; i < kIndicatorCount; ++i) {
        const auto which = static_cast<Indicator>(i);
        ASSERT_FALSE(ch->loadIndicator(which, settings));
        const auto* data = describe(which).overlay ? &ch->overlayData() : &ch->indicatorView()->data();
        EXPECT_TRUE(data->values(describe(which).plots[0].identifier)->empty()) << describe(which).title;
    }
    const auto y = ch->indicatorView()->graph()->defaultPlotSpace().yRange();
    EXPECT_TRUE(std::isfinite(y.location) && y.length > 0);
}

}  // namespace
}  // namespace charts
