// The chart window and its indicator panel: what a new window shows, the
// panel's boxes and dictionary, the relays that open the bottom pane and
// keep the live bar running, and what a symbol, interval, type or theme change does
// to the indicators shown.
#include <QApplication>
#include <QLayout>
#include <QScrollArea>
#include <QGlyphRun>
#include <QRawFont>
#include <QSet>
#include <QTest>
#include <QTextLayout>

#include "charts/chart_fixture.h"
#include "charts/chart_view_controller.h"
#include "charts/chart_window_controller.h"
#include "kit/controls/quote_line_label.h"
#include "kit/fake_context.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "support/session_test_access.h"

namespace charts {
namespace {

using testing::minuteAnswer;

struct Recorder : ChartAnalysisViewControllerDelegate {
    void indicatorCheckBoxOn(Indicator which, const QVariantMap& settings) override {
        calls.push_back({true, which});
        last = settings;
    }
    void indicatorCheckBoxOff(Indicator which) override { calls.push_back({false, which}); }
    std::vector<std::pair<bool, Indicator>> calls;
    QVariantMap last;
};

class ChartWindowTest : public testing::ChartFixture {
protected:
    void SetUp() override {
        ChartFixture::SetUp();
        watchlist() = {"GOLD", "SILVER"};
        const auto needs = session->orderManagerParts();
        manager = std::make_unique<orders::OrderMananger>(needs.view, needs.services, needs.reference, needs.book, needs.commands);
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session);
        window = std::make_unique<ChartWindowController>(fake->context);
        window->NeedReload();
        answer(minuteAnswer("GOLD^O", 200));
    }
    void TearDown() override {
        window.reset();
        fake.reset();
        manager.reset();
        ChartFixture::TearDown();
    }
    std::vector<std::string>& watchlist() {
        return state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session));
    }
    void tick(Indicator which) { window->chartAnalysisViewController()->checkBox(which)->click(); }
    bool ticked(Indicator which) { return window->chartAnalysisViewController()->checkBox(which)->isChecked(); }
    void ensureTicked(std::initializer_list<Indicator> which) {
        for (Indicator i : which)
            if (!ticked(i)) tick(i);
    }
    // A changed price moves the newest bar.
    bool follows() {
        ChartController& ch = *window->chartController();
        model::ItemDetails& item = **state::SessionTestAccess::referenceData(*session).ItemCollection().find(ch.symbolName());
        item.Last += 0.75;
        ch.newChartData();
        return ChartBars::value(ch.bars().Symdata, ch.window().lastArrIndexPtr) == item.Last;
    }

    std::unique_ptr<orders::OrderMananger> manager;
    std::unique_ptr<kit::testing::FakeContext> fake;
    std::unique_ptr<ChartWindowController> window;
};

TEST_F(ChartWindowTest, OpensOnTheFirstSymbolAndRelaysTheBoxes) {
    EXPECT_EQ(window->windowTitle(), "GOLD, M1");
    EXPECT_EQ(window->intervalIndex(), 1);
    EXPECT_EQ(window->chartTypePopButton()->currentText(), "Candle Chart");
    EXPECT_EQ(window->chartController()->window().type, kCandlestickChart);
    EXPECT_TRUE(window->bottomViewCollapsed());
    EXPECT_EQ(requests, std::vector<std::string>{"GOLD^O/200"});

    tick(Indicator::SMA);
    EXPECT_TRUE(window->bottomViewCollapsed());  // overlays leave the pane alone
    tick(Indicator::MACD);
    EXPECT_FALSE(window->bottomViewCollapsed());
    tick(Indicator::RSI);  // unticks MACD without its off: RSI shown
    EXPECT_FALSE(ticked(Indicator::MACD));
    EXPECT_EQ(window->chartController()->indicatorView()->titleLabel()->text(), "RSI");
    tick(Indicator::RSI);
    EXPECT_TRUE(window->bottomViewCollapsed());
    EXPECT_EQ(window->indicatorsShown().all(), std::vector<Indicator>{Indicator::SMA});
    EXPECT_TRUE(follows());
    tick(Indicator::SMA);
    EXPECT_FALSE(window->indicatorsShown().any());

    // A refused period: the alert, the box unticked, nothing drawn, nothing shown.
    window->chartAnalysisViewController()->field(Indicator::CCI, "Period")->clear();
    tick(Indicator::CCI);
    EXPECT_FALSE(ticked(Indicator::CCI));
    ASSERT_EQ(fake->ui.alerts.size(), 1u);
    EXPECT_EQ(fake->ui.alerts[0], fake->context.text("10980") + ": " + fake->context.text("21090"));
    EXPECT_TRUE(window->bottomViewCollapsed());
    EXPECT_FALSE(window->indicatorsShown().any());
}

