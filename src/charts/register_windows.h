#pragma once
// The chart windows, registered by name.
namespace kit {
class WindowRegistry;
}

namespace charts {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace charts
