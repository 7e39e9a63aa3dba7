#include "charts/chart_window_controller.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QVBoxLayout>
#include <map>
#include <memory>
#include <string_view>

#include "kit/controls/long_list_combo.h"
#include "kit/core/icon_image_name.h"
#include "kit/popover_placement.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/item_details.h"
#include "platform/resource_bundle.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace charts {

namespace {

constexpr int kCrosshairTag = 21091;
constexpr int kScrollToEndTag = 21092;
constexpr int kThemeTag = 367;
constexpr int kIndicatorsTag = 21093;

QIcon imageNamed(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    const auto path = platform::ResourceBundle::pathForResource("images/" + file.substr(0, dot), "png");
    return path ? QIcon(kit::filePath(*path)) : QIcon();
}

}  // namespace

ChartWindowController::ChartWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("ChartWindowController");
    buildLayout();
    windowDidLoad();
}

std::string ChartWindowController::text(const std::string& key) const { return context_.text ? context_.text(key) : key; }

std::string ChartWindowController::intervalTitle(std::size_t index) const {
    const std::string& key = windowIntervalTitleKeys().at(index);
    const std::string entry = text(key);
    return entry.empty() || entry == key ? windowIntervalTitles().at(index) : entry;
}

void ChartWindowController::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* bar = new QHBoxLayout;
    symbolPopButton_ = new QComboBox(this);
    symbolPopButton_->setMinimumWidth(140);
    intervalPopUpButton_ = new QComboBox(this);
    chartTypePopButton_ = new QComboBox(this);
    chartTypePopButton_->setMinimumWidth(140);
    for (QComboBox* box : {symbolPopButton_, intervalPopUpButton_, chartTypePopButton_}) bar->addWidget(box);
    bar->addStretch(1);
    chartToolBar_ = new QToolBar(this);
    chartToolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto addItem = [&](int tag, auto slot) {
        QAction* action = chartToolBar_->addAction(QString());
        action->setData(tag);
        connect(action, &QAction::triggered, this, slot);
        return qobject_cast<QToolButton*>(chartToolBar_->widgetForAction(action));
    };
    crosshairButton_ = addItem(kCrosshairTag, [this] { crosshairButtonClicked(); });
    crosshairButton_->defaultAction()->setCheckable(true);
    addItem(kScrollToEndTag, [this] { chartScrollToEnd(); });
    addItem(kThemeTag, [this] { chartThemeButtonClicked(); });
    analysisButton_ = addItem(kIndicatorsTag, [this] { analysisButtonClicked(); });
    bar->addWidget(chartToolBar_);
    layout->addLayout(bar);

    const auto session = std::shared_ptr<const state::SessionView>(context_.sessionLifetime, &context_.view);
    const auto commands = std::shared_ptr<state::SessionCommands>(context_.sessionLifetime, &context_.commands);
    chartSplitView_ = new QSplitter(Qt::Vertical, this);
    chartController_ = new ChartController(session, commands, chartSplitView_);
    chartController_->followTicker(context_.ticker);
    chartSplitView_->addWidget(chartController_);
    chartSplitView_->addWidget(chartController_->indicatorView());
    chartController_->indicatorView()->show();
    // The divider is hidden and never dragged: the panes keep their recorded heights.
    chartSplitView_->setHandleWidth(0);
    chartSplitView_->setChildrenCollapsible(false);
    chartSplitView_->setSizes({430, 190});
    layout->addWidget(chartSplitView_, 1);

    popover_ = new QFrame(this, Qt::Popup | Qt::FramelessWindowHint);
    popover_->setFrameShape(QFrame::StyledPanel);
    auto* popoverLayout = new QVBoxLayout(popover_);
    popoverLayout->setContentsMargins(2, 2, 2, 2);
    panel_ = new ChartAnalysisViewController(popover_, [this](const std::string& key) { return text(key); });
    popoverLayout->addWidget(panel_);
    popover_->resize(460, 400);

    connect(symbolPopButton_, &QComboBox::activated, this, [this](int i) { SymbolPopUpItemSelected(i); });
    connect(intervalPopUpButton_, &QComboBox::activated, this, [this](int i) { IntervalItemSelected(i); });
    connect(chartTypePopButton_, &QComboBox::activated, this, [this](int i) { ChartTypeControlSelected(i); });
    resize(900, 700);
}

