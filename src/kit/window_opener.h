#pragma once
// Opens the windows of other folders, so that no window folder links another.
// Implemented by the main window; each window issue adds its names.
#include <string>

namespace kit {

class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // The order ticket for an instrument.
    virtual void openTicket(const std::string& itemCode) = 0;
    // A detail window or dialog by its name and the id of the record it shows.
    virtual void openWindow(const std::string& name, const std::string& recordId) = 0;
    // Whether a window of that name is registered; entries that would open
    // one that is not are shown disabled.
    virtual bool canOpenWindow(const std::string& /*name*/) const { return false; }
};

}  // namespace kit
