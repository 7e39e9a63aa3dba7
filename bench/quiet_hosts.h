#pragma once
// A sheet host and a window opener that do nothing, for benchmarks of windows.
#include <string>

#include "app/kit/sheet_host.h"
#include "app/kit/window_opener.h"

namespace bench {

struct NoSheets : app::SheetHost {
    void showCustomSheet(QDialog*) override {}
    bool isSheetAttached() const override { return false; }
};

struct NoWindows : app::WindowOpener {
    void openTicket(const std::string&) override {}
    void openWindow(const std::string&, const std::string&) override {}
};

}  // namespace bench