TEST_F(ChartWindowTest, TitlesMonthsAndValueBoxInTheLanguage) {
    const struct {
        std::int64_t language;
        const char *windowTitle, *hourly, *paneTitle;  // hourly: the interval pop-up's sixth item
        std::string day, high;                         // of the bar at 09:05
    } cases[] = {
        {0, "GOLD, M1", "H1", "GOLD, One Minute", "09 Mar", "\nHigh: "},
        {6, "GOLD, 1 мин", "1 ч", "GOLD, 1 минута", "09 мар.", "\nМакс.: "},
        {1, "GOLD, 1分钟", "1小时", "GOLD, 1分钟", "09 3月", "\n最高: "},
        {5, "GOLD, 1 دقيقة", "1 ساعة", "GOLD, دقيقة واحدة", "09 مارس", "\nالأعلى: "},
        {4, nullptr, nullptr, nullptr, "09 مارچ", "\nلوړه: "},
    };
    for (const auto& c : cases) {
        fake->context.text = [l = c.language](const std::string& key) {
            return model::LanguageString::stringforSelectedLanguage(l, key);
        };
        ui.language = c.language;
        ChartWindowController shown(fake->context);
        shown.NeedReload();
        if (c.windowTitle) {
            EXPECT_EQ(shown.windowTitle().toStdString(), c.windowTitle);
            EXPECT_EQ(shown.intervalPopUpButton()->itemText(5).toStdString(), c.hourly);
        }
        ChartController& ch = *shown.chartController();
        answer(minuteAnswer("GOLD^O", 20));
        if (c.paneTitle) {
            EXPECT_EQ(ch.title().toStdString(), c.paneTitle);
        }
        // Bar 5 under the crosshair, and the x axis's labels.
        ch.resize(800, 450);
        ch.crosshairToggleSelection();
        plot::PlotSpace& space = ch.graph()->defaultPlotSpace();
        space.setXRange({0, 10});
        const QRectF area = ch.graph()->plotArea(QRectF(ch.chartView()->rect()));
        space.pointerDown(space.toView(6, 1800, area), area);
        EXPECT_EQ(ch.valueBox()->text().toStdString().rfind(c.day + " 09:05" + c.high, 0), 0u)
            << c.language << ": " << ch.valueBox()->text().toStdString();
        const auto& ticks = ch.graph()->xAxis.explicitTicks;
        ASSERT_FALSE(ticks.empty());
        // Each label reads in its language's direction; the box's letters are drawn by one font, so
        // that they join.
        const auto direction = model::LanguageString::readsRightToLeft(c.language) ? Qt::TextForceRightToLeft
                                                                                 : Qt::TextForceLeftToRight;
        for (const auto& t : ticks) {
            EXPECT_EQ(t.second.toStdString().rfind(c.day, 0), 0u) << t.second.toStdString();
            EXPECT_EQ(plot::textDirection(t.second), direction) << t.second.toStdString();
        }
        const auto* box = dynamic_cast<const kit::QuoteLineLabel*>(ch.valueBox());
        ASSERT_TRUE(box);
        for (const QString& line : box->text().split('\n')) {
            QString letters = line;
            letters.removeIf([](QChar ch) { return !ch.isLetter(); });
            QTextLayout words(letters, box->font());
            words.beginLayout();
            words.createLine();
            words.endLayout();
            QSet<QString> fonts;
            for (const QGlyphRun& run : words.glyphRuns()) fonts.insert(run.rawFont().familyName());
            EXPECT_EQ(fonts.size(), 1) << line.toStdString();
        }
        EXPECT_EQ(box->isRightToLeft(), model::LanguageString::readsRightToLeft(c.language));
    }
}

