#include "kit/window_registry.h"

#include "platform/log.h"

namespace kit {

bool WindowRegistry::add(WindowSpec spec) {
    if (spec.name.empty() || !spec.make || specs_.count(spec.name)) {
        platform::Log::error("WindowRegistry: refused window \"" + spec.name + "\"");
        return false;
    }
    const std::string name = spec.name;
    specs_.emplace(name, std::move(spec));
    return true;
}

const WindowSpec* WindowRegistry::find(const std::string& name) const {
    const auto it = specs_.find(name);
    return it == specs_.end() ? nullptr : &it->second;
}

}  // namespace kit
