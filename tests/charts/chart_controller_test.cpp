// Loading by key, answers matched by key, the window's interaction and the
// live bar of a chart control.
#include <algorithm>
#include <cmath>

#include "charts/chart_fixture.h"
#include "platform/clock.h"

namespace charts {
namespace {

using testing::minuteAnswer;

class ChartControllerTest : public testing::ChartFixture {};

TEST_F(ChartControllerTest, LoadKeysAndOneRequestPerKey) {
    const struct {
        const char* key;
        const char* code;
        const char* name;
        int type;
    } cases[] = {{"1#3", "O", "One Minute", 3}, {"9#4", "BA", "Mini Tick", 4}, {"7#2", "D", "D1", 2}, {"8#2", "W", "W1", 2}};
    for (const auto& c : cases) {
        ChartController& ch = chart();
        ch.setValue("GOLD", c.key);
        EXPECT_EQ(ch.ChartInterval(), c.code);
        EXPECT_EQ(ch.IntervalName(), c.name);
        EXPECT_EQ(ch.window().type, c.type);
        EXPECT_EQ(ch.chartKey(), std::string("GOLD^") + c.code);
    }
    EXPECT_EQ(requests, (std::vector<std::string>{"GOLD^O/200", "GOLD^BA/200", "GOLD^D/200", "GOLD^W/200"}));
    // Index 10: tick code, the previous name stays in the title.
    ChartController& ch = *charts[0];
    ch.setValue("GOLD", "10#1");
    EXPECT_EQ(ch.ChartInterval(), "T");
    EXPECT_EQ(ch.IntervalName(), "One Minute");
    // The same key again once answered: drawn from the cache, no request.
    answer(minuteAnswer("GOLD^D", 200));
    const auto before = requests.size();
    chart().setValue("GOLD", "7#3");
    EXPECT_EQ(requests.size(), before);
    EXPECT_EQ(charts.back()->window().DATAPOINTS, 199);
    EXPECT_EQ(charts.back()->graph()->defaultPlotSpace().xRange(), (plot::PlotRange{164, 35}));
}

TEST_F(ChartControllerTest, AnswersServeTheChartOfTheirKey) {
    ChartController& a = chart();
    ChartController& b = chart();
    a.setValue("GOLD", "1#1");
    b.setValue("SILVER", "1#1");
    // The session hands each request an id of its own.
    ASSERT_EQ(requestIds.size(), 2u);
    EXPECT_NE(requestIds[0], requestIds[1]);
    EXPECT_EQ(requestIds[1], std::to_string(state::servicesOf(*session).requestId()));
    answer(minuteAnswer("SILVER^O", 30, 24));  // answered while a's request id is the newest
    EXPECT_EQ(b.window().DATAPOINTS, 29);
    EXPECT_EQ(a.graph(), nullptr);  // another key does not serve a
    // Reloaded to a new key before its answer: only the new key draws.
    a.setValue("OIL", "1#1");
    answer(minuteAnswer("GOLD^O", 50));
    EXPECT_EQ(a.graph(), nullptr);
    answer(minuteAnswer("OIL^O", 20, 80));
    ASSERT_NE(a.graph(), nullptr);
    EXPECT_EQ(a.window().DATAPOINTS, 19);
    EXPECT_EQ(a.window().lengthX, 19);
    EXPECT_EQ(a.bars().Symdata.front(), 78.5);
    // A destroyed chart receives nothing.
    chart().setValue("EURUSD", "1#1");
    charts.pop_back();
    answer(minuteAnswer("EURUSD^O", 20, 1.1));
    // A header without ">" serves no chart.
    ChartController& c = chart();
    c.setValue("GOLD", "3#1");
    answer("<1041~GOLD^1~5 no end");
    EXPECT_EQ(c.graph(), nullptr);
}

TEST_F(ChartControllerTest, BidAskChartStaysStillAndTypeSwitchesDrawWithoutRequests) {
    ChartController& ch = chart();
    ch.setValue("GOLD", "9#4");
    answer(minuteAnswer("GOLD^BA", 200));
    plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
    const auto x = space.xRange();
    const QRectF area = ch.graph()->plotArea(QRectF(0, 0, 800, 450));
    space.pointerDown({400, 200}, area);
    space.pointerDragged({100, 200}, area);
    space.pointerUp({100, 200}, area);
    space.scaleBy(2.0, {400, 200}, area);
    ch.crosshairToggleSelection();
    space.pointerDown({400, 200}, area);
    EXPECT_EQ(space.xRange(), x);
    EXPECT_EQ(ch.selectedIndex(), -1);
    EXPECT_TRUE(ch.graph()->plotWithIdentifier("Bid Price Line Plot"));
    ch.resetCrosshairToggle();

    const auto sent = requests.size();
    ch.TypesegmentControlChanged(2);
    EXPECT_EQ(ch.window().type, 3);
    EXPECT_TRUE(ch.graph()->plotWithIdentifier("Candlestick Plot"));
    EXPECT_TRUE(ch.graph()->plotWithIdentifier("Bid Price Line Plot"));  // kept
    space.pointerDown({400, 200}, area);
    space.pointerDragged({600, 200}, area);  // now it scrolls back
    space.pointerUp({600, 200}, area);
    EXPECT_LT(space.xRange().location, x.location);
    EXPECT_FALSE(ch.window().isChartEnd);
    ch.TypesegmentControlChanged(1);
    EXPECT_TRUE(ch.graph()->plotWithIdentifier("OHLC Plot"));
    EXPECT_FALSE(ch.graph()->plotWithIdentifier("Candlestick Plot"));
    EXPECT_EQ(requests.size(), sent);
}

TEST_F(ChartControllerTest, CrosshairReadsTheBarUnderThePointer) {
    ChartController& ch = chart();
    ch.setValue("GOLD", "1#3");
    answer(minuteAnswer("GOLD^O", 20));
    ch.crosshairToggleSelection();
    plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
    const QRectF area = ch.graph()->plotArea(QRectF(ch.chartView()->rect()));
    const struct {
        double x;
        long long row;
    } cases[] = {{-50, 0}, {1.2, 0}, {5.6, 5}, {19, 18}, {400, 18}};
    for (const auto& c : cases) {
        space.pointerDown(space.toView(c.x, 1800, area), area);
        EXPECT_EQ(ch.selectedIndex(), c.row) << c.x;
        EXPECT_TRUE(ch.valueBox()->isVisibleTo(&ch));
        space.pointerUp({}, area);
        EXPECT_EQ(ch.selectedIndex(), -1);
    }
    space.pointerDown(space.toView(6, 1800, area), area);  // bar 5: 1802.5 open, 1803.25 close
    EXPECT_EQ(ch.valueBox()->text().toStdString(),
              "09 Mar 09:05\nHigh: 1804.50\nLow: 1801.50\nOpen: 1802.50\nClose: 1803.25");
    space.pointerDragged(space.toView(7.2, 1800, area), area);
    EXPECT_EQ(ch.selectedIndex(), 6);
    EXPECT_EQ(space.xRange().location, 0);  // the crosshair does not scroll
}

TEST_F(ChartControllerTest, LiveBarAndThemeChanges) {
    ChartController& ch = chart();
    ch.setValue("GOLD", "1#3");
    answer(minuteAnswer("GOLD^O", 61));  // newest bar 10:00:00 at row 60
    ASSERT_EQ(ch.window().lastArrIndexPtr, 60);
    // The indicators shown follow the live bar: on the same sub-graph, what a fresh computation gives.
    QVariantMap sma{{"Period", "5"}, {"Color", QColor(Qt::yellow)}};
    ASSERT_FALSE(ch.loadSMA(sma));
    ASSERT_FALSE(ch.loadMACD({{"FastPeriod", "12"}, {"SlowPeriod", "26"}, {"SignalPeriod", "9"}}));
    const auto* macdGraph = ch.indicatorView()->graph();
    const auto followed = [&] {
        auto last = [](const indicators::Series* s) { return s && !s->empty() ? s->back() : std::nan(""); };
        const auto prices = indicators::pricesOf(ch.bars(), ch.window());
        EXPECT_EQ(last(ch.overlayData().values("SMA")), calculate(Indicator::SMA, prices, {{5}, 0})[0].back());
        const auto macd = calculate(Indicator::MACD, prices, {{12, 26, 9}, 0});
        for (std::size_t p = 0; p < macd.size(); ++p)
            EXPECT_EQ(last(ch.indicatorView()->data().values(describe(Indicator::MACD).plots[p].identifier)),
                      macd[p].back()) << p;
        EXPECT_EQ(ch.indicatorView()->graph(), macdGraph);
    };
    gold->Last = 1900;
    gold->Bid = 1899.5;
    gold->Ask = 1900.5;
    gold->UpdateTime = "03/09/2026 10:00:30";
    ch.newChartData();
    EXPECT_EQ(ch.bars().Symdata[60], 1900);
    EXPECT_EQ(ch.window().DATAPOINTS, 61);
    EXPECT_EQ(ch.window().MaxY, 1900);
    const auto& labels = ch.graph()->annotations();
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0]->text, "1899.50");
    EXPECT_EQ(labels[0]->anchorY, 1899.5);
    followed();
    gold->UpdateTime = "03/09/2026 10:01:02";
    gold->Last = 1901;
    ch.newChartData();
    EXPECT_EQ(ch.window().lastArrIndexPtr, 61);
    EXPECT_EQ(ch.window().DATAPOINTS, 62);
    followed();
    gold->Bid = 1899;  // the quote alone moves its box
    ch.newChartData();
    EXPECT_EQ(ch.graph()->annotations().at(0)->anchorY, 1899);

