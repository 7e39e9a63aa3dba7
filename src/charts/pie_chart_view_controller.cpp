#include "charts/pie_chart_view_controller.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "charts/core/pie_data.h"
#include "kit/window_context.h"
#include "orders/order_mananger.h"
#include "platform/main_executor.h"
#include "state/session_view.h"
#include "kit/own_text.h"

namespace charts {

namespace {
constexpr const char* kSegmentKeys[] = {"0319", "0128"};
constexpr const char* kTitleKeys[] = {"0168", "0128"};
}  // namespace

PieChartViewController::PieChartViewController(const kit::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("pieChartViewController");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(6);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    segments_ = new QButtonGroup(this);
    segments_->setExclusive(true);
    row->addStretch();
    for (int segment = 0; segment < 2; ++segment) {
        auto* button = new QToolButton(this);
        button->setObjectName(segment == 0 ? "profitLossSegment" : "marginSegment");
        button->setCheckable(true);
        button->setChecked(segment == 0);
        segments_->addButton(button, segment);
        row->addWidget(button);
    }
    row->addStretch();
    column->addLayout(row);
    pie_ = new PieChartController(this);
    column->addWidget(pie_, 1);
    connect(segments_, &QButtonGroup::idClicked, this, [this](int segment) { pieSegementButtonClicked(segment); });

    updateLanguageStrings();
    pieSegementButtonClicked(segments_->checkedId());
    tick_ = context_.ticker.subscribe([this] { tickReload(); });
    auto& center = platform::NotificationCenter::defaultCenter();
    observer_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kPieChartUpdate, [this](const auto&) { pieChartUpdate(); }));
}

PieChartViewController::~PieChartViewController() {
    observer_.reset();
    tick_.reset();
}

void PieChartViewController::updateLanguageStrings() {
    for (int segment = 0; segment < 2; ++segment)
        segments_->button(segment)->setText(kit::tableText(context_, kSegmentKeys[segment]));
}

void PieChartViewController::pieSegementButtonClicked(int segment) {
    if (segment != 0 && segment != 1) return;
    isProfitLossPieChart_ = segment == 0;
    pie_->setTitle(context_.text(kTitleKeys[segment]));
}

const InstrumentSlices& PieChartViewController::accountSlices() {
    const state::SessionView& view = context_.view;
    const std::uint64_t open = view.openPositionsRevision(), records = view.recordsRevision();
    const std::int32_t account = view.currentAccountSelected();
    if (grouped_ && grouped_->open == open && grouped_->records == records && grouped_->account == account)
        return grouped_->slices;
    const Positions all = view.getOpenOrderCollection();
    const AccountPositions mine = positionsOfAccount(all, account);
    Grouped grouped{open, records, account, {}, slicesOf(mine)};
    // The account's positions are a part of `all`, in its order.
    grouped.kept.reserve(mine.size());
    std::size_t next = 0;
    for (const auto& position : all)
        if (next < mine.size() && position.get() == mine[next]) {
            grouped.kept.push_back(position);
            ++next;
        }
    grouped_ = std::move(grouped);
    return grouped_->slices;
}

model::PieChartDictionary PieChartViewController::generateData() {
    const InstrumentSlices& slices = accountSlices();
    if (isProfitLossPieChart_) return profitLossPie(slices);
    for (const model::Order* position : slices.positions) context_.orderManager.CalcHedgeMargin(*position);
    const state::SessionView& view = context_.view;
    const auto account = view.account(std::to_string(view.currentAccountSelected()));
    return marginPie(slices.positions, account.get(), view.hedgeMargins());
}

void PieChartViewController::reloadData() {
    stale_ = false;
    lastDrawn_ = current();
    pie_->setPieChartData(generateData());
    drawn_ = true;
}

PieChartViewController::Drawn PieChartViewController::current() const {
    const state::SessionView& view = context_.view;
    return {view.recomputedFigures().revision, view.recordsRevision(), view.currentAccountSelected(),
            isProfitLossPieChart_};
}

// Positions or accounts changed otherwise post the pie's notification.
// A hidden pane draws nothing: it catches up when it shows.
void PieChartViewController::tickReload() {
    if (isVisible() && (!drawn_ || stale_ || current() != lastDrawn_)) reloadData();
}

// Posted once a slice when the open positions or an account change; nothing before the first tick drew.
void PieChartViewController::pieChartUpdate() {
    platform::assertMainThread();
    grouped_.reset();
    if (!drawn_) return;
    if (isVisible()) reloadData();
    else stale_ = true;
}

void PieChartViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (drawn_ && (stale_ || current() != lastDrawn_)) reloadData();
}

}  // namespace charts