TEST_F(ChartWindowTest, SymbolIntervalTypeAndThemeChanges) {
    tick(Indicator::SMA);
    tick(Indicator::MACD);
    // A type change keeps the indicators and asks for nothing.
    window->ChartTypeControlSelected(1);
    EXPECT_EQ(window->chartController()->window().type, kOHLCChart);
    EXPECT_TRUE(window->chartController()->isIndicatorPlot());
    EXPECT_EQ(requests.size(), 1u);
    // The theme the chart has: nothing rebuilt, the indicators stay.
    window->chartThemeMenuClicked(0);
    EXPECT_NE(window->chartController()->graph()->plotWithIdentifier("SMA"), nullptr);
    EXPECT_TRUE(ticked(Indicator::MACD));
    // Another theme rebuilds the chart with what was on, boxes and pane as they were.
    window->crosshairButton()->click();
    window->chartThemeButtonClicked();
    window->chartThemeMenuClicked(1);
    const ChartController& themed = *window->chartController();
    EXPECT_EQ(themed.graph()->theme(), plot::GraphTheme::PlainWhite);
    EXPECT_NE(themed.graph()->plotWithIdentifier("SMA"), nullptr);
    EXPECT_TRUE(themed.isIndicatorPlot() && ticked(Indicator::SMA) && ticked(Indicator::MACD));
    EXPECT_EQ(themed.indicatorView()->graph()->theme(), plot::GraphTheme::PlainWhite);
    EXPECT_FALSE(window->bottomViewCollapsed());
    EXPECT_FALSE(themed.crosshairOn());
    EXPECT_TRUE(follows());
    EXPECT_EQ(requests.size(), 1u);

    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"symbol", [&] { window->SymbolPopUpItemSelected(1); }},
        {"interval", [&] { window->IntervalItemSelected(7); }},
    };
    for (const auto& c : changes) {
        ensureTicked({Indicator::SMA, Indicator::MACD});
        window->crosshairButton()->click();
        c.change();
        EXPECT_FALSE(ticked(Indicator::SMA) || ticked(Indicator::MACD)) << c.what;
        EXPECT_FALSE(window->chartController()->isIndicatorPlot()) << c.what;
        EXPECT_TRUE(window->indicatorsShown().all().empty()) << c.what;
        EXPECT_TRUE(window->bottomViewCollapsed()) << c.what;
        EXPECT_FALSE(window->chartController()->crosshairOn()) << c.what;
        answer(minuteAnswer(window->chartController()->chartKey(), 200));
        EXPECT_TRUE(follows()) << c.what;
    }
    EXPECT_EQ(window->windowTitle(), "SILVER, W1");
    EXPECT_EQ(requests.back(), "SILVER^W/200");
    // A later scroll leaves the hidden sub-graph alone.
    const auto kept = window->chartController()->indicatorView()->graph()->defaultPlotSpace().xRange();
    window->chartScrollToEnd();
    EXPECT_EQ(window->chartController()->indicatorView()->graph()->defaultPlotSpace().xRange(), kept);

    // The pop-ups are filled again only for another watchlist.
    window->NeedReload();
    EXPECT_EQ(window->itemCode(), "SILVER");
    watchlist() = {"OIL"};
    window->NeedReload();
    EXPECT_EQ(window->itemCode(), "OIL");
    EXPECT_EQ(window->symbolPopButton()->count(), 1);
}