void ChartWindowController::windowDidLoad() {
    loaded_ = true;
    windowDidAppear();
    panel_->setDelegate(this);
    topFrameHeight_ = 430;
    bottomFrameHeight_ = 190;
    toggleBottomViewSelectedIndex(0);
}

void ChartWindowController::NeedReload() {
    applyTheme();
    updateLanguageStrings();
    if (context_.view.watchlistCodes() != backupSymbolsArray_) windowDidAppear();
}

void ChartWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {this, popover_}}}, context_.theme ? context_.theme() : 0);
}

void ChartWindowController::updateLanguageStrings() {
    for (QAction* action : chartToolBar_->actions()) {
        const int tag = action->data().toInt();
        if (tag < 1) continue;
        std::string key = std::to_string(tag);
        if (key.size() < 4) key.insert(0, 4 - key.size(), '0');
        action->setText(kit::tableText(context_, key));
    }
}

void ChartWindowController::fillPopUps() {
    const QSignalBlocker a(symbolPopButton_), b(intervalPopUpButton_), c(chartTypePopButton_);
    intervalPopUpButton_->clear();
    chartTypePopButton_->clear();
    for (std::size_t i = 0; i < windowIntervalTitles().size(); ++i)
        intervalPopUpButton_->addItem(kit::shownText(intervalTitle(i)));
    const auto& types = windowChartTypeKeys();
    for (std::size_t i = 0; i < types.size(); ++i)
        chartTypePopButton_->addItem(imageNamed(windowChartTypeImages()[i]), kit::tableText(context_, types[i]));
    backupSymbolsArray_ = context_.view.watchlistCodes();
    // An item's icon is its instrument type's, each image read once, when the item is drawn.
    auto icons = std::make_shared<std::map<std::string, QIcon, std::less<>>>();
    kit::setComboCodes(*symbolPopButton_, backupSymbolsArray_, [this, icons](const std::string& code) {
        const auto item = context_.view.instrument(code);
        const std::string_view type = item ? item->InstrumentTypeName.view() : std::string_view();
        auto icon = icons->find(type);
        if (icon == icons->end()) {
            const std::string image = kit::iconImageName(std::string(type), [](const std::string& n) {
                return platform::ResourceBundle::pathForResource("images/" + n, "png").has_value();
            });
            icon = icons->emplace(std::string(type), imageNamed(image + ".png")).first;
        }
        return icon->second;
    });
    kit::sizeToItems(*symbolPopButton_);
}

void ChartWindowController::windowDidAppear() {
    if (!loaded_) return;
    removeEveryIndicator();
    fillPopUps();
    itemCode_ = backupSymbolsArray_.empty() ? std::string() : backupSymbolsArray_.front();
    intervalIndex_ = 1;
    intervalTitle_ = intervalTitle(0);
    chartTypePopButton_->setCurrentIndex(2);
    chartTypeIndex_ = 3;
    LoadChart();
}

void ChartWindowController::LoadChart() {
    setWindowTitle(kit::shownText(itemCode_ + ", " + intervalTitle_));
    // Without a symbol nothing is asked for and the chart stays empty.
    if (itemCode_.empty()) return;
    chartController_->setValue(itemCode_, chartLoadKey(intervalIndex_, static_cast<long long>(chartTypeIndex_)));
}

void ChartWindowController::turnCrosshairOff() {
    chartController_->resetCrosshairToggle();
    if (crosshairButton_->isChecked()) crosshairButton_->defaultAction()->setChecked(false);
}

