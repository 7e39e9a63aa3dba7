#pragma once
// The contract details of one instrument in one floating window: seven titled
// detail panes (types 3 to 9), a small bid/ask chart and the description. A
// schedule answer reloads the sessions pane; another instrument reloads all.
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "platform/notification_center.h"

class QGroupBox;
class QLabel;

namespace charts {
class ChartController;
}
namespace kit {
struct WindowContext;
}

namespace views {

class DetailWindowController;

class AdvancedDetailWindowController : public QWidget {
public:
    static constexpr const char* kChartKey = "9#4";
    static constexpr int kPaneCount = 7;

    explicit AdvancedDetailWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~AdvancedDetailWindowController() override;

    // Shows the instrument; false for a code the session does not hold.
    bool runModalWindowForItem(const std::string& code);
    void loadMarketSessionSchedule();

    // The panes of types 3 to 9, in that order.
    DetailWindowController& pane(int type) const;
    QGroupBox* paneBox(int type) const;
    charts::ChartController* chartController = nullptr;
    QLabel* descriptionLabel = nullptr;
    const std::string& itemCode() const { return code_; }

private:
    void updateLanguageStrings();
    void applyTheme();
    void loadDetails();

    kit::WindowContext& context_;
    std::array<DetailWindowController*, kPaneCount> panes_{};
    std::array<QGroupBox*, kPaneCount> boxes_{};
    std::string code_;
    platform::ObserverHandle scheduleObserver_;
};

}  // namespace views
