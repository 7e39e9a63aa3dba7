// Loading, the live bar, the theme and the return to the newest bars.
#include "charts/chart_controller.h"

#include <QVBoxLayout>
#include <charconv>

#include "charts/core/chart_answer.h"
#include "charts/core/chart_interval.h"
#include "charts/indicator_sub_graph.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/controls/quote_line_label.h"
#include "kit/text_direction.h"
#include "model/message_checker.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"

namespace charts {

namespace {
std::optional<int> leadingInt(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    (void)end;
    if (ec != std::errc()) return std::nullopt;
    return v;
}
}  // namespace

ChartController::ChartController(std::weak_ptr<const state::SessionView> session,
                                 std::weak_ptr<state::SessionCommands> commands, QWidget* parent)
    : QWidget(parent), session_(std::move(session)), commands_(std::move(commands)) {
    // Time runs left to right and prices sit on the right in every language.
    kit::keepLeftToRight(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    mainGraphTitleLabel_ = kit::plainLabel(this);
    mainGraphTitleLabel_->hide();
    layout->addWidget(mainGraphTitleLabel_);
    chartView_ = new plot::GraphHostingView(this);
    chartView_->setMinimumSize(240, 160);
    layout->addWidget(chartView_, 1);
    chartOverlayLabel_ = new kit::QuoteLineLabel(chartView_);
    chartOverlayLabel_->setStyleSheet(
        QStringLiteral("QLabel { color: rgb(128,128,128); background: rgba(20,20,20,200); border: 1px solid rgb(90,90,90);"
                       " padding: 4px; }"));
    chartOverlayLabel_->hide();
    indicatorView_ = new IndicatorSubGraph(window_, this);
    indicatorView_->hide();
    answers_ = platform::ObserverHandle(
        &platform::NotificationCenter::defaultCenter(),
        platform::NotificationCenter::defaultCenter().addObserver(
            state::notifications::kChartDataKeyReceived, [this](const platform::Notification& n) {
                if (const auto* key = n.as<state::TextPayload>()) onChartData(key->text);
            }));
}

ChartController::~ChartController() {
    answers_.reset();
    // The graph's plots point back at this controller, the sub-graph at its window, wherever a host put it.
    if (chartView_) chartView_->setHostedGraph(nullptr);
    delete indicatorView_;
}

QString ChartController::title() const {
    return kit::shownText(symbolName_) + QStringLiteral(", ") + kit::shownText(intervalName_);
}

void ChartController::setValue(const std::string& value, const std::string& key) {
    symbolName_ = value;
    const std::size_t hash = key.find('#');
    currentInterval_ = leadingInt(key.substr(0, hash)).value_or(-1);
    window_.type = hash == std::string::npos ? kLineChart : leadingInt(key.substr(hash + 1)).value_or(kLineChart);
    if (window_.type < kLineChart || window_.type > kBidAskChart) window_.type = kLineChart;
    LoadChartView();
}

void ChartController::LoadChartView() {
    if (auto session = session_.lock()) {
        if (const auto item = session->instrument(symbolName_)) {
            symbolName_ = item->Code;
            dotPosition_ = item->DecimalPlaces;
        }
    }
    window_.reset();
    selectedIndex_ = -1;
    words_ = ChartWords::of([this](const std::string& key) { return languageText(key, "").toStdString(); });
    // The theme field only: the graph keeps the theme it was made with.
    chartTheme_ = plot::GraphTheme::PlainBlack;
    myChartTheme_ = 0;
    showChart(symbolName_, currentInterval_);
}

void ChartController::showChart(const std::string&, int interval) {
    const auto info = intervalForIndex(interval);
    chartInterval_ = std::string(info ? info->code : "T");
    if (info) {
        intervalName_ = languageText(info->nameKey, info->name).toStdString();
        currentInterval_ = interval;
    }
    live_.setTimerInterval(interval);
    barSeconds_ = info ? info->barSeconds : 1;
    chartKey_ = symbolName_ + "^" + chartInterval_;
    waiting_ = false;
    releaseChartObjects();
    GetChartValues();
}

void ChartController::GetChartValues() {
    window_.lengthX = ChartWindow::kLoadLength;
    auto session = session_.lock();
    auto commands = commands_.lock();
    if (!session || !commands) return;
    // An answer a bar old misses the bars since: asked again.
    const auto cached = session->chartData(chartKey_);
    const auto stored = session->chartDataTime(chartKey_);
    if (cached && stored &&
        platform::defaultClock().now() - *stored <= std::chrono::seconds(barSeconds_)) {
        DataProcessing(*cached);
        return;
    }
    waiting_ = true;
    commands->requestChartData(symbolName_, chartInterval_, window_.DATAPOINTS);
}

void ChartController::onChartData(const std::string& key) {
    if (!waiting_ || key != chartKey_) return;
    auto session = session_.lock();
    if (!session) return;
    const auto cached = session->chartData(chartKey_);
    waiting_ = false;
    // Nothing held for the key: the request went unanswered, shown as an empty answer.
    DataProcessing(cached ? *cached : std::string());
}

void ChartController::DataProcessing(const std::string& text) {
    const std::size_t closes = parseChartAnswer(model::MessageChecker::removeTags(text), bars_);
    if (closes == 0) platform::Log::debug("Chart answer for " + chartKey_ + " without closes");
    window_.fitAfterLoad(closes);
    ConstructGraph();
}

void ChartController::TypesegmentControlChanged(int segment) {
    const int type = segment == 2 ? kCandlestickChart : segment == 1 ? kOHLCChart : kLineChart;
    if (type == window_.type || !graph_) return;
    window_.type = type;
    window_.findHighLow(bars_);
    // An old bid/ask chart keeps its lines and legend.
    for (const QString& id : {QStringLiteral("Scatter Plot"), QStringLiteral("OHLC Plot"), QStringLiteral("Candlestick Plot")})
        graph_->removePlot(id);
    graph_->defaultPlotSpace().allowsUserInteraction = interactionAllowed();
    addMainPlot();
    showWindowRanges();
    constructPriceLinePlot();  // price lines above the bars
}

void ChartController::newChartData() {
    if (!graph_ || waiting_) return;  // the bars held are not this key's yet
    auto session = session_.lock();
    if (!session) return;
    const auto item = session->instrument(symbolName_);
    if (!item) return;
    LiveQuote quote{item->Last, item->Bid, item->Ask, item->UpdateTime, dotPosition_};
    const std::size_t dropped = bars_.dropped;
    const bool wrote = live_.newChartData(quote, bars_, window_);
    const bool quoted = !wrote && live_.followQuote(quote, bars_, window_);
    if (bars_.dropped != dropped) {
        // The oldest bars went and every row moved down: the crosshair goes and
        // the window keeps its bars.
        stopViewAnimation();
        showWindowRanges();
    } else if ((wrote || quoted) && window_.isChartEnd) {
        showWindowRanges();
    }
    if (wrote) refreshIndicators();
    // An unchanged second repaints nothing.
    if (setPriceTextAnnotationAnchorPlotPoint() || wrote || quoted) chartView_->update();
}

void ChartController::chartScrollToEnd() {
    if (!graph_) return;
    window_.scrollToEnd();
    showWindowRanges();
    setPriceTextAnnotationAnchorPlotPoint();
    chartView_->update();
}

bool ChartController::applyChartTheme(int theme) {
    myChartTheme_ = theme;
    if (theme != 0 && theme != 1) return false;
    const auto wanted = theme == 0 ? plot::GraphTheme::PlainBlack : plot::GraphTheme::PlainWhite;
    // The graph drawn and the theme field agree already: nothing to rebuild, the indicators stay.
    if (graph_ && wanted == graph_->theme() && wanted == chartTheme_) return false;
    const bool hadGraph = graph_ != nullptr;
    chartTheme_ = wanted;
    const auto overlays = overlaysOn_;
    const auto sub = isIndicatorPlot_ ? subOn_ : std::nullopt;
    const std::optional<plot::PlotRange> shown =
        graph_ ? std::optional(graph_->defaultPlotSpace().xRange()) : std::nullopt;
    chartView_->setHostedGraph(nullptr);
    bidTextAnnotation_ = askTextAnnotation_ = nullptr;
    graph_.reset();
    overlayData_.clear();
    overlaysOn_.clear();
    // The awaited answer builds the graph in this theme; no symbol, nothing to load.
    if (waiting_ || symbolName_.empty()) return hadGraph;
    if (!hadGraph) {
        showChart(symbolName_, currentInterval_);
        return true;
    }
    // The bars held, live ones included, drawn again where they were shown with what was on.
    ConstructGraph();
    if (shown) graph_->defaultPlotSpace().setXRange(*shown);
    for (const auto& [which, on] : overlays) loadIndicator(which, on.settings);
    if (sub) loadIndicator(sub->first, sub->second.settings);
    return true;
}

void ChartController::followTicker(kit::LiveTicker& ticker) { ticker_ = &ticker; }

void ChartController::startChartUpdateTimer() {
    liveWanted_ = true;
    if (ticker_ && !tick_ && isVisible()) tick_ = ticker_->subscribe([this] { newChartData(); });
}

void ChartController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (ticker_ && liveWanted_ && !tick_) tick_ = ticker_->subscribe([this] { newChartData(); });
}

void ChartController::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    tick_.reset();
}

}  // namespace charts