TEST_F(ChartWindowTest, PanelBoxesFieldsAndScreenshots) {
    ChartAnalysisViewController panel;
    Recorder recorder;
    panel.setDelegate(&recorder);
    panel.checkBox(Indicator::RSI)->click();
    panel.checkBox(Indicator::SMA)->click();
    panel.checkBox(Indicator::MACD)->click();  // unticks RSI, not the overlay, without an off
    EXPECT_FALSE(panel.checkBox(Indicator::RSI)->isChecked());
    EXPECT_TRUE(panel.checkBox(Indicator::SMA)->isChecked());
    using C = std::pair<bool, Indicator>;
    EXPECT_EQ(recorder.calls, (std::vector<C>{{true, Indicator::RSI}, {true, Indicator::SMA}, {true, Indicator::MACD}}));
    panel.setColour(Indicator::Alligator, "TeethLineColor", Qt::cyan);
    panel.checkBox(Indicator::Alligator)->click();
    EXPECT_EQ(recorder.last.value("TeethLineColor").value<QColor>(), QColor(Qt::cyan));
    EXPECT_EQ(recorder.last.value("JawsPeriod").toString(), "13");
    panel.checkBox(Indicator::Stochastic)->click();
    EXPECT_EQ(recorder.last.keys(), (QStringList{"%DPeriod ", "%KPeriod ", "Slowing"}));

    // Digits only, five at most: a deviation of 2.5 cannot be entered.
    QLineEdit* deviation = panel.field(Indicator::BollingerBands, "Deviation");
    deviation->clear();
    QTest::keyClicks(deviation, "2.5");
    EXPECT_EQ(deviation->text(), "25");
    QTest::keyClicks(deviation, "1234");
    EXPECT_EQ(deviation->text(), "25123");

    window->show();
    for (std::int64_t theme : {0, 1}) {
        fake->theme = theme;
        QApplication::setPalette(kit::ThemeManager::palette(theme));
        window->NeedReload();
        window->chartThemeMenuClicked(static_cast<int>(theme));
        ensureTicked({Indicator::BollingerBands, Indicator::MACD});
        kit::testing::runFor(30);
        kit::testing::saveScreenshot(window.get(), theme ? "chart-window-indicators-light" : "chart-window-indicators-dark");
    }
    // The window at the top of the screen: the panel opens below its button, on the screen.
    const QRect available = window->screen()->availableGeometry();
    window->move(available.topLeft());
    kit::testing::runFor(30);
    window->analysisButtonClicked();
    kit::testing::runFor(30);
    EXPECT_TRUE(window->analysisPopover()->isVisible());
    EXPECT_TRUE(available.contains(window->analysisPopover()->frameGeometry()))
        << window->analysisPopover()->frameGeometry().y();
    kit::testing::saveScreenshot(window->analysisPopover(), "chart-window-indicator-panel");
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

TEST_F(ChartWindowTest, PaneLoadsOnceConfiguredAndAwakeAndFollowsItsMenus) {
    requests.clear();
    ChartViewController pane(session, session, nullptr);
    pane.setValue({{"ItemDetails", "SILVER"}, {"ChartIntervalType", 2}, {"ChartType", "3"}}, "Chart2");
    EXPECT_TRUE(requests.empty());  // no widgets yet
    pane.awakeFromNib();
    EXPECT_EQ(requests, std::vector<std::string>{"SILVER^5/200"});
    answer(minuteAnswer("SILVER^5", 60, 24));
    pane.intervalSelected(7);
    EXPECT_EQ(pane.currentInterval(), 8u);
    EXPECT_EQ(requests.back(), "SILVER^W/200");
    answer(minuteAnswer("SILVER^W", 60, 24));
    pane.chartTypeSelected(1);
    EXPECT_EQ(pane.chartType(), 2u);
    EXPECT_EQ(pane.chartController()->window().type, kOHLCChart);
    EXPECT_EQ(requests.size(), 2u);
    pane.chartThemeMenuClicked(1);
    EXPECT_EQ(pane.chartController()->graph()->theme(), plot::GraphTheme::PlainWhite);
    for (auto open : {&ChartViewController::chartTypeButtonClicked, &ChartViewController::chartIntervalButtonClicked,
                      &ChartViewController::chartThemeButtonClicked}) {
        pane.crosshairButton()->click();
        ASSERT_TRUE(pane.chartController()->crosshairOn());
        (pane.*open)();
        EXPECT_FALSE(pane.chartController()->crosshairOn());
        EXPECT_FALSE(pane.crosshairButton()->isChecked());
    }
}

TEST_F(ChartWindowTest, ANarrowPaneShrinksItsButtonsWithoutClippingTheirText) {
    ChartViewController pane(session, session, nullptr);
    pane.awakeFromNib();
    pane.layout()->setSizeConstraint(QLayout::SetNoConstraint);  // as a pane squeezed by the main window
    // The width four panes get in a 1500 px main window.
    pane.resize(216, 200);
    pane.show();
    kit::testing::runFor(30);
    for (QToolButton* button : pane.findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 10)
            << button->text().toStdString();
}

TEST(ChartAnalysisPanel, NamesTheIndicatorsInEachLanguageWithoutClippingThem) {
    for (std::int64_t language = 0; language < std::int64_t(model::LanguageString::languageFolders().size()); ++language) {
        SCOPED_TRACE(model::LanguageString::languageFolder(language));
        const auto text = [language](const std::string& key) {
            return model::LanguageString::stringforSelectedLanguage(language, key);
        };
        ChartAnalysisViewController panel(nullptr, text);
        panel.resize(panel.minimumSize());
        panel.show();
        kit::testing::runFor(10);
        EXPECT_EQ(panel.checkBox(Indicator::RSI)->text().toStdString(), text("90599"));
        EXPECT_EQ(panel.checkBox(Indicator::MACD)->text(), "MACD");  // a code stays
        if (language > 0) {
            EXPECT_NE(text("90599"), "Relative Strength Index");
        }
        const QScrollArea* scroll = panel.findChild<QScrollArea*>();
        ASSERT_TRUE(scroll);
        EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());  // nothing runs off the right edge
        for (QCheckBox* box : panel.findChildren<QCheckBox*>())
            EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
        const std::string folder = model::LanguageString::languageFolder(language);
        if (folder == "ar" || folder == "ru")
            kit::testing::saveScreenshot(&panel, QString("chart-indicator-panel-%1").arg(folder.c_str()));
    }
}

}  // namespace
}  // namespace charts
