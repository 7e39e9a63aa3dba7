#include "views/advanced_detail_window_controller.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "charts/chart_controller.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "platform/main_executor.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/detail_rows.h"
#include "views/detail_window_controller.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace views {

namespace {

constexpr int kFirstPaneType = detail_type::kSymbol;
// The title key of each pane, types 3 to 9.
constexpr std::array<const char*, AdvancedDetailWindowController::kPaneCount> kPaneTitles = {
    "0792", "0793", "0794", "0795", "0796", "0432", "0798"};

}  // namespace

AdvancedDetailWindowController::AdvancedDetailWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), context_(context) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setSpacing(6);
    for (int i = 0; i < kPaneCount; ++i) {
        boxes_[i] = new QGroupBox;
        auto* inside = new QVBoxLayout(boxes_[i]);
        inside->setContentsMargins(6, 6, 6, 6);
        panes_[i] = new DetailWindowController(context_, boxes_[i], true);
        panes_[i]->setDetailViewType(kFirstPaneType + i);
        inside->addWidget(panes_[i]);
    }
    // Left: symbol, contract; middle: margins, limits, storage, dates; right: sessions, chart, description.
    grid->addWidget(boxes_[0], 0, 0);
    grid->addWidget(boxes_[1], 1, 0, 3, 1);
    grid->addWidget(boxes_[2], 0, 1);
    grid->addWidget(boxes_[3], 1, 1);
    grid->addWidget(boxes_[5], 2, 1);
    grid->addWidget(boxes_[6], 3, 1);
    grid->addWidget(boxes_[4], 0, 2, 2, 1);
    chartController = new charts::ChartController(
        std::shared_ptr<const state::SessionView>(context_.sessionLifetime, &context_.view),
        std::shared_ptr<state::SessionCommands>(context_.sessionLifetime, &context_.commands), this);
    chartController->followTicker(context_.ticker);
    chartController->setMinimumSize(260, 180);
    grid->addWidget(chartController, 2, 2, 2, 1);
    descriptionLabel = kit::plainLabel();
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(descriptionLabel, 4, 0, 1, 3);
    for (int column = 0; column < 3; ++column) grid->setColumnStretch(column, 1);
    setMinimumSize(900, 600);
}

AdvancedDetailWindowController::~AdvancedDetailWindowController() = default;

DetailWindowController& AdvancedDetailWindowController::pane(int type) const {
    return *panes_.at(static_cast<std::size_t>(type - kFirstPaneType));
}

QGroupBox* AdvancedDetailWindowController::paneBox(int type) const {
    return boxes_.at(static_cast<std::size_t>(type - kFirstPaneType));
}

bool AdvancedDetailWindowController::runModalWindowForItem(const std::string& code) {
    platform::assertMainThread();
    if (!context_.view.instrument(code)) return false;
    updateLanguageStrings();
    // One observer, whatever the number of openings.
    auto& center = platform::NotificationCenter::defaultCenter();
    scheduleObserver_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kMarketSessionSchedule,
                                    [this](const platform::Notification&) { loadMarketSessionSchedule(); }));
    code_ = code;
    applyTheme();
    loadDetails();
    return true;
}

void AdvancedDetailWindowController::updateLanguageStrings() {
    for (int i = 0; i < kPaneCount; ++i) boxes_[i]->setTitle(kit::tableText(context_, kPaneTitles[i]));
}

void AdvancedDetailWindowController::applyTheme() {
    std::vector<QWidget*> tables;
    for (DetailWindowController* p : panes_) tables.push_back(p->detailTableView);
    const std::int64_t theme = context_.theme ? context_.theme() : 0;
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", tables}}, theme);
    chartController->applyChartTheme(static_cast<int>(theme));
}

void AdvancedDetailWindowController::loadDetails() {
    setWindowTitle(kit::shownText(code_));
    // Each market's schedule may be asked once again in this opening.
    for (DetailWindowController* p : panes_) {
        p->forgetScheduleRequests();
        p->setValue(code_);
    }
    const auto item = context_.view.instrument(code_);
    kit::setShownText(*descriptionLabel, item ? item->descriptions : "");
    chartController->setValue(code_, kChartKey);
    // The load resets the chart's colours.
    chartController->applyChartTheme(static_cast<int>(context_.theme ? context_.theme() : 0));
}

void AdvancedDetailWindowController::loadMarketSessionSchedule() {
    if (code_.empty()) return;
    DetailWindowController& sessions = pane(detail_type::kSessions);
    sessions.setDetailViewType(detail_type::kSessions);
    sessions.setValue(code_);
}

}  // namespace views