    // A theme change redraws the bars held, live ones included, with the
    // overlays that were on; no request goes out.
    const auto sent = requests.size();
    ch.applyChartTheme(1);
    EXPECT_EQ(ch.graph()->theme(), plot::GraphTheme::PlainWhite);
    EXPECT_EQ(ch.window().DATAPOINTS, 62);
    EXPECT_EQ(ch.bars().Symdata[61], 1901);
    EXPECT_NE(ch.graph()->plotWithIdentifier("SMA"), nullptr);
    ASSERT_NE(ch.overlayData().values("SMA"), nullptr);
    EXPECT_EQ(ch.graph()->annotations().size(), 2u);  // one label each
    EXPECT_EQ(requests.size(), sent);
    ch.applyChartTheme(0);
    EXPECT_EQ(ch.graph()->theme(), plot::GraphTheme::PlainBlack);

    // The price boxes never overlap; bid and ask as fractions of the y range shown.
    const struct {
        const char* what;
        double bid, ask;
    } cases[] = {
        {"at the top of the axis", 0.999, 1.0}, {"above the axis", 1.2, 1.3},  {"at the bottom", 0.0, 0.001},
        {"below the axis", -0.3, -0.2},         {"one price", 0.5, 0.5},       {"crossed", 0.51, 0.5},
        {"bid above, ask at the top", 1.1, 1.0},
    };
    for (const QSize size : {QSize(800, 450), QSize(300, 110)}) {
        ch.resize(size);
        for (const auto& c : cases) {
            const plot::PlotRange y = ch.graph()->defaultPlotSpace().yRange();
            gold->Bid = y.location + c.bid * y.length;
            gold->Ask = y.location + c.ask * y.length;
            ch.newChartData();
            const QRectF bounds(ch.chartView()->rect());
            const QRectF area = ch.graph()->plotArea(bounds);
            const auto boxes = ch.graph()->annotationBoxes(bounds, area);
            ASSERT_EQ(boxes.size(), 2u);
            ASSERT_TRUE(boxes[0] && boxes[1]) << c.what;
            EXPECT_FALSE(boxes[0]->intersects(*boxes[1])) << c.what << " " << size.height();
            for (const auto& box : boxes) EXPECT_TRUE(area.adjusted(-200, -0.5, 200, 0.5).contains(*box)) << c.what;
        }
    }
}

