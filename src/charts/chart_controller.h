#pragma once
// The chart of one instrument at one interval: loads its bars from the
// session's answer cache or by a chart-data request, draws them with our plot
// layer, follows the instrument's prices once a second with a live bar and
// price lines, and offers zoom, scroll and a crosshair with a value box.
#include <QLabel>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "charts/core/chart_bars.h"
#include "charts/core/chart_labels.h"
#include "charts/core/chart_window.h"
#include "charts/core/indicator_table.h"
#include "charts/core/live_bar.h"
#include "charts/indicator_plot_data.h"
#include "charts/indicator_sub_graph.h"
#include "charts/plot/graph_hosting_view.h"
#include "charts/plot/xy_graph.h"
#include "kit/live_ticker.h"
#include "platform/notification_center.h"

namespace state {
class SessionView;
class SessionCommands;
}

namespace charts {

class ChartController : public QWidget, private plot::PlotSpaceDelegate, private plot::PlotDataSource {
    Q_OBJECT
public:
    // Both of the session it charts; held weakly, the chart may outlive it.
    ChartController(std::weak_ptr<const state::SessionView> session, std::weak_ptr<state::SessionCommands> commands,
                    QWidget* parent = nullptr);
    ~ChartController() override;

    // The live bar follows the login's ticker, only while the chart shows;
    // without one it stands still.
    void followTicker(kit::LiveTicker& ticker);

    // The load call: `value` the item code, `key` the interval index and the chart type joined by "#".
    void setValue(const std::string& value, const std::string& key);
    void LoadChartView();
    // Sets the interval, the chart key and the live bar, then gets the data.
    void showChart(const std::string& symbol, int interval);
    void GetChartValues();
    // Reads an answer (tags included), fits the window and builds the graph.
    void DataProcessing(const std::string& text);
    void ConstructGraph();
    void setType(int type) { window_.type = type; }
    // Segment 0 line, 1 OHLC, 2 candlestick; only a change redraws, without a request.
    void TypesegmentControlChanged(int segment);

    void crosshairToggleSelection();
    void resetCrosshairToggle();
    void chartScrollToEnd();
    // 0 dark, 1 light; a change rebuilds the chart from the bars held (live
    // ones included) with the indicators that were on, and answers true; the
    // theme it has already, false.
    bool applyChartTheme(int theme);
    // The axes' and price boxes' font size in points (12 until set).
    void setAxisFontSize(double points);
    double axisFontSize() const { return axisPoints_; }
    // The least graph height at the axis font: the time labels and a few price labels.
    int leastGraphHeight() const;
    // The least width that shows a time label whole.
    int leastGraphWidth() const;
    // One live update; the ticker calls it. The price lines and their boxes
    // follow the quote, the live bar its last price, and the indicators shown
    // are computed again whenever a bar is added or changes.
    void newChartData();

    // Indicators over the bars held. The dictionary holds the periods (text,
    // read as whole numbers), "Deviation" (text) and the colours (QColor). A
    // period below 1 draws nothing and comes back as the refusal for the host
    // to show. Overlays draw in the price graph, each until its own remove;
    // the others in the sub-graph, one at a time, the next replacing it.
    using LoadResult = std::optional<IndicatorRefusal>;
    LoadResult loadIndicator(Indicator which, const QVariantMap& parameters);
    // An overlay's plots leave the price graph; any sub-graph indicator's remove hides the sub-graph's title.
    void removeIndicator(Indicator which);
    // The sub-graph shows an indicator.
    bool isIndicatorPlot() const { return isIndicatorPlot_; }
    // The sub-graph's widget; the host places it (under the chart) and shows it.
    IndicatorSubGraph* indicatorView() const { return indicatorView_; }
    const IndicatorPlotData& overlayData() const { return overlayData_; }

