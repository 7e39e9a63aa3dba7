#pragma once
// The chart window: one chart of a watchlist symbol with symbol, interval and
// type pop-ups, a tool bar (crosshair, scroll to end, theme, indicators), the
// indicator panel in a popup above its button, and the sub-graph in the
// bottom pane of a vertical splitter that opens while a sub-graph indicator
// shows. It relays the panel's ticks to the chart.
#include <QComboBox>
#include <QFrame>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <string>
#include <vector>

#include "charts/chart_analysis_view_controller.h"
#include "charts/chart_controller.h"
#include "charts/core/indicator_panel_rules.h"

namespace kit {
struct WindowContext;
}

namespace charts {

class ChartWindowController : public QWidget, public ChartAnalysisViewControllerDelegate {
    Q_OBJECT
public:
    explicit ChartWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // At every press: theme and language; the pop-ups again only when the watchlist changed.
    void NeedReload();
    void windowDidAppear();
    void LoadChart();

    void SymbolPopUpItemSelected(int index);
    void IntervalItemSelected(int index);
    void ChartTypeControlSelected(int index);
    void analysisButtonClicked();
    void crosshairButtonClicked();
    void chartScrollToEnd();
    void chartThemeButtonClicked();
    void chartThemeMenuClicked(int tag);
    // 1 opens the bottom pane, 0 closes it.
    void toggleBottomViewSelectedIndex(int n);
    bool bottomViewCollapsed() const;

    void indicatorCheckBoxOn(Indicator which, const QVariantMap& settings) override;
    void indicatorCheckBoxOff(Indicator which) override;

    ChartController* chartController() const { return chartController_; }
    ChartAnalysisViewController* chartAnalysisViewController() const { return panel_; }
    QFrame* analysisPopover() const { return popover_; }
    QComboBox* symbolPopButton() const { return symbolPopButton_; }
    QComboBox* intervalPopUpButton() const { return intervalPopUpButton_; }
    QComboBox* chartTypePopButton() const { return chartTypePopButton_; }
    QToolButton* crosshairButton() const { return crosshairButton_; }
    QToolBar* chartToolBar() const { return chartToolBar_; }
    const std::string& itemCode() const { return itemCode_; }
    long long intervalIndex() const { return intervalIndex_; }
    unsigned long long chartTypeIndex() const { return chartTypeIndex_; }
    const IndicatorsShown& indicatorsShown() const { return shown_; }

private:
    void windowDidLoad();
    void buildLayout();
    void applyTheme();
    void updateLanguageStrings();
    void fillPopUps();
    void turnCrosshairOff();
    // Every box unticked, every indicator shown removed, the bottom pane closed.
    void removeEveryIndicator();
    void collapseBottomView();
    void uncollapseBottomView();
    std::string text(const std::string& key) const;
    // The pop-up's title of interval index + 1 in the language.
    std::string intervalTitle(std::size_t index) const;

    kit::WindowContext& context_;
    ChartController* chartController_ = nullptr;
    ChartAnalysisViewController* panel_ = nullptr;
    QFrame* popover_ = nullptr;
    QSplitter* chartSplitView_ = nullptr;
    QComboBox* symbolPopButton_ = nullptr;
    QComboBox* intervalPopUpButton_ = nullptr;
    QComboBox* chartTypePopButton_ = nullptr;
    QToolBar* chartToolBar_ = nullptr;
    QToolButton* crosshairButton_ = nullptr;
    QToolButton* analysisButton_ = nullptr;
    int topFrameHeight_ = 0;
    int bottomFrameHeight_ = 0;
    bool loaded_ = false;

    std::string itemCode_;
    long long intervalIndex_ = 1;
    std::string intervalTitle_;
    unsigned long long chartTypeIndex_ = 3;
    std::vector<std::string> backupSymbolsArray_;
    IndicatorsShown shown_;
};

}  // namespace charts
