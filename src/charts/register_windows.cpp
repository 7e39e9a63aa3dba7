#include "charts/register_windows.h"

#include "charts/chart_window_controller.h"
#include "kit/window_registry.h"

namespace charts {

void registerWindows(kit::WindowRegistry& registry) {
    kit::WindowSpec window;
    window.name = kChartWindow;
    window.creation = kit::Creation::NewPerPress;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new ChartWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* chart = dynamic_cast<ChartWindowController*>(made);
        if (!chart) return false;
        chart->NeedReload();
        return true;
    };
    registry.add(std::move(window));
}

}  // namespace charts