    LoadResult loadSMA(const QVariantMap& d) { return loadIndicator(Indicator::SMA, d); }
    void removeSMA() { removeIndicator(Indicator::SMA); }
    LoadResult loadEMA(const QVariantMap& d) { return loadIndicator(Indicator::EMA, d); }
    void removeEMA() { removeIndicator(Indicator::EMA); }
    LoadResult loadBollingerBands(const QVariantMap& d) { return loadIndicator(Indicator::BollingerBands, d); }
    void removeBollingerBands() { removeIndicator(Indicator::BollingerBands); }
    LoadResult loadAlligator(const QVariantMap& d) { return loadIndicator(Indicator::Alligator, d); }
    void removeAlligator() { removeIndicator(Indicator::Alligator); }
    LoadResult loadMACD(const QVariantMap& d) { return loadIndicator(Indicator::MACD, d); }
    void removeMACD() { removeIndicator(Indicator::MACD); }
    LoadResult loadMACDHistogram(const QVariantMap& d) { return loadIndicator(Indicator::MACDHistogram, d); }
    void removeMACDHistogram() { removeIndicator(Indicator::MACDHistogram); }
    LoadResult loadROC(const QVariantMap& d) { return loadIndicator(Indicator::ROC, d); }
    void removeROC() { removeIndicator(Indicator::ROC); }
    LoadResult loadStdDev(const QVariantMap& d) { return loadIndicator(Indicator::StdDev, d); }
    void removeStdDev() { removeIndicator(Indicator::StdDev); }
    LoadResult loadCCI(const QVariantMap& d) { return loadIndicator(Indicator::CCI, d); }
    void removeCCI() { removeIndicator(Indicator::CCI); }
    LoadResult loadRSI(const QVariantMap& d) { return loadIndicator(Indicator::RSI, d); }
    void removeRSI() { removeIndicator(Indicator::RSI); }
    LoadResult loadStochastic(const QVariantMap& d) { return loadIndicator(Indicator::Stochastic, d); }
    void removeStochastic() { removeIndicator(Indicator::Stochastic); }
    LoadResult loadDemarker(const QVariantMap& d) { return loadIndicator(Indicator::DeMarker, d); }
    void removeDemarker() { removeIndicator(Indicator::DeMarker); }
    LoadResult loadMomentum(const QVariantMap& d) { return loadIndicator(Indicator::Momentum, d); }
    void removeMomentum() { removeIndicator(Indicator::Momentum); }
    LoadResult loadWilliamsPercentRange(const QVariantMap& d) { return loadIndicator(Indicator::WilliamsPercentRange, d); }
    void removeWilliamsPercentRange() { removeIndicator(Indicator::WilliamsPercentRange); }
    LoadResult loadBearsPower(const QVariantMap& d) { return loadIndicator(Indicator::BearsPower, d); }
    void removeBearsPower() { removeIndicator(Indicator::BearsPower); }
    LoadResult loadBullsPower(const QVariantMap& d) { return loadIndicator(Indicator::BullsPower, d); }
    void removeBullsPower() { removeIndicator(Indicator::BullsPower); }
    LoadResult loadRVI(const QVariantMap& d) { return loadIndicator(Indicator::RVI, d); }
    void removeRVI() { removeIndicator(Indicator::RVI); }
    LoadResult loadTRIX(const QVariantMap& d) { return loadIndicator(Indicator::TRIX, d); }
    void removeTRIX() { removeIndicator(Indicator::TRIX); }
    LoadResult loadATR(const QVariantMap& d) { return loadIndicator(Indicator::ATR, d); }
    void removeATR() { removeIndicator(Indicator::ATR); }
    LoadResult loadAwesomeOscillator() { return loadIndicator(Indicator::AwesomeOscillator, {}); }
    void removeAwesomeOscillator() { removeIndicator(Indicator::AwesomeOscillator); }
    LoadResult loadAcceleratorOscillator() { return loadIndicator(Indicator::AcceleratorOscillator, {}); }
    void removeAcceleratorOscillator() { removeIndicator(Indicator::AcceleratorOscillator); }
    LoadResult loadAroon(const QVariantMap& d) { return loadIndicator(Indicator::Aroon, d); }
    void removeAroon() { removeIndicator(Indicator::Aroon); }
    LoadResult loadAroonOscillator(const QVariantMap& d) { return loadIndicator(Indicator::AroonOscillator, d); }
    void removeAroonOscillator() { removeIndicator(Indicator::AroonOscillator); }