void ChartWindowController::removeEveryIndicator() {
    panel_->untickAll();
    for (Indicator which : shown_.all()) chartController_->removeIndicator(which);
    shown_.clear();
    toggleBottomViewSelectedIndex(0);
}

void ChartWindowController::SymbolPopUpItemSelected(int index) {
    if (index < 0 || index >= symbolPopButton_->count() || std::size_t(index) >= backupSymbolsArray_.size()) return;
    turnCrosshairOff();
    removeEveryIndicator();
    // The record's code, whatever its item shows.
    itemCode_ = backupSymbolsArray_[std::size_t(index)];
    LoadChart();
}

void ChartWindowController::IntervalItemSelected(int index) {
    if (index < 0 || index >= intervalPopUpButton_->count()) return;
    turnCrosshairOff();
    removeEveryIndicator();
    intervalTitle_ = intervalPopUpButton_->itemText(index).toStdString();
    intervalIndex_ = index + 1;
    LoadChart();
}

void ChartWindowController::ChartTypeControlSelected(int index) {
    if (index < 0 || index >= chartTypePopButton_->count()) return;
    turnCrosshairOff();
    chartTypeIndex_ = static_cast<unsigned long long>(index) + 1;
    chartController_->TypesegmentControlChanged(index);
}

void ChartWindowController::analysisButtonClicked() {
    turnCrosshairOff();
    // Above its button, below it where the screen has no room above; a click outside closes it.
    kit::placePopover(*popover_, *analysisButton_, kit::PopoverSide::Above, true);
    popover_->show();
}

void ChartWindowController::crosshairButtonClicked() { chartController_->crosshairToggleSelection(); }

void ChartWindowController::chartScrollToEnd() { chartController_->chartScrollToEnd(); }

void ChartWindowController::chartThemeButtonClicked() {
    turnCrosshairOff();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (auto [tag, key] : {std::pair{0, "0842"}, std::pair{1, "0843"}})
        menu->addAction(kit::tableText(context_, key), this, [this, tag = tag] { chartThemeMenuClicked(tag); });
    menu->popup(QCursor::pos());
}

void ChartWindowController::chartThemeMenuClicked(int tag) {
    // The chart rebuilds with the indicators that were on: the panel and the pane stay.
    chartController_->applyChartTheme(tag);
}

void ChartWindowController::indicatorCheckBoxOn(Indicator which, const QVariantMap& settings) {
    if (const auto refusal = chartController_->loadIndicator(which, settings)) {
        panel_->untick(which);
        // A sub-graph box ticked unticked the one shown: it goes too.
        if (usesBottomPane(which))
            for (Indicator shown : std::vector<Indicator>(shown_.all()))
                if (usesBottomPane(shown)) indicatorCheckBoxOff(shown);
        context_.ui.showAlert(text(refusal->messageKey), text(refusal->titleKey));
        return;
    }
    shown_.on(which);
    if (usesBottomPane(which)) toggleBottomViewSelectedIndex(1);
}

void ChartWindowController::indicatorCheckBoxOff(Indicator which) {
    chartController_->removeIndicator(which);
    shown_.off(which);
    if (usesBottomPane(which)) toggleBottomViewSelectedIndex(0);
}

bool ChartWindowController::bottomViewCollapsed() const { return chartController_->indicatorView()->isHidden(); }

void ChartWindowController::toggleBottomViewSelectedIndex(int n) {
    if (n == 1 && bottomViewCollapsed()) uncollapseBottomView();
    else if (n == 0 && !bottomViewCollapsed()) collapseBottomView();
}

void ChartWindowController::collapseBottomView() {
    chartController_->indicatorView()->hide();
    chartSplitView_->setSizes({chartSplitView_->height(), 0});
}

void ChartWindowController::uncollapseBottomView() {
    chartController_->indicatorView()->show();
    chartSplitView_->setSizes({topFrameHeight_, bottomFrameHeight_});
}

}  // namespace charts
