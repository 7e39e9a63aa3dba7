#pragma once
// Seconds since the user last touched keyboard or mouse.
#include <functional>

namespace platform {

namespace IdleTime {
// Installs the source (the app installs the X11 one, or its own last-input time).
void setSource(std::function<double()> secondsIdle);
double secondsIdle();  // 0 without a source
}  // namespace IdleTime

}  // namespace platform
