#pragma once
// The main window's pie panel: the current account's floating profit or loss
// per instrument, or each instrument's margin as a share of the equity with
// the available margin; two segments switch between them. Redrawn on the
// login's live tick when a recomputation, the records, the account or the
// segment changed since, and, once drawn, on "PieChartUpdateNotification";
// while hidden it draws nothing and catches up when shown.
#include <cstdint>
#include <optional>
#include <QButtonGroup>
#include <QWidget>

#include "charts/core/pie_data.h"
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void pieChartUpdate();
    // The tick: a reload only when what the slices read may have changed.
    void tickReload();
    // What the last drawing read.
    struct Drawn {
        std::uint64_t figures = 0, records = 0;
        std::int32_t account = 0;
        bool profitLoss = true;
        bool operator==(const Drawn&) const = default;
    };
    Drawn current() const;
    // The account's positions per instrument, kept while the open positions,
    // the records and the account stay; an announced change drops them.
    struct Grouped {
        std::uint64_t open = 0, records = 0;
        std::int32_t account = 0;
        Positions kept;  // what slices point to
        InstrumentSlices slices;
    };
    const InstrumentSlices& accountSlices();

    const kit::WindowContext& context_;
    PieChartController* pie_ = nullptr;
    QButtonGroup* segments_ = nullptr;
    bool isProfitLossPieChart_ = true;
    bool drawn_ = false;
    bool stale_ = false;  // a notification came while hidden
    Drawn lastDrawn_;
    std::optional<Grouped> grouped_;
    kit::LiveTicker::Subscription tick_;
    platform::ObserverHandle observer_;
};

}  // namespace charts