TEST_F(ChartControllerTest, ThemeOfTheDrawnGraphAndOfTheAwaitedAnswer) {
    ChartController& ch = chart();
    ch.applyChartTheme(1);  // before any load: nothing to ask for
    EXPECT_TRUE(requests.empty());
    ch.setValue("GOLD", "1#3");
    ch.applyChartTheme(1);  // while the answer is awaited: no second request
    EXPECT_EQ(requests.size(), 1u);
    answer(minuteAnswer("GOLD^O", 30));
    ASSERT_NE(ch.graph(), nullptr);
    EXPECT_EQ(ch.graph()->theme(), plot::GraphTheme::PlainWhite);
    ch.setValue("GOLD", "1#3");  // resets the theme field: the white graph keeps its black axes
    EXPECT_EQ(ch.graph()->yAxis.labelColor, QColor(Qt::black));

    // Another instrument awaited: its title never tops the previous one's bars.
    ChartController& dark = chart();
    dark.setValue("GOLD", "1#3");
    dark.setValue("OIL", "1#3");
    dark.applyChartTheme(0);
    ASSERT_NE(dark.graph(), nullptr);
    EXPECT_TRUE(dark.graph()->plots().empty());
}

TEST_F(ChartControllerTest, AnswerWithoutClosesDrawsAndReadsNothing) {
    // A request dropped unanswered draws as an empty answer, and a later load asks again.
    ChartController& dropped = chart();
    dropped.setValue("SILVER", "1#3");
    state::SessionTestAccess::dataServiceAnswers(*session).requestUnanswered(protocol::RequestKind{1040, "SILVER^O", 0, 0});
    kit::testing::runFor(20);
    ASSERT_NE(dropped.graph(), nullptr);
    EXPECT_TRUE(dropped.bars().Symdata.empty());
    const auto before = requests.size();
    chart().setValue("SILVER", "1#3");
    EXPECT_EQ(requests.size(), before + 1);

    ChartController& ch = chart();
    ch.setValue("GOLD", "1#3");
    answer("<1041~GOLD^O~2>03/09/26,03/09/26#09:59:00,10:00:00##1802,1803#1799,1800#1800,1801<END>");
    ASSERT_NE(ch.graph(), nullptr);
    EXPECT_EQ(ch.window().DATAPOINTS, 200);
    gold->Last = 1900;
    ch.newChartData();
    EXPECT_TRUE(ch.bars().Symdata.empty());
    EXPECT_EQ(ch.window().MaxY, 0);
    EXPECT_GT(ch.window().yRange().length, 0);
}

