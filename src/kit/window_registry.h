#pragma once
// The windows of every folder by name. Each window folder fills it through its
// registerWindows(WindowRegistry&); a name registered twice keeps the first.
#include <map>
#include <string>

#include "kit/window_spec.h"

namespace kit {

class WindowRegistry {
public:
    // False (and logged) for a name already registered or a window without make.
    bool add(WindowSpec window);
    const WindowSpec* find(const std::string& name) const;
    bool contains(const std::string& name) const { return find(name) != nullptr; }
    std::size_t size() const { return windows_.size(); }

private:
    std::map<std::string, WindowSpec> windows_;
};

}  // namespace kit
