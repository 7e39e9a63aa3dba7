#pragma once
// The session journal in the main window: one row per event, newest first,
// its time and its text; reloaded on "JournalTableNotification" only.
#include <string>
#include <vector>

#include "kit/table_controller_base.h"

namespace kit {
struct WindowContext;
}

namespace views {

class JournalTableController : public kit::TableControllerBase {
public:
    explicit JournalTableController(kit::WindowContext& context, QWidget* parent = nullptr);

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    // A very long event does not widen its column beyond the window.
    void didReload() override;

private:
    kit::WindowContext& context_;
    std::vector<std::string> lines_;  // oldest first, as appended
};

}  // namespace views
