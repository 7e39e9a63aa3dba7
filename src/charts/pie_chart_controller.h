#pragma once
// A pie with its title above and a legend at its right, drawn with our plot
// layer from a pie dictionary: one slice per value (by its magnitude), the
// legend keeping each value's sign ("GOLD: -12.50"). Five slice colours in
// turn. Follows the palette of the window it is placed in.
#include <QLabel>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charts/plot/graph_hosting_view.h"
#include "charts/plot/pie_chart.h"
#include "charts/legend_widths.h"
#include "charts/plot/xy_graph.h"
#include "model/account_statement_info.h"

namespace charts {

class PieChartController : public QWidget, private plot::PlotDataSource {
    Q_OBJECT
public:
    explicit PieChartController(QWidget* parent = nullptr);
    ~PieChartController() override;

    // Replaces the slices and redraws. `colours`: a number into the five slice
    // colours per slice (a pie beside another, sharedSliceColours); without
    // one a slice takes its index's colour.
    void setPieChartData(const model::PieChartDictionary& data, std::vector<std::size_t> colours = {});
    static constexpr std::size_t kColourCount = 5;
    void setTitle(const std::string& title);
    QWidget* view() { return this; }

    // What the legend shows, slice for slice.
    std::vector<plot::LegendEntry> legendEntries() const;
    QString title() const { return titleLabel_->text(); }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void constructGraph();
    void layOutLegend();
    int numberOfRecords(const plot::Plot& plot) override;
    std::optional<double> number(const plot::Plot& plot, plot::Field field, int record) override;
    std::optional<QColor> sliceFill(const plot::Plot& plot, int record) override;
    QString legendTitle(const plot::Plot& plot, int record) override;

    QLabel* titleLabel_ = nullptr;
    plot::GraphHostingView* hostingView_ = nullptr;
    std::unique_ptr<plot::XYGraph> graph_;
    plot::PieChart* pie_ = nullptr;
    std::vector<double> plotData_;            // the values, as their "%.2f" text reads
    std::vector<QString> plotDataValue_;      // "%.2f" of each value
    std::vector<QString> plotDataTitle_;
    std::vector<std::string> titlesRead_;     // what plotDataTitle_ was made of
    std::vector<std::size_t> colours_;
    LegendWidths legendWidths_;
    bool layOutQueued_ = false;  // the titles left to measure, in a later slice
};

}  // namespace charts