// Held answers on a clock the test moves.
class ChartCacheTest : public testing::ChartFixture {
protected:
    ~ChartCacheTest() override { platform::installClock(nullptr); }
    std::size_t asked(const std::string& key) const {
        return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [&](const std::string& r) {
            return r.rfind(key + "/", 0) == 0;
        }));
    }
    std::shared_ptr<platform::FakeClock> clock = [] {
        auto c = std::make_shared<platform::FakeClock>();
        platform::installClock(c);
        return c;
    }();
};

TEST_F(ChartCacheTest, AnswersABarOldAreAskedAgainAndALoginEmptiesThem) {
    const struct {
        const char* loadKey;
        const char* chartKey;
        int ageSeconds;
        bool asksAgain;
    } cases[] = {
        {"1#1", "GOLD^O", 59, false}, {"1#1", "GOLD^O", 61, true},  {"7#1", "GOLD^D", 3600, false},
        {"9#4", "GOLD^BA", 0, false}, {"9#4", "GOLD^BA", 2, true},
    };
    for (const auto& c : cases) {
        chart().setValue("GOLD", c.loadKey);
        answer(minuteAnswer(c.chartKey, 30));
        clock->advance(std::chrono::seconds(c.ageSeconds));
        const auto before = asked(c.chartKey);
        ChartController& later = chart();
        later.setValue("GOLD", c.loadKey);
        EXPECT_EQ(asked(c.chartKey), before + (c.asksAgain ? 1 : 0)) << c.chartKey << " " << c.ageSeconds;
        EXPECT_EQ(later.graph() == nullptr, c.asksAgain) << c.chartKey;
        if (!c.asksAgain) continue;
        // The newer answer, one bar longer, replaces the old one and draws.
        answer(minuteAnswer(c.chartKey, 31));
        EXPECT_EQ(later.window().DATAPOINTS, 30) << c.chartKey;
        EXPECT_EQ(state::viewOf(*session).chartData(c.chartKey).value_or(""), minuteAnswer(c.chartKey, 31));
    }
    // A login asks again for what the one before held.
    state::SessionTestAccess::dataServiceAnswers(*session).sendFirstRequests();
    EXPECT_FALSE(state::viewOf(*session).chartData("GOLD^D"));
    const auto before = asked("GOLD^D");
    chart().setValue("GOLD", "7#1");
    EXPECT_EQ(asked("GOLD^D"), before + 1);
}

}  // namespace
}  // namespace charts
