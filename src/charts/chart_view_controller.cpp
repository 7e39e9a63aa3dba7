#include "charts/chart_view_controller.h"

#include <QCursor>
#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/core/indicator_panel_rules.h"
#include "state/session_view.h"
#include "kit/shown_text.h"

namespace charts {

namespace {

unsigned long numberOf(const QVariant& value) {
    const long long n = indicators::integerValue(value.toString().toStdString());
    return n > 0 ? static_cast<unsigned long>(n) : 0;
}

}  // namespace

ChartViewController::ChartViewController(std::weak_ptr<const state::SessionView> session,
                                         std::weak_ptr<state::SessionCommands> commands, kit::LiveTicker* ticker,
                                         QWidget* parent)
    : QWidget(parent), session_(std::move(session)), commands_(std::move(commands)), ticker_(ticker) {}

void ChartViewController::setValue(const QVariantMap& details, const std::string&) {
    initialize_ = true;
    itemCode_ = details.value(QStringLiteral("ItemDetails")).toString().toStdString();
    currentInterval_ = numberOf(details.value(QStringLiteral("ChartIntervalType")));
    chartType_ = numberOf(details.value(QStringLiteral("ChartType")));
    if (isawakeFromNib_) loadChart();
}

void ChartViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!isawakeFromNib_) awakeFromNib();
}

void ChartViewController::awakeFromNib() {
    if (isawakeFromNib_) return;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    // A key the table lacks shows as itself.
    const auto session = session_.lock();
    const auto text = [&session](const char* key) {
        return kit::shownText(session ? session->text(key) : std::string(key));
    };
    auto button = [&](const QString& title) {
        auto* b = new QToolButton(this);
        b->setText(title);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    chartTypeButton_ = button(text("90513"));
    chartIntervalButton_ = button(text("90500"));
    chartThemeButton_ = button(text("0367"));
    bar->addStretch(1);
    crosshairButton_ = button(QStringLiteral("+"));
    crosshairButton_->setCheckable(true);
    auto* scroll = button(QStringLiteral(">|"));
    layout->addLayout(bar);
    chartController_ = new ChartController(session_, commands_, this);
    chartController_->setMinimumSize(120, 100);
    chartController_->chartView()->setMinimumSize(120, 80);  // a quarter of the main window's width
    if (ticker_) chartController_->followTicker(*ticker_);
    layout->addWidget(chartController_, 1);

    // "OHLC" is a name in every language.
    chartTypeMenu_ = new QMenu(this);
    const QString types[] = {text("90501"), QStringLiteral("OHLC"), text("90502")};
    for (int tag = 0; tag < 3; ++tag) chartTypeMenu_->addAction(types[tag], this, [this, tag] { chartTypeSelected(tag); });
    chartIntervalMenu_ = new QMenu(this);
    const char* intervals[] = {"90503", "90504", "90505", "90506", "90507", "90508", "0201", "90509"};
    for (int tag = 0; tag < 8; ++tag)
        chartIntervalMenu_->addAction(text(intervals[tag]), this, [this, tag] { intervalSelected(tag); });
    chartThemeMenu_ = new QMenu(this);
    for (const auto& [tag, key] : {std::pair{0, "0842"}, std::pair{1, "0843"}})
        chartThemeMenu_->addAction(text(key), this, [this, tag = tag] { chartThemeMenuClicked(tag); });
    connect(chartTypeButton_, &QToolButton::clicked, this, [this] { chartTypeButtonClicked(); });
    connect(chartIntervalButton_, &QToolButton::clicked, this, [this] { chartIntervalButtonClicked(); });
    connect(chartThemeButton_, &QToolButton::clicked, this, [this] { chartThemeButtonClicked(); });
    connect(crosshairButton_, &QToolButton::clicked, this, [this] { crosshairButtonClicked(); });
    connect(scroll, &QToolButton::clicked, this, [this] { chartScrollToEnd(); });

    // Made after the pane was shown: its controls show now, so that the
    // pane's least size counts them in this slice.
    if (isVisible())
        for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->isWindow()) child->show();
    isawakeFromNib_ = true;
    setButtonColor();
    fitButtonWidths();
    if (!initialize_) return;
    initialize_ = false;
    loadChart();
}

void ChartViewController::setButtonColor() {
    // White on a dark face, so that it reads in either theme.
    if (chartIntervalButton_)
        chartIntervalButton_->setStyleSheet(
            QStringLiteral("QToolButton { color: white; background: rgb(70, 70, 70); border-radius: 3px; padding: 1px 5px; }"));
}

void ChartViewController::fitButtonWidths() {
    constexpr int kTextMargin = 12;  // the style sheet's padding and the frame, with room to spare
    for (QToolButton* button : findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        button->setMinimumWidth(0);
        const int fitted = button->fontMetrics().horizontalAdvance(button->text()) + kTextMargin;
        button->setMinimumWidth(std::min(button->sizeHint().width(), fitted));
    }
}

void ChartViewController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (isawakeFromNib_ && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) fitButtonWidths();
}

void ChartViewController::loadChart() {
    // Without a symbol nothing is asked for.
    if (itemCode_.empty() || !chartController_) return;
    chartController_->setValue(itemCode_, chartLoadKey(static_cast<long long>(currentInterval_), static_cast<long long>(chartType_)));
}

void ChartViewController::popUp(QMenu* menu) {
    chartController_->resetCrosshairToggle();
    if (crosshairButton_->isChecked()) crosshairButton_->setChecked(false);
    menu->popup(QCursor::pos());
}

void ChartViewController::chartTypeButtonClicked() { popUp(chartTypeMenu_); }
void ChartViewController::chartIntervalButtonClicked() { popUp(chartIntervalMenu_); }
void ChartViewController::chartThemeButtonClicked() { popUp(chartThemeMenu_); }

void ChartViewController::chartTypeSelected(int tag) {
    if (tag < 0 || tag > 2) return;
    chartType_ = static_cast<unsigned long>(chartTypeOfTag(tag));
    chartController_->TypesegmentControlChanged(tag);
}

void ChartViewController::intervalSelected(int tag) {
    if (tag < 0 || tag > 7) return;
    currentInterval_ = static_cast<unsigned long>(intervalOfTag(tag));
    loadChart();
}

void ChartViewController::chartThemeMenuClicked(int tag) { chartController_->applyChartTheme(tag); }

void ChartViewController::crosshairButtonClicked() { chartController_->crosshairToggleSelection(); }

void ChartViewController::setAxisFontSize(double points) {
    if (!chartController_) return;
    chartController_->setAxisFontSize(points);
    const int graph = std::max(80, chartController_->leastGraphHeight());
    const int wide = std::max(120, chartController_->leastGraphWidth());
    chartController_->chartView()->setMinimumSize(wide, graph);
    chartController_->setMinimumSize(wide, graph + 20);  // and the title's line
}

void ChartViewController::chartScrollToEnd() { chartController_->chartScrollToEnd(); }

}  // namespace charts
