#pragma once
// The main window's pie panel: the current account's floating profit or loss
// per instrument, or each instrument's margin as a share of the equity with
// the available margin; two segments switch between them. Redrawn on the
// login's live tick and, once drawn, on "PieChartUpdateNotification".
#include <QButtonGroup>
#include <QWidget>

#include "charts/pie_chart_controller.h"
#include "kit/live_ticker.h"
#include "model/account_statement_info.h"
#include "platform/notification_center.h"

namespace kit {
struct WindowContext;
}

namespace charts {

class PieChartViewController : public QWidget {
    Q_OBJECT
public:
    explicit PieChartViewController(const kit::WindowContext& context, QWidget* parent = nullptr);
    ~PieChartViewController() override;

    // The chosen pie's slices: the margin pie first lets the order manager
    // refresh the hedge margin of every position of the account.
    model::PieChartDictionary generateData();
    void reloadData();
    // Retitles at once; the slices follow at the next tick.
    void pieSegementButtonClicked(int segment);
    void updateLanguageStrings();

    bool isProfitLossPieChart() const { return isProfitLossPieChart_; }
    PieChartController* pieChartController() const { return pie_; }
    QButtonGroup* pieSegmentedControl() const { return segments_; }
    QWidget* view() { return this; }

private:
    void pieChartUpdate();

    const kit::WindowContext& context_;
    PieChartController* pie_ = nullptr;
    QButtonGroup* segments_ = nullptr;
    bool isProfitLossPieChart_ = true;
    bool drawn_ = false;
    kit::LiveTicker::Subscription tick_;
    platform::ObserverHandle observer_;
};

}  // namespace charts
