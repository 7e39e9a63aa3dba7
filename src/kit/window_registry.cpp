#include "kit/window_registry.h"

#include "platform/log.h"

namespace kit {

bool WindowRegistry::add(WindowSpec window) {
    if (window.name.empty() || !window.make || windows_.count(window.name)) {
        platform::Log::error("WindowRegistry: refused window \"" + window.name + "\"");
        return false;
    }
    const std::string name = window.name;
    windows_.emplace(name, std::move(window));
    return true;
}

const WindowSpec* WindowRegistry::find(const std::string& name) const {
    const auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : &it->second;
}

}  // namespace kit