    const std::string& symbolName() const { return symbolName_; }
    const std::string& chartKey() const { return chartKey_; }
    const std::string& ChartInterval() const { return chartInterval_; }
    const std::string& IntervalName() const { return intervalName_; }
    int Currentinterval() const { return currentInterval_; }
    int dotPosition() const { return dotPosition_; }
    long long selectedIndex() const { return selectedIndex_; }
    int myChartTheme() const { return myChartTheme_; }
    bool crosshairOn() const { return crosshairToggle_; }
    const ChartBars& bars() const { return bars_; }
    const ChartWindow& window() const { return window_; }
    plot::XYGraph* graph() const { return graph_.get(); }
    plot::GraphHostingView* chartView() const { return chartView_; }
    QLabel* valueBox() const { return chartOverlayLabel_; }
    QString title() const;

private:
    // Plot space delegate.
    plot::PlotRange willChangePlotRange(plot::PlotSpace&, plot::PlotRange asked, plot::Coordinate) override;
    void didChangePlotRange(plot::PlotSpace&, plot::Coordinate) override;
    bool shouldDisplace(plot::PlotSpace&, QPointF) override;
    bool shouldScale(plot::PlotSpace&, double, QPointF) override;
    bool pointerDown(plot::PlotSpace&, QPointF) override;
    bool pointerDragged(plot::PlotSpace&, QPointF) override;
    bool pointerUp(plot::PlotSpace&, QPointF) override;
    bool pointerCancelled(plot::PlotSpace&) override;
    // Data source.
    int numberOfRecords(const plot::Plot& plot) override;
    std::optional<double> number(const plot::Plot& plot, plot::Field field, int record) override;

    void onChartData(const std::string& key);
    // The indicators shown, computed again over the bars held; their graphs stay.
    void refreshIndicators();
    void releaseChartObjects();
    void CreateGraph();
    void CreatePlotSpace();
    void CreateAxis();
    // The axes' labels, the price boxes and the room around the plot area at the axis font.
    void fitAxisFont();
    void fitTimeLabelRoom();
    void SetAxis();
    void addMainPlot();
    void constructPriceLinePlot();
    // True when a price label moved or changed its text.
    bool setPriceTextAnnotationAnchorPlotPoint();
    void startChartUpdateTimer();
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showWindowRanges();
    void selectAt(double x);
    void stopViewAnimation();
    QString languageText(const std::string& key, const char* missing) const;
    bool interactionAllowed() const { return !crosshairToggle_ && window_.type != kBidAskChart; }

    std::weak_ptr<const state::SessionView> session_;
    std::weak_ptr<state::SessionCommands> commands_;
    platform::ObserverHandle answers_;
    bool waiting_ = false;  // for the answer under chartKey_

    std::string symbolName_;
    std::string chartInterval_ = "T";
    std::string intervalName_;
    std::string chartKey_;
    int currentInterval_ = 0;
    long long barSeconds_ = 1;  // of the interval sent: a held answer older than this is asked again
    int dotPosition_ = 0;
    double axisPoints_ = 12.0;
    long long selectedIndex_ = -1;
    bool crosshairToggle_ = false;
    int myChartTheme_ = 0;
    plot::GraphTheme chartTheme_ = plot::GraphTheme::PlainBlack;

    ChartWords words_;  // of the language, read at each load
    ChartBars bars_;
    ChartWindow window_;
    LiveBar live_;

    std::unique_ptr<plot::XYGraph> graph_;
    plot::PlotSpaceAnnotation* bidTextAnnotation_ = nullptr;
    plot::PlotSpaceAnnotation* askTextAnnotation_ = nullptr;
    QLabel* mainGraphTitleLabel_ = nullptr;
    plot::GraphHostingView* chartView_ = nullptr;
    QLabel* chartOverlayLabel_ = nullptr;
    kit::LiveTicker* ticker_ = nullptr;
    kit::LiveTicker::Subscription tick_;
    bool liveWanted_ = false;  // a graph wants the live bar

    IndicatorPlotData overlayData_{window_};
    QPointer<IndicatorSubGraph> indicatorView_;
    bool isIndicatorPlot_ = false;
    // What is on, with its settings, for a rebuild to apply again and a live bar to compute again.
    struct Shown {
        QVariantMap settings;
        IndicatorParameters parameters;
    };
    std::map<Indicator, Shown> overlaysOn_;
    std::optional<std::pair<Indicator, Shown>> subOn_;
};

}  // namespace charts
