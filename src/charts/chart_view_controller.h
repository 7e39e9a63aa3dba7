#pragma once
// A main-window chart pane: one chart and a small tool bar (type, interval
// and theme menus at the mouse, crosshair, scroll to end). Configured by
// setValue with "ItemDetails", "ChartIntervalType" and "ChartType" (numbers
// or decimal text); it loads once both the configuration and its widgets
// exist, whichever comes first.
#include <QMenu>
#include <QToolButton>
#include <QVariantMap>
#include <QWidget>
#include <memory>
#include <string>

#include "charts/chart_controller.h"

namespace charts {

class ChartViewController : public QWidget {
    Q_OBJECT
public:
    ChartViewController(std::weak_ptr<const state::SessionView> session, std::weak_ptr<state::SessionCommands> commands,
                        kit::LiveTicker* ticker, QWidget* parent = nullptr);

    // The configuration; `key` (the pane's identifier) is not read.
    void setValue(const QVariantMap& details, const std::string& key);
    // Builds the chart and the tool bar; loads when configured before.
    void awakeFromNib();
    void loadChart();

    void chartTypeButtonClicked();
    void chartIntervalButtonClicked();
    void chartThemeButtonClicked();
    // Menu tags: type 0 to 2, interval 0 to 7, theme 0 or 1.
    void chartTypeSelected(int tag);
    void intervalSelected(int tag);
    void chartThemeMenuClicked(int tag);
    void crosshairButtonClicked();
    void chartScrollToEnd();
    // The chart's axis font in points; the pane grows to show its labels.
    void setAxisFontSize(double points);

    const std::string& itemCode() const { return itemCode_; }
    unsigned long currentInterval() const { return currentInterval_; }
    unsigned long chartType() const { return chartType_; }
    bool isAwake() const { return isawakeFromNib_; }
    ChartController* chartController() const { return chartController_; }
    QToolButton* crosshairButton() const { return crosshairButton_; }
    QToolButton* chartIntervalButton() const { return chartIntervalButton_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Crosshair off, then the menu at the mouse.
    void popUp(QMenu* menu);
    void setButtonColor();
    // Lets a narrow pane shrink the tool bar's buttons evenly down to their
    // text and a small margin, rather than clipping the widest one.
    void fitButtonWidths();

    std::weak_ptr<const state::SessionView> session_;
    std::weak_ptr<state::SessionCommands> commands_;
    kit::LiveTicker* ticker_;
    std::string itemCode_;
    unsigned long currentInterval_ = 1;
    unsigned long chartType_ = 3;
    bool initialize_ = false;
    bool isawakeFromNib_ = false;
    ChartController* chartController_ = nullptr;
    QToolButton* chartTypeButton_ = nullptr;
    QToolButton* chartIntervalButton_ = nullptr;
    QToolButton* chartThemeButton_ = nullptr;
    QToolButton* crosshairButton_ = nullptr;
    QMenu* chartTypeMenu_ = nullptr;
    QMenu* chartIntervalMenu_ = nullptr;
    QMenu* chartThemeMenu_ = nullptr;
};

}  // namespace charts
