#pragma once
// Opens the windows of other folders by their registered name, so that no
// window folder links another. Implemented by the main window.
#include <cstdint>
#include <string>

#include "kit/open_request.h"

namespace kit {

class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // The window of that name prepared for the request (an instrument, a record
    // and its mode). False, and logged, when nothing opened: an unknown name, an
    // item code not in the instrument list, or a guard that refused.
    virtual bool openWindow(const std::string& name, const OpenRequest& request) = 0;
    // Whether a window of that name is registered and would open for the
    // request; entries that would open one that is not are shown disabled.
    virtual bool canOpenWindow(const std::string& /*name*/, const OpenRequest& /*request*/ = {}) const { return false; }
    // Shows that account in the main window's strip; nothing for an unknown id.
    virtual void setAccount(std::int32_t /*accountId*/) {}
};

}  // namespace kit
